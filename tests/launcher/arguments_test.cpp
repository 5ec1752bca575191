#include "launcher/arguments.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> entries(const ArgList& list) {
    return std::vector<std::string>(list.entries, list.entries + list.count);
}

std::vector<std::string> split(const std::string& commandLine) {
    ArgList args;
    splitCommandLine(commandLine, args);
    return entries(args);
}

using Entries = std::vector<std::string>;

TEST(SplitCommandLine, SkipsTheProgramNameAndSplitsAtSpaces) {
    const struct {
        const char* commandLine;
        Entries expected;
    } cases[] = {
        {"prog  a   b", {"a", "b"}},
        {"\"C:\\Program Files\\p.exe\" a b", {"a", "b"}},
        {"prog", {}},
        {"", {}},
        {"   ", {}},
        {"   prog   ", {}},
        {"prog a   ", {"a"}},
        {"\"prog\"", {}},
        {"\"prog\" ", {}},
        {"\"prog", {}},
        // The character behind the closing quote is skipped whatever it is.
        {"\"prog\"xy z", {"y", "z"}},
        // Quotes group nothing and stay in the entries.
        {"prog \"two words\"", {"\"two", "words\""}},
        // Only the space separates: a tab stays inside the entry.
        {"prog a\tb", {"a\tb"}},
        // A quote that is not the first character does not start a quoted name.
        {" \"C:\\My Apps\\p.exe\" a", {"Apps\\p.exe\"", "a"}},
        {"prog C:\\dir\\ \\\\server\\share", {"C:\\dir\\", "\\\\server\\share"}},
        {"prog x|y", {"x|y"}},
        {"prog \xC3\xA9t\xE9", {"\xC3\xA9t\xE9"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(split(c.commandLine), c.expected) << "command line: [" << c.commandLine << "]";
    }
}

TEST(SplitCommandLine, KeepsTwentyArgumentsAndDropsTheRest) {
    std::string commandLine = "prog";
    Entries expected;
    for (int i = 0; i < 25; ++i) {
        commandLine += " a" + std::to_string(i);
        if (i < kMaxArguments) {
            expected.push_back("a" + std::to_string(i));
        }
    }
    EXPECT_EQ(split(commandLine), expected);
}

TEST(SplitCommandLine, DropsAnOverlongArgumentWholeNeverCutsIt) {
    const std::string fits(511, 'f');
    const std::string tooLong(512, 'x');
    EXPECT_EQ(split("prog " + fits), Entries{fits});
    EXPECT_EQ(split("prog a " + tooLong + " b"), (Entries{"a", "b"}));
    EXPECT_EQ(split("prog " + std::string(100000, 'y')), Entries{});

    // A dropped argument does not count towards the twenty.
    std::string commandLine = "prog " + tooLong;
    for (int i = 0; i < kMaxArguments; ++i) {
        commandLine += " a";
    }
    EXPECT_EQ(split(commandLine).size(), 20u);
}

std::string join(const Entries& in) {
    ArgList args;
    for (const auto& e : in) {
        std::snprintf(args.entries[args.count++], kArgumentSize, "%s", e.c_str());
    }
    char text[kJoinedSize];
    std::memset(text, '#', sizeof text);
    const std::size_t length = joinArguments(args, text);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

TEST(JoinArguments, PutsABarBehindEveryEntry) {
    EXPECT_EQ(join({"a", "b"}), "a|b|");
    EXPECT_EQ(join({"C:\\my file.txt"}), "C:\\my file.txt|");
    EXPECT_EQ(join({}), "");
}

TEST(JoinArguments, EndsBeforeTheFirstEntryThatDoesNotFit) {
    // 16 entries of 511 characters take 16 * 512 = 8192 characters with their
    // bars, one more than fits: the text ends after 15 whole entries.
    const std::string big(511, 'z');
    const Entries sixteen(16, big);
    const std::string joined = join(sixteen);
    EXPECT_EQ(joined.size(), 15u * 512u);
    EXPECT_EQ(joined.back(), '|');

    // Exactly 8191 characters fit.
    Entries exact(15, big);
    exact.push_back(std::string(8191 - 15 * 512 - 1, 'e'));
    EXPECT_EQ(join(exact).size(), 8191u);
    exact.back().push_back('e');
    EXPECT_EQ(join(exact).size(), 15u * 512u);
}

Entries splitForwarded(const std::string& text) {
    ArgList list;
    list.count = 7; // whatever was there before is replaced
    splitArguments(text, list);
    return entries(list);
}

TEST(SplitArguments, TakesTheNonEmptyFieldsBetweenBars) {
    const struct {
        const char* text;
        Entries expected;
    } cases[] = {
        {"a|b|", {"a", "b"}},
        {"||a||b||", {"a", "b"}},
        {"a|b", {"a", "b"}},
        {"x|y|", {"x", "y"}},
        {"", {}},
        {"|||", {}},
        {"my file.txt|", {"my file.txt"}},
        {"\x80\xff|\xe4\xb8\x8b|", {"\x80\xff", "\xe4\xb8\x8b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitForwarded(c.text), c.expected) << "text: [" << c.text << "]";
    }
}

TEST(SplitArguments, HonoursTheLimitsWhateverArrives) {
    std::string text = std::string(512, 'x') + "|" + std::string(511, 'k') + "|";
    EXPECT_EQ(splitForwarded(text), Entries{std::string(511, 'k')});

    text.clear();
    for (int i = 0; i < 30; ++i) {
        text += std::to_string(i) + "|";
    }
    Entries twenty;
    for (int i = 0; i < 20; ++i) {
        twenty.push_back(std::to_string(i));
    }
    EXPECT_EQ(splitForwarded(text), twenty);

    EXPECT_EQ(splitForwarded(std::string(1 << 20, 'm')), Entries{});
    EXPECT_EQ(splitForwarded(std::string(100000, '|')), Entries{});
}

TEST(ForwardedText, RoundTripsEntriesWithoutBars) {
    const Entries in = {"a", "C:\\Users\\me\\My Documents\\plan.tav", std::string(511, 'q'), "\xe9"};
    EXPECT_EQ(splitForwarded(join(in)), in);
}

} // namespace
