// Which hand-over call a later start makes next, and when it makes one
// again that the runtime turned away before it reached the first instance's
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

// How long the watch over a hand-over waits, given the time since the
// hand-over's first call, before it cancels the call under way: until the
// bound, 14 s, and from then on every 100 ms until the call comes back,
// since a cancellation that comes before the runtime waits on the pipe is
// lost (Wine). No call begins after the bound. The bound is the retry
// window, 4 s, and then a call's own time limit, 10 s: a call takes a few
// hundred milliseconds on a loaded machine, and a first instance stopped
// for 8 s, as a debugger or a paging storm stops it, still gets its lists.
uint32_t cancelWaitMs(uint32_t sinceFirstCallMs);

// The calls of one hand-over, by what they send.
enum class HandOverCall {
    None,   // no call: the hand-over is over
    Probe,  // operation 1 with an empty text, which no launcher takes for a list
    Wide,   // operation 1 with the text
    Folder, // operation 2 with the working directory and the text
    Narrow, // operation 0 with the code page's text
};

struct NextCall {
    HandOverCall call = HandOverCall::None;
    // Made on a new binding, once the refused one is freed: Wine's server
    // answers an operation past its dispatch table twice, and the second
    // reply would be read as the next call's on the same connection.
    bool newBinding = false;
};

// The call after last (HandOverCall::None for the first), which raised code
// (0 when it went through). Operation 1 first; with a folder, operation 2
// only after the probe went through, since Wine's server reads the
// dispatch entry even of an operation out of range, and the table of a
// first instance that knows operation 0 alone ends before entry 2. A
// refusal as out of range (RPC_S_PROCNUM_OUT_OF_RANGE) falls back once to
// the operation before: 2 to 1, 1 to 0 where there is a narrow text. Any
// other outcome ends the hand-over.
NextCall nextHandOverCall(HandOverCall last, uint32_t code, bool withFolder, bool withNarrow);
