#include "rpc/remote_calls_formats.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The bytes that peers of this interface were built with; a change here
// breaks every launcher already installed. Operation 0's bytes are those of
// launchers that know it alone, and stay the first ones of each string.
TEST(RemoteCallsFormats, TypeFormatStringIsTheWireContract) {
    const std::vector<unsigned char> expected = {
        0x00, 0x00,             // leading zero
        0x11, 0x08, 0x22, 0x5C, // operation 0: FC_RP [simple], FC_C_CSTRING, FC_PAD
        0x11, 0x08, 0x25, 0x5C, // operation 1: FC_RP [simple], FC_C_WSTRING, FC_PAD
        0x00,
    };
    const auto& format = remote_calls::kTypeFormatString.format;
    EXPECT_EQ(std::vector<unsigned char>(std::begin(format), std::end(format)), expected);
    EXPECT_EQ(remote_calls::kTypeFormatString.pad, 0);
}

TEST(RemoteCallsFormats, ProcFormatStringIsTheWireContract) {
    const std::vector<unsigned char> expected = {
        // Operation 0: SendArguments, procedure number 0, type offset 4.
        0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42,
        0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00,
        0x04, 0x00,
        // Operation 1: SendArgumentsWide, procedure number 1, type offset 8.
        0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42,
        0x01, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00,
        0x08, 0x00,
        // Operation 2: SendArgumentsFrom, procedure number 2, two pointers, two
        // parameters, both of type offset 8.
        0x32, 0x48, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42,
        0x02, 0x0A, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x01, 0x00, 0x00,
        0x08, 0x00, 0x0B, 0x01, 0x08, 0x00, 0x08, 0x00,
        // Terminator.
        0x00};
    const auto& format = remote_calls::kProcFormatString.format;
    EXPECT_EQ(std::vector<unsigned char>(std::begin(format), std::end(format)), expected);
    EXPECT_EQ(remote_calls::kProcFormatString.pad, 0);
}

TEST(RemoteCallsFormats, EachOperationFindsItsDescriptorAndItsString) {
    const auto& offsets = remote_calls::kProcFormatOffsets;
    ASSERT_EQ(std::size(offsets), 3u);
    EXPECT_EQ(offsets[0], 0);
    EXPECT_EQ(offsets[1], 32);
    EXPECT_EQ(offsets[2], 64);
    const auto& proc = remote_calls::kProcFormatString.format;
    const auto& type = remote_calls::kTypeFormatString.format;
    const struct {
        unsigned short offset;
        unsigned char procedureNumber;
        unsigned char stringType;
    } operations[] = {{0, 0, 0x22}, {32, 1, 0x25}, {64, 2, 0x25}};
    for (const auto& op : operations) {
        EXPECT_EQ(proc[op.offset], 0x32) << "operation " << int{op.procedureNumber};
        EXPECT_EQ(proc[op.offset + 6], op.procedureNumber);
        EXPECT_EQ(proc[op.offset + 7], 0);
        // The parameter's type offset points at the string entry, right behind its FC_RP.
        const unsigned char typeOffset = proc[op.offset + 30];
        EXPECT_EQ(proc[op.offset + 31], 0);
        EXPECT_EQ(type[typeOffset], op.stringType) << "operation " << int{op.procedureNumber};
        EXPECT_EQ(type[typeOffset - 2], 0x11);
    }
}

} // namespace
