#include "prompt/wide_copy.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Text = std::basic_string<PromptChar>;
const PromptChar kAbc[] = PROMPT_TEXT("abc");
const PromptChar kEmpty[] = PROMPT_TEXT("");

TEST(CopyWideString, CopiesWholeOrCutsToCapacityMinusOne) {
    const struct {
        const PromptChar* source;
        std::size_t capacity;
        int32_t result;
        Text copied;
    } cases[] = {
        {kAbc, 4, kCopyOk, PROMPT_TEXT("abc")},
        {kAbc, 10, kCopyOk, PROMPT_TEXT("abc")},
        {kAbc, 3, kCopyInsufficientBuffer, PROMPT_TEXT("ab")},
        {kAbc, 1, kCopyInsufficientBuffer, PROMPT_TEXT("")},
        {kEmpty, 1, kCopyOk, PROMPT_TEXT("")},
    };
    for (const auto& c : cases) {
        PromptChar destination[16];
        std::fill(std::begin(destination), std::end(destination), PromptChar('#'));
        EXPECT_EQ(copyWideString(destination, c.capacity, c.source), c.result)
            << "capacity " << c.capacity;
        EXPECT_EQ(Text(destination), c.copied) << "capacity " << c.capacity;
        // Nothing beyond the capacity is touched.
        EXPECT_EQ(destination[c.capacity], PromptChar('#')) << "capacity " << c.capacity;
    }
}

TEST(CopyWideString, RefusesCapacitiesOfZeroAndAboveTheMaximum) {
    PromptChar destination[4] = {'x', 'y', 'z', 0};
    EXPECT_EQ(copyWideString(destination, 0, kAbc), kCopyInvalidParameter);
    EXPECT_EQ(Text(destination), PROMPT_TEXT("xyz"));

    EXPECT_EQ(copyWideString(destination, kCopyMaxCapacity + 1, kAbc), kCopyInvalidParameter);
    EXPECT_EQ(destination[0], 0);
    EXPECT_EQ(destination[1], 'y');
}

} // namespace
