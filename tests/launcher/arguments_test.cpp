#include "launcher/arguments.h"
#include "launcher/sender_folder.h"
#include "tests/printable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Both widths have one implementation; every narrow case is also checked
// in UTF-16, each byte widened to the unit of the same value, and gives the
// same entries there.

template <typename Char>
std::vector<std::basic_string<Char>> entries(const BasicArgList<Char>& list) {
    return std::vector<std::basic_string<Char>>(list.entries, list.entries + list.count);
}

std::vector<std::string> split(const std::string& commandLine) {
    ArgList args;
    splitCommandLine(commandLine, args);
    return entries(args);
}

std::vector<std::u16string> splitWide(const std::u16string& commandLine) {
    WideArgList args;
    args.count = 7; // whatever was there before is replaced
    splitCommandLine(commandLine, args);
    return entries(args);
}

using Entries = std::vector<std::string>;
using WideEntries = std::vector<std::u16string>;

std::u16string widened(const std::string& text) {
    std::u16string out;
    for (unsigned char c : text) {
        out += static_cast<char16_t>(c);
    }
    return out;
}

WideEntries widened(const Entries& texts) {
    WideEntries out;
    for (const auto& text : texts) {
        out.push_back(widened(text));
    }
    return out;
}

// 511 units that hold surrogate pairs: 255 of them and one more unit.
const std::u16string kLongestWide = [] {
    std::u16string text;
    for (int i = 0; i < 255; ++i) {
        text += u"\U0001F600";
    }
    return text + u"\u00E9";
}();

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
        EXPECT_EQ(splitWide(widened(c.commandLine)), widened(c.expected))
            << "wide command line: [" << c.commandLine << "]";
    }
}

TEST(SplitCommandLine, WideKeepsEveryUnitAndSplitsAtU0020Only) {
    const struct {
        std::u16string commandLine;
        WideEntries expected;
    } cases[] = {
        {u"prog Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105.tav",
         {u"Za\u017C\u00F3\u0142\u0107", u"g\u0119\u015Bl\u0105.tav"}},
        {u"\"C:\\\u65E5\u672C\\p.exe\" \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC.doc",
         {u"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC.doc"}},
        {u"prog \U0001F600.txt caf\u00E9.txt", {u"\U0001F600.txt", u"caf\u00E9.txt"}},
        // Unpaired surrogates are units like any other.
        {u"prog a\xD800 \xDC00"
         u"b \xDC00\xD800",
         {u"a\xD800",
          u"\xDC00"
          u"b",
          u"\xDC00\xD800"}},
        // Only U+0020 separates: not the ideographic space, the no-break
        // space, the fullwidth space-like forms, nor a tab.
        {u"prog a\u3000b c\u00A0d e\u2002f g\th", {u"a\u3000b", u"c\u00A0d", u"e\u2002f", u"g\th"}},
        {u"prog \u3000", {u"\u3000"}},
        {u"\u3000prog a", {u"a"}},
        // The fullwidth vertical line is no bar, and a bar no separator here.
        {u"prog x\uFF5Cy.txt x|y", {u"x\uFF5Cy.txt", u"x|y"}},
        // Only the ASCII quote starts a quoted name; the unit behind the
        // closing quote is skipped, whatever it is, also half of a pair.
        {u"\u201Cprog\u201D a", {u"a"}},
        {u"\"prog\"\U0001F600z", {u"\xDE00z"}},
        {u"prog " + kLongestWide + u" " + kLongestWide + u"x " + u"\U0001F600",
         {kLongestWide, u"\U0001F600"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitWide(c.commandLine), c.expected)
            << "command line: [" << printable(c.commandLine) << "]";
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
    EXPECT_EQ(splitWide(widened(commandLine)), widened(expected));
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

    // The same counted in UTF-16 units.
    EXPECT_EQ(splitWide(widened("prog " + fits)), WideEntries{widened(fits)});
    EXPECT_EQ(splitWide(widened("prog a " + tooLong + " b")), (WideEntries{u"a", u"b"}));
    EXPECT_EQ(splitWide(u"prog " + std::u16string(100000, u'\u00FF')), WideEntries{});
    EXPECT_EQ(splitWide(widened(commandLine)).size(), 20u);
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

std::u16string joinWide(const WideEntries& in) {
    WideArgList args;
    for (const auto& e : in) {
        e.copy(args.entries[args.count++], kArgumentSize - 1);
    }
    char16_t text[kJoinedSize];
    std::fill(std::begin(text), std::end(text), u'#');
    const std::size_t length = joinArguments(args, text);
    EXPECT_EQ(length, std::char_traits<char16_t>::length(text));
    return text;
}

TEST(JoinArguments, PutsABarBehindEveryEntry) {
    EXPECT_EQ(join({"a", "b"}), "a|b|");
    EXPECT_EQ(join({"C:\\my file.txt"}), "C:\\my file.txt|");
    EXPECT_EQ(join({}), "");
    EXPECT_EQ(joinWide({u"a", u"b"}), u"a|b|");
    EXPECT_EQ(joinWide({u"C:\\my file.txt"}), u"C:\\my file.txt|");
    EXPECT_EQ(joinWide({}), u"");
    EXPECT_EQ(joinWide({u"\U0001F600\xD800", u"x\uFF5Cy"}), u"\U0001F600\xD800|x\uFF5Cy|");
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

    // The same in UTF-16 units, surrogate pairs counting two.
    const std::u16string joinedWide = joinWide(WideEntries(16, kLongestWide));
    EXPECT_EQ(joinedWide.size(), 15u * 512u);
    EXPECT_EQ(joinedWide.back(), u'|');
    WideEntries exactWide(15, kLongestWide);
    exactWide.push_back(std::u16string(8191 - 15 * 512 - 1, u'\u00E9'));
    EXPECT_EQ(joinWide(exactWide).size(), 8191u);
    exactWide.back().push_back(u'e');
    EXPECT_EQ(joinWide(exactWide).size(), 15u * 512u);
}

Entries splitForwarded(const std::string& text) {
    ArgList list;
    list.count = 7; // whatever was there before is replaced
    splitArguments(text, list);
    return entries(list);
}

WideEntries splitForwardedWide(const std::u16string& text) {
    WideArgList list;
    list.count = 7;
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
        EXPECT_EQ(splitForwardedWide(widened(c.text)), widened(c.expected))
            << "wide text: [" << c.text << "]";
    }

    // Only U+007C separates: not the fullwidth vertical line, nor any other
    // unit whose low byte is 7C.
    const struct {
        std::u16string text;
        WideEntries expected;
    } wideCases[] = {
        {u"a\uFF5Cb|c|", {u"a\uFF5Cb", u"c"}},
        {u"\uFF5C|\u017C\u007C\u047C|", {u"\uFF5C", u"\u017C", u"\u047C"}},
        {u"\U0001F600|\xD800|\xDFFF\xD800|", {u"\U0001F600", u"\xD800", u"\xDFFF\xD800"}},
    };
    for (const auto& c : wideCases) {
        EXPECT_EQ(splitForwardedWide(c.text), c.expected) << "text: [" << printable(c.text) << "]";
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

    // The same counted in UTF-16 units: 30 fields of 600 beside ones of 511
    // that end in surrogate pairs.
    std::u16string wide;
    WideEntries kept;
    for (int i = 0; i < 30; ++i) {
        const std::u16string field = static_cast<char16_t>(u'A' + i) + kLongestWide.substr(0, 510);
        wide += std::u16string(600, u'\u00E9') + u"|" + field + u"|";
        if (kept.size() < 20) {
            kept.push_back(field);
        }
    }
    EXPECT_EQ(splitForwardedWide(wide), kept);
    EXPECT_EQ(splitForwardedWide(std::u16string(1 << 20, u'\xD800')), WideEntries{});
    EXPECT_EQ(splitForwardedWide(std::u16string(100000, u'|')), WideEntries{});
}

TEST(ForwardedText, RoundTripsEntriesWithoutBars) {
    const Entries in = {"a", "C:\\Users\\me\\My Documents\\plan.tav", std::string(511, 'q'),
                        "\xe9"};
    EXPECT_EQ(splitForwarded(join(in)), in);
}

// Every plane comes back unit for unit: the basic plane in several scripts
// and at its ends, a surrogate pair, unpaired surrogates of either half and
// in the wrong order, and the fullwidth vertical line, which is no bar.
TEST(ForwardedText, RoundTripsEveryPlaneInUtf16) {
    const WideEntries in = {
        u"Za\u017C\u00F3\u0142\u0107 g\u0119\u015Bl\u0105.tav",
        u"\u65E5\u672C\u8A9E.txt",
        u"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC.doc",
        u"\u041F\u0440\u0438\u0432\u0435\u0442.txt",
        u"\U0001F600.txt",
        u"\U00010000\U0010FFFF",
        u"lone \xD800 high",
        u"lone \xDFFF low",
        u"\xDC00\xD800",
        u"a\uFF5Cb",
        u"\u0001\u007F\u0080\u07FF\u0800\uFFFD\uFFFF",
        kLongestWide,
    };
    EXPECT_EQ(splitForwardedWide(joinWide(in)), in);
}


TEST(SenderFolder, RelativeNamesBecomeFullPathsOnlyFromAnotherFolder) {
    const std::u16string longFolder = u"D:\\" + std::u16string(502, u'd');
    const struct {
        const char16_t* entry;
        const char16_t* sender;
        const char16_t* own;
        std::u16string expected;
    } cases[] = {
        {u"notes.tav", u"D:\\Docs", u"C:\\Tavora", u"D:\\Docs\\notes.tav"},
        {u"sub\\deep.tav", u"D:\\Docs\\", u"C:\\Tavora", u"D:\\Docs\\sub\\deep.tav"},
        {u"notes.tav", u"d:/docs/", u"D:\\Docs", u""}, // the same folder: byte for byte
        {u"C:\\x.tav", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"C:x.tav", u"D:\\Docs", u"C:\\Tavora", u""}, // another drive's own folder: unknown
        {u"\\\\srv\\share\\x.tav", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"\\top.tav", u"D:\\Docs", u"C:\\Tavora", u"D:\\top.tav"},
        {u"..\\up.tav", u"D:\\Docs\\Sub", u"C:\\Tavora", u"D:\\Docs\\up.tav"},
        {u"..\\..\\..\\x.tav", u"D:\\Docs", u"C:\\Tavora", u"D:\\x.tav"},
        {u"x.tav", u"\\\\srv\\share\\Docs", u"C:\\Tavora", u"\\\\srv\\share\\Docs\\x.tav"},
        {u"-option", u"relative\\folder", u"C:\\Tavora", u""}, // no root: nothing to go by
        {u"", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"e.tav", longFolder.c_str(), u"C:\\Tavora", longFolder + u"\\e.tav"}, // 511 units
        {u"ee.tav", longFolder.c_str(), u"C:\\Tavora", u""},                    // 512: never cut
    };
    for (const auto& c : cases) {
        EXPECT_EQ(handedOverPath(c.entry, c.sender, c.own), c.expected)
            << std::string(c.entry, c.entry + std::char_traits<char16_t>::length(c.entry));
    }
    // The folder goes along only with such names, and only where it fits.
    EXPECT_EQ(folderToSend(true, longFolder + u"\\abcde"), longFolder + u"\\abcde"); // 511
    EXPECT_EQ(folderToSend(true, longFolder + u"\\abcdef"), u"");
    EXPECT_EQ(folderToSend(false, u"D:\\Docs"), u"");
}

} // namespace
