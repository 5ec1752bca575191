#include "common/trace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> lines;

void keep(std::string_view line) {
    lines.emplace_back(line);
}

// Off until a sink is set, and then every line whole, however long: a trace
// is read for exactly the class paths and command lines that would be cut.
TEST(Trace, FormatsWholeLinesOnlyWhileASinkIsSet) {
    lines.clear();
    TRACE("before %d", 1);
    setTraceSink(keep);
    const std::string longText(5000, 'p');
    TRACE("option %d: %s", 4, longText.c_str());
    TRACE("%s", "");
    setTraceSink(nullptr);
    TRACE("after %d", 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"option 4: " + longText, ""}));
}

// The arguments of a trace point are not evaluated while it is off.
TEST(Trace, CostsNothingWhileOff) {
    int evaluated = 0;
    TRACE("%d", ++evaluated);
    EXPECT_EQ(evaluated, 0);
}

} // namespace
