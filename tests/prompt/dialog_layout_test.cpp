#include "prompt/dialog_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// In a client of 440x120, too low from 144 DPI on; labels of 60x16 and 90x16
// in the default font and of the widths and height given in the button's.
TEST(LayOutPrompt, ScalesThe96DpiAmountsFitsTheLargerMeasureAndGrows) {
    const struct {
        int dpi, cancelWidth, downloadWidth, height;
        PromptLayout expected; // message, cancel, download, growth
    } cases[] = {
        {96, 50, 80, 11, {{10, 20, 420, 40}, {360, 84, 70, 26}, {255, 84, 100, 26}, 0}},
        {0, 50, 80, 11, {{10, 20, 420, 40}, {360, 84, 70, 26}, {255, 84, 100, 26}, 0}},
        {144, 50, 100, 20, {{15, 30, 410, 60}, {350, 90, 75, 35}, {227, 90, 115, 35}, 20}},
        {192, 70, 130, 24, {{20, 40, 400, 80}, {330, 120, 90, 44}, {170, 120, 150, 44}, 64}},
    };
    for (const auto& c : cases) {
        const PromptLayout layout =
            layOutPrompt(c.dpi, {440, 120}, {{60, 16}, {c.cancelWidth, c.height}},
                         {{90, 16}, {c.downloadWidth, c.height}});
        EXPECT_EQ(std::memcmp(&layout, &c.expected, sizeof layout), 0) << c.dpi << " DPI";
    }
    // Font heights, negative and from the system's DPI.
    EXPECT_EQ(scaleToDpi(-22, 144, 192), -17);
    EXPECT_EQ(scaleToDpi(-11, 144, 0), -11);
}

} // namespace
