#include "pending_files.h"

#include <mutex>
#include <new>

namespace {

// Held only to move lists in or out: never while calling into Java.
std::mutex pendingLock;
PendingFiles pendingFiles;

void place(PendingList& pending, std::unique_ptr<ArgList> list) {
    pending.narrow = std::move(list);
}

void place(PendingList& pending, std::unique_ptr<WideArgList> list) {
    pending.wide = std::move(list);
}

using NarrowListAdjuster = void (*)(ArgList& list, const void* context) noexcept;

template <typename Char, typename Adjuster>
bool queueText(std::basic_string_view<Char> text, ReceivedText& received, Adjuster adjust,
               const void* context) noexcept {
    try {
        // Split, adjust and allocate before taking the lock.
        auto list = std::make_unique<BasicArgList<Char>>();
        splitArguments(text, *list, &received.dropped);
        const int32_t count = list->count;
        if (count == 0) {
            return false;
        }
        if (adjust != nullptr) {
            adjust(*list, context);
        }
        PendingList pending;
        place(pending, std::move(list));
        std::lock_guard<std::mutex> guard(pendingLock);
        if (pendingFiles.size() >= kMaxPendingLists) {
            received.queueFull = true;
            return false;
        }
        pendingFiles.push_back(std::move(pending));
        received.kept = count;
        return true;
    } catch (...) {
        // Out of memory, or a lock the system would not give: the hand-over
        // is lost, but the caller's thread belongs to the RPC runtime and
        // must not see an exception.
        received.outOfMemory = true;
        return false;
    }
}

template <typename Char, typename Adjuster>
bool queueReporting(std::basic_string_view<Char> text, ReceivedText* received, Adjuster adjust,
                    const void* context) noexcept {
    ReceivedText report;
    const bool queued = queueText(text, report, adjust, context);
    if (received != nullptr) {
        *received = report;
    }
    return queued;
}

} // namespace

bool queueForwardedText(std::string_view text, ReceivedText* received) noexcept {
    return queueReporting(text, received, NarrowListAdjuster{}, nullptr);
}

bool queueForwardedText(std::u16string_view text, ReceivedText* received, WideListAdjuster adjust,
                        const void* context) noexcept {
    return queueReporting(text, received, adjust, context);
}

PendingFiles takePendingFiles() {
    PendingFiles taken;
    std::lock_guard<std::mutex> guard(pendingLock);
    taken.swap(pendingFiles);
    return taken;
}
