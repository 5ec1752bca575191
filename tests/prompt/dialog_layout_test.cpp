#include "prompt/dialog_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// In a client of 440x120. Cancel's label is the wider in the default font at
// every DPI, download's in the button's font from 144 DPI on.
TEST(LayOutPrompt, ScalesThe96DpiAmountsAndFitsTheLargerMeasure) {
    const PromptLabel cancel = {{60, 16}, {50, 11}};
    const struct {
        int dpi;
        PromptLabel download;
        PromptLayout expected; // message, cancel, download
    } cases[] = {
        {96, {{90, 16}, {80, 11}}, {{10, 20, 420, 40}, {360, 84, 70, 26}, {255, 84, 100, 26}}},
        {0, {{90, 16}, {80, 11}}, {{10, 20, 420, 40}, {360, 84, 70, 26}, {255, 84, 100, 26}}},
        {144, {{90, 16}, {100, 20}}, {{15, 30, 410, 60}, {350, 74, 75, 31}, {227, 70, 115, 35}}},
        {192, {{90, 16}, {130, 24}}, {{20, 40, 400, 80}, {340, 64, 80, 36}, {180, 56, 150, 44}}},
    };
    for (const auto& c : cases) {
        const PromptLayout layout = layOutPrompt(c.dpi, {440, 120}, cancel, c.download);
        EXPECT_EQ(std::memcmp(&layout, &c.expected, sizeof layout), 0) << c.dpi << " DPI";
    }
}

TEST(ScaleToDpi, RoundsHalvesAwayFromZeroAsMulDiv) {
    const struct {
        int pixels, dpi, fromDpi, scaled;
    } cases[] = {{5, 144, 96, 8},    {-11, 144, 96, -17}, {-22, 144, 192, -17},
                 {-11, 96, 96, -11}, {7, 120, 96, 9},     {-11, 144, 0, -11}};
    for (const auto& c : cases) {
        EXPECT_EQ(scaleToDpi(c.pixels, c.dpi, c.fromDpi), c.scaled) << c.pixels << " " << c.dpi;
    }
}

} // namespace
