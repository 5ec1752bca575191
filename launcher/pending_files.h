// Argument lists that later starts handed over and the watcher has not yet
// passed to the application. Filled on the messaging server's threads, taken
// on the main thread.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string_view>

#include "arguments.h"

// One handed-over list as it arrived: narrow, from a later start that sends
// its text in the system code page (operation 0), or UTF-16 (operation 1).
// Exactly one of the two is set.
struct PendingList {
    std::unique_ptr<ArgList> narrow;
    std::unique_ptr<WideArgList> wide;
};

using PendingFiles = std::deque<PendingList>;

// More lists than this waiting at once, of either kind, are dropped on
// arrival, so that a flood of calls cannot exhaust memory while the watcher
// is busy in Java.
constexpr std::size_t kMaxPendingLists = 256;

// What became of one received text, for the trace.
struct ReceivedText {
    int32_t kept = 0;       // entries of the list queued, 0 when none was
    DroppedFields dropped;  // fields that did not fit a list
    bool queueFull = false; // the list was dropped: kMaxPendingLists wait
    bool outOfMemory = false;
};

// Splits one received text and queues it as one list, after those that came
// before it, whichever their kind. A text that gives no entries adds nothing.
// Never throws and never waits on the main thread. Returns whether a list was
// queued, and tells received what became of the text.
// adjust, where given, may rewrite the entries of a UTF-16 list in place
// before it is queued; it runs outside the queue's lock and must not throw.
using WideListAdjuster = void (*)(WideArgList& list, const void* context) noexcept;
bool queueForwardedText(std::string_view text, ReceivedText* received = nullptr) noexcept;
bool queueForwardedText(std::u16string_view text, ReceivedText* received = nullptr,
                        WideListAdjuster adjust = nullptr, const void* context = nullptr) noexcept;

// Takes every queued list, in arrival order, leaving the queue empty.
PendingFiles takePendingFiles();
