// When a later start makes its hand-over call again: the first instance
// runs, but the runtime turned the call away before it reached the
// receiving routine, as under a burst of later starts.
#pragma once

#include <cstdint>

// Whether a hand-over call that raised code may be made again. Only codes
// that say the call never reached the first instance qualify, so that a
// list cannot arrive twice: RPC_S_SERVER_TOO_BUSY (1723), raised when the
// server cannot take a call now (Wine: when no instance of the pipe came
// free within the pipe's wait), ERROR_PIPE_BUSY (231), and
// RPC_S_SERVER_UNAVAILABLE (1722), the pipe does not exist yet. A later
// start asks only while the instance mutex exists, so a first instance is
// there: of several starts at once, the others find its mutex before it
// listens. One that never listens is given up within the same window.
bool isRetryableCallFailure(uint32_t code);

// The pause before retry number retry (1 for the first), given the time
// since the first failed call came back; -1 when the call is given up. The
// pauses grow from 50 ms to 800 ms, and no retry begins later than 4 s
// after the first failure; a call that is under way may then still take as
// long as the runtime waits for the pipe.
int32_t retryPauseMs(int32_t retry, uint32_t sinceFirstFailureMs);
