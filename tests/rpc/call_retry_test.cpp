#include "rpc/call_retry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RetryableCallFailure, OnlyWhenTheCallCannotHaveReachedTheFirstInstance) {
    const struct {
        uint32_t code;
        bool retryable;
        const char* what;
    } cases[] = {
        {1723, true, "RPC_S_SERVER_TOO_BUSY: no pipe instance came free"},
        {231, true, "ERROR_PIPE_BUSY"},
        {1722, true, "RPC_S_SERVER_UNAVAILABLE: the mutex's first instance does not listen yet"},
        {1726, false, "RPC_S_CALL_FAILED: the call may have run"},
        {1818, false, "RPC_S_CALL_CANCELLED at the hand-over's bound"},
        {1727, false, "RPC_S_CALL_FAILED_DNE: refused for good, another call fares no better"},
        {1783, false, "RPC_X_BAD_STUB_DATA"},
        {998, false, "ERROR_NOACCESS, as Wine raises for an unknown operation"},
        {5, false, "ERROR_ACCESS_DENIED: another user's first instance"},
        {0xC0000005, false, "an access violation"},
        {0, false, "no failure"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isRetryableCallFailure(c.code), c.retryable) << c.code << " " << c.what;
    }
}

TEST(RetryPause, GrowsToALimitAndEndsWithinTheWindow) {
    const struct {
        int32_t retry;
        uint32_t since;
        int32_t pause;
    } cases[] = {
        {1, 0, 50},     {2, 50, 100},  {3, 150, 200}, {4, 350, 400}, {5, 750, 800},
        {6, 1550, 800}, {40, 0, 800},  {1, 3950, 50}, {1, 3951, -1}, {5, 3200, 800},
        {5, 3201, -1},  {2, 5200, -1}, {0, 0, -1},    {-1, 0, -1},   {1, 0xFFFFFFFF, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(retryPauseMs(c.retry, c.since), c.pause)
            << "retry " << c.retry << " " << c.since << " ms after the first failure";
    }
}

// A first instance that stays busy, with calls that fail at once: a few
// retries, all within a few seconds.
TEST(RetryPause, GivesUpWithinAFewSeconds) {
    uint32_t since = 0;
    int32_t retries = 0;
    for (int32_t pause; (pause = retryPauseMs(retries + 1, since)) >= 0;) {
        since += static_cast<uint32_t>(pause);
        ++retries;
    }
    EXPECT_EQ(retries, 8);
    EXPECT_EQ(since, 3950u);
    // The last retry has a call's time limit, 10 s, left of the bound.
    EXPECT_EQ(cancelWaitMs(since), 10050u);
    EXPECT_EQ(cancelWaitMs(14000), 100u);
}

// The calls of a later start, as p (the empty probe over operation 1), 1, 2
// and 0, + for a new binding, given what each call raises (0 once none is left).
TEST(NextHandOverCall, FallsBackOnceFromAnOperationOutOfRange) {
    const struct {
        bool folder, narrow;
        uint32_t codes[3];
        const char* calls;
    } cases[] = {
        {false, true, {1745}, "1+0"},          // a first instance of operation 0 alone
        {false, false, {1745}, "1"},           // no narrow text to send over it
        {true, true, {0}, "p2"},               // 2 only after the probe went through
        {true, true, {1745}, "p+0"},           // operation 0 alone: 2 would be lost
        {true, true, {0, 1745, 1745}, "p2+1"}, // without operation 2: never 0 after 1
        {true, true, {1723}, "p"},             // busy: the retry decides
    };
    for (const auto& c : cases) {
        std::string calls;
        const uint32_t* code = c.codes;
        for (NextCall next = nextHandOverCall(HandOverCall::None, 0, c.folder, c.narrow);
             next.call != HandOverCall::None && calls.size() < 8;
             next = nextHandOverCall(next.call, code < std::end(c.codes) ? *code++ : 0, c.folder,
                                     c.narrow)) {
            calls += std::string(next.newBinding ? "+" : "") + "-p120"[static_cast<int>(next.call)];
        }
        EXPECT_EQ(calls, c.calls) << "folder " << c.folder << ", narrow " << c.narrow;
    }
}

} // namespace
