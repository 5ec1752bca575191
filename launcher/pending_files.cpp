#include "pending_files.h"

#include <mutex>
#include <new>

namespace {

// Held only to move lists in or out: never while calling into Java.
std::mutex pendingLock;
PendingFiles pendingFiles;

} // namespace

bool queueForwardedText(std::string_view text) noexcept {
    try {
        // Split and allocate before taking the lock.
        auto list = std::make_unique<ArgList>();
        splitArguments(text, *list);
        if (list->count == 0) {
            return false;
        }
        std::lock_guard<std::mutex> guard(pendingLock);
        if (pendingFiles.size() >= kMaxPendingLists) {
            return false;
        }
        pendingFiles.push_back(std::move(list));
        return true;
    } catch (...) {
        // Out of memory, or a lock the system would not give: the hand-over
        // is lost, but the caller's thread belongs to the RPC runtime and
        // must not see an exception.
        return false;
    }
}

PendingFiles takePendingFiles() {
    PendingFiles taken;
    std::lock_guard<std::mutex> guard(pendingLock);
    taken.swap(pendingFiles);
    return taken;
}
