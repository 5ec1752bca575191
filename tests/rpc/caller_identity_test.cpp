#include "rpc/caller_identity.h"

#include <gtest/gtest.h>

namespace {

CallerIdentity identity(std::vector<unsigned char> sid, uint32_t session, bool known = true) {
    CallerIdentity id;
    id.known = known;
    id.userSid = std::move(sid);
    id.sessionId = session;
    return id;
}

// S-1-5-21-... of two users, as their binary SIDs differ only in the RID.
const std::vector<unsigned char> kUser = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0xE8, 3, 0, 0};
const std::vector<unsigned char> kOtherUser = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0xE9, 3, 0, 0};
const std::vector<unsigned char> kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

TEST(AdmitsCaller, OnlyTheSameUserInTheSameSession) {
    const CallerIdentity server = identity(kUser, 1);
    EXPECT_TRUE(admitsCaller(server, identity(kUser, 1)));
    EXPECT_FALSE(admitsCaller(server, identity(kUser, 2))) << "same user, another logon session";
    EXPECT_FALSE(admitsCaller(server, identity(kOtherUser, 1))) << "another user";
    EXPECT_FALSE(admitsCaller(server, identity(kSystem, 1))) << "the system is not the user";
    EXPECT_FALSE(admitsCaller(server, identity({kUser.begin(), kUser.end() - 4}, 1)))
        << "a SID that only begins like the user's";
}

TEST(AdmitsCaller, NobodyWhenAnIdentityIsUnknown) {
    EXPECT_FALSE(admitsCaller(identity(kUser, 1), identity(kUser, 1, false)))
        << "impersonation failed or the caller is anonymous";
    EXPECT_FALSE(admitsCaller(identity(kUser, 1, false), identity(kUser, 1)))
        << "the server could not read its own token";
    EXPECT_FALSE(admitsCaller(identity({}, 0), identity({}, 0))) << "two empty SIDs";
}

TEST(EndpointSecurity, GrantsTheUserAndTheSystemOnly) {
    EXPECT_EQ(endpointSecurity("S-1-5-21-1-2-3-1000"),
              "D:P(A;;GA;;;S-1-5-21-1-2-3-1000)(A;;GA;;;SY)");
}

} // namespace
