#include "runtime/java_home.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(VersionedKeyName, HoldsTheWholeVersionText) {
    EXPECT_EQ(versionedKeyName("1.8"), "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8");
    const std::string longVersion = "1.8.0_392-internal-" + std::string(5000, 'b');
    EXPECT_EQ(versionedKeyName(longVersion),
              "SOFTWARE\\JavaSoft\\Java Runtime Environment\\" + longVersion);
    EXPECT_EQ(versionedKeyName(""), "SOFTWARE\\JavaSoft\\Java Runtime Environment\\");
}

TEST(ReplacesSearchPath, ReadsTheVersionAsADecimalNumber) {
    const struct {
        const char* version;
        bool replaces;
    } cases[] = {
        {"1.7", true},      {"1.8", true},   {"1.6", false},  {"1.10", false}, // 1.10 reads as 1.1
        {"1.70", true},     {"1.69", false}, {"9", true},     {"11.0", true},  {"17", true},
        {"", false},        {"abc", false},  {"v1.8", false}, {" 1.8", true}, // strtod skips blanks
        {"1.7.0_80", true}, {"1,8", false},  {"17e-1", true}, {".17e1", true}, {"1.7e", true},
        {"-9", false},                                       // an exponent, a sign
        {"inf", false},     {"nan", false},  {"0x2", false}, // forms that no version text takes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replacesSearchPath(c.version), c.replaces) << "version [" << c.version << "]";
    }
}

TEST(TerminateRegistryText, TerminatesWithinTheBufferOrRefuses) {
    char text[8];
    std::memcpy(text, "1.8\0xxxx", 8);
    EXPECT_TRUE(terminateRegistryText(text, 4, sizeof text)); // stored with its terminator
    EXPECT_STREQ(text, "1.8");

    std::memcpy(text, "1.8xxxxx", 8);
    EXPECT_TRUE(terminateRegistryText(text, 3, sizeof text)); // stored without one
    EXPECT_STREQ(text, "1.8");

    std::memcpy(text, "abcdefgh", 8);
    EXPECT_FALSE(terminateRegistryText(text, 8, sizeof text)); // fills the buffer, no terminator
    std::memcpy(text, "abcdefg", 8);
    EXPECT_TRUE(terminateRegistryText(text, 8, sizeof text));
    EXPECT_STREQ(text, "abcdefg");

    EXPECT_TRUE(terminateRegistryText(text, 0, sizeof text)); // an empty value
    EXPECT_STREQ(text, "");
}

} // namespace
