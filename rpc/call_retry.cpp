#include "call_retry.h"

namespace {

constexpr uint32_t kServerTooBusy = 1723; // RPC_S_SERVER_TOO_BUSY
constexpr uint32_t kPipeBusy = 231;       // ERROR_PIPE_BUSY
constexpr uint32_t kNotListening = 1722;  // RPC_S_SERVER_UNAVAILABLE
constexpr uint32_t kOutOfRange = 1745;    // RPC_S_PROCNUM_OUT_OF_RANGE

constexpr int32_t kFirstPauseMs = 50;
constexpr int32_t kLongestPauseMs = 800;
constexpr uint32_t kRetryWindowMs = 4000;
constexpr uint32_t kHandOverBoundMs = kRetryWindowMs + 10000;
constexpr uint32_t kCancelAgainMs = 100;

} // namespace

bool isRetryableCallFailure(uint32_t code) {
    return code == kServerTooBusy || code == kPipeBusy || code == kNotListening;
}

int32_t retryPauseMs(int32_t retry, uint32_t sinceFirstFailureMs) {
    if (retry < 1) {
        return -1;
    }
    int32_t pause = kFirstPauseMs;
    for (int32_t i = 1; i < retry && pause < kLongestPauseMs; ++i) {
        pause *= 2;
    }
    if (pause > kLongestPauseMs) {
        pause = kLongestPauseMs;
    }
    if (sinceFirstFailureMs > kRetryWindowMs - static_cast<uint32_t>(pause)) {
        return -1;
    }
    return pause;
}

uint32_t cancelWaitMs(uint32_t sinceFirstCallMs) {
    return sinceFirstCallMs < kHandOverBoundMs ? kHandOverBoundMs - sinceFirstCallMs
                                               : kCancelAgainMs;
}

NextCall nextHandOverCall(HandOverCall last, uint32_t code, bool withFolder, bool withNarrow) {
    if (last == HandOverCall::None) {
        return {withFolder ? HandOverCall::Probe : HandOverCall::Wide, false};
    }
    if (last == HandOverCall::Probe && code == 0) {
        return {HandOverCall::Folder, false};
    }
    if (code != kOutOfRange) {
        return {};
    }
    if (last == HandOverCall::Folder) {
        return {HandOverCall::Wide, true};
    }
    // With a folder, operation 1 with the text comes only after operation 2
    // was refused, from a first instance that took the probe: it knows
    // operation 1, and a refusal of it is not one of age.
    const bool olderFirstInstance =
        last == HandOverCall::Probe || (last == HandOverCall::Wide && !withFolder);
    return olderFirstInstance && withNarrow ? NextCall{HandOverCall::Narrow, true} : NextCall{};
}
