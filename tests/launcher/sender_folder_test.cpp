#include "launcher/sender_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

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
        {u"notes.tav", u"D:\\Docs", u"D:\\Docs\\Old", u"D:\\Docs\\notes.tav"},
        {u"C:\\x.tav", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"C:/x.tav", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"C:x.tav", u"D:\\Docs", u"C:\\Tavora", u""}, // another drive's own folder: unknown
        {u"\\\\srv\\share\\x.tav", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"\\top.tav", u"D:\\Docs", u"C:\\Tavora", u"D:\\top.tav"},
        {u"..\\up.tav", u"D:\\Docs\\Sub", u"C:\\Tavora", u"D:\\Docs\\up.tav"},
        {u"..\\..\\..\\x.tav", u"D:\\Docs", u"C:\\Tavora", u"D:\\x.tav"},
        {u".\\a\\.\\b\\..\\c.tav", u"D:\\Docs", u"C:\\Tavora", u"D:\\Docs\\a\\c.tav"},
        {u"..", u"D:\\Docs", u"C:\\Tavora", u"D:\\"},
        {u"x.tav", u"\\\\srv\\share\\Docs", u"C:\\Tavora", u"\\\\srv\\share\\Docs\\x.tav"},
        {u"..\\..\\x.tav", u"\\\\srv\\share\\Docs", u"C:\\Tavora", u"\\\\srv\\share\\x.tav"},
        {u"-option", u"relative\\folder", u"C:\\Tavora", u""}, // no root: nothing to go by
        {u"", u"D:\\Docs", u"C:\\Tavora", u""},
        {u"e.tav", longFolder.c_str(), u"C:\\Tavora", longFolder + u"\\e.tav"}, // 511 units
        {u"ee.tav", longFolder.c_str(), u"C:\\Tavora", u""},                    // 512: never cut
    };
    for (const auto& c : cases) {
        EXPECT_EQ(handedOverPath(c.entry, c.sender, c.own), c.expected)
            << std::string(c.entry, c.entry + std::char_traits<char16_t>::length(c.entry));
    }
}

} // namespace
