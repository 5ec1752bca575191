#include "app/locale_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// The locale that a file with this content gives, starting from "en".
std::string localeOf(const std::string& content) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    std::string locale = "en";
    readLocaleSetting(file, locale);
    std::fclose(file);
    return locale;
}

TEST(LocaleFile, TakesTheTextBehindTheKey) {
    const struct {
        std::string content;
        std::string expected;
    } cases[] = {
        {"locale=de\n", "de"},
        {"locale=DE\n", "DE"},
        {"locale=de \n", "de "},
        {"locale=\n", ""},
        {"locale=it", "it"},
        {"locale=de\r\n", "de"},
        {"x=1\r\nlocale=fr\r\nlocale=de\r\n", "fr"},
        {"locale=fr\nlocale=de\n", "fr"},
        {"# settings\n\nlocale=nl\n", "nl"},
        {"LOCALE=de\n", "en"},
        {"Locale=de\n", "en"},
        {"", "en"},
        {"\n\n\n", "en"},
        {"locale\n=de\n", "en"},
        {"locale=ja\r", "ja\r"},
        {"locale=pt_br\r\r\n", "pt_br\r"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(localeOf(c.content), c.expected) << "content: [" << c.content << "]";
    }
}

TEST(LocaleFile, FindsTheKeyWhereItStandsInTheLine) {
    EXPECT_EQ(localeOf("\xEF\xBB\xBFlocale=fr\r\n"), "fr"); // UTF-8 byte-order mark
    EXPECT_EQ(localeOf("   locale=es\n"), "es");
    EXPECT_EQ(localeOf("\tlocale=es\n"), "es");
    EXPECT_EQ(localeOf("mylocale=zh\n"), "zh");
    EXPECT_EQ(localeOf("llocale=ja\n"), "ja");
    EXPECT_EQ(localeOf("localocale=de\n"), "de"); // the key starts inside "local"
    EXPECT_EQ(localeOf("locale locale=de\n"), "de");
    // The first line that holds the key decides, whatever it gives.
    EXPECT_EQ(localeOf("x locale=\nlocale=de\n"), "");
}

TEST(LocaleFile, ReadsLinesOfAnyLength) {
    const std::string longLine(1 << 20, 'x');
    EXPECT_EQ(localeOf(longLine + "\nlocale=fr\n"), "fr");
    EXPECT_EQ(localeOf(longLine + "locale=it\n"), "it");
    EXPECT_EQ(localeOf("locale=" + std::string(70000, 'v') + "\nlocale=de\n"),
              std::string(70000, 'v'));
    EXPECT_EQ(localeOf(longLine), "en");
}

TEST(LocaleFile, KeepsTheLocaleWhenTheFileHoldsNoKey) {
    std::string locale = "en";
    std::FILE* file = std::tmpfile();
    std::fputs("language=de\n", file);
    std::rewind(file);
    readLocaleSetting(file, locale);
    std::fclose(file);
    EXPECT_EQ(locale, "en");
}

TEST(LocaleFile, StopsAtAReadError) {
    // A stream open for writing only fails its first read.
    std::FILE* file = std::fopen("/dev/null", "w");
    ASSERT_NE(file, nullptr);
    std::string locale = "en";
    readLocaleSetting(file, locale);
    std::fclose(file);
    EXPECT_EQ(locale, "en");
}

} // namespace

namespace {

TEST(LocaleFile, OpensTheNamedFileOrDefaultsToEnglish) {
    EXPECT_EQ(readLocale("/nonexistent/dxr_tavora"), "en");
    EXPECT_EQ(readLocale("/"), "en"); // a directory reads as an error

    const std::string path = ::testing::TempDir() + "dxr_tavora";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("locale=ja\r\n", file);
    std::fclose(file);
    EXPECT_EQ(readLocale(path.c_str()), "ja");
    std::remove(path.c_str());
}

} // namespace
