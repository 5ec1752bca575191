// Argument lists that later starts handed over and the watcher has not yet
// passed to the application. Filled on the messaging server's threads, taken
// on the main thread.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string_view>

#include "arguments.h"

using PendingFiles = std::deque<std::unique_ptr<ArgList>>;

// More lists than this waiting at once are dropped on arrival, so that a
// flood of calls cannot exhaust memory while the watcher is busy in Java.
constexpr std::size_t kMaxPendingLists = 256;

// Splits one received text and queues it as one list, after those that came
// before it. A text that gives no entries adds nothing. Never throws and
// never waits on the main thread. Returns whether a list was queued.
bool queueForwardedText(std::string_view text) noexcept;

// Takes every queued list, in arrival order, leaving the queue empty.
PendingFiles takePendingFiles();
