#include "launcher/rpc/remote_calls_formats.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The bytes that peers of this interface were built with; a change here
// breaks every launcher already installed.
TEST(RemoteCallsFormats, TypeFormatStringIsTheWireContract) {
    const std::vector<unsigned char> expected = {0x00, 0x00, 0x11, 0x08, 0x22, 0x5C, 0x00};
    const auto& format = remote_calls::kTypeFormatString.format;
    EXPECT_EQ(std::vector<unsigned char>(std::begin(format), std::end(format)), expected);
    EXPECT_EQ(remote_calls::kTypeFormatString.pad, 0);
}

TEST(RemoteCallsFormats, ProcFormatStringIsTheWireContract) {
    const std::vector<unsigned char> expected = {
        0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x42, 0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00, 0x04, 0x00, 0x00,
    };
    const auto& format = remote_calls::kProcFormatString.format;
    EXPECT_EQ(std::vector<unsigned char>(std::begin(format), std::end(format)), expected);
    EXPECT_EQ(remote_calls::kProcFormatString.pad, 0);
    ASSERT_EQ(std::size(remote_calls::kProcFormatOffsets), 1u);
    EXPECT_EQ(remote_calls::kProcFormatOffsets[0], 0);
    // The parameter's type offset points at the string entry of the type format.
    EXPECT_EQ(remote_calls::kTypeFormatString.format[format[30]], 0x22);
}

} // namespace
