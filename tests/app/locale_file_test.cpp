#include "app/locale_file.h"
#include "app/app_folder.h"
#include "app/launch_settings.h"

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


// Where the application's files come from, beside where the locale file does.
TEST(AppFolder, TheExecutablesFolderOnlyWhereItAloneHoldsTheJar) {
    // working jar, executable's jar, working locale, executable's locale →
    // class path from the executable's folder, its locale file.
    const bool cases[][6] = {
        {true, true, false, true, false, false},   // started in its folder
        {false, false, false, true, false, false}, // neither: byte for byte as before
        {false, true, false, true, true, true},    // a document's folder
        {false, true, true, true, true, false},    // the user's own locale file wins
        {false, true, false, false, true, false},
    };
    for (const auto& c : cases) {
        const AppFolderChoice choice = chooseAppFolder(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(choice.fromExecutable, c[4]) << c[0] << c[1] << c[2] << c[3];
        EXPECT_EQ(choice.localeFromExecutable, c[5]) << c[0] << c[1] << c[2] << c[3];
    }
}

TEST(AppFolder, RelativeEntriesAreTakenFromTheFolder) {
    EXPECT_EQ(applicationJar(kApplicationClassPath), "Pellix.jar");
    EXPECT_EQ(applicationJar(".;classes;"), "");
    EXPECT_EQ(folderOf("C:\\Program Files\\Tavora\\Pellix2.exe"), "C:\\Program Files\\Tavora");
    EXPECT_EQ(folderOf("C:\\Pellix2.exe"), "C:\\"); // "C:" would be that drive's current folder
    const char* const cases[][3] = {
        {".;Pellix.jar;.\\lib\\Kestrane.jar;", "C:\\T", "C:\\T;C:\\T\\Pellix.jar;C:\\T\\lib\\Kestrane.jar;"},
        {".;a.jar;", "D:\\", "D:\\;D:\\a.jar;"},
        {".;a.jar;", "\\\\srv\\apps\\T", "\\\\srv\\apps\\T;\\\\srv\\apps\\T\\a.jar;"},
        {"C:\\x.jar;\\\\s\\h\\y.jar;D:/z.jar;\\root.jar;", "E:\\T",
         "C:\\x.jar;\\\\s\\h\\y.jar;D:/z.jar;\\root.jar;"},
        {"./lib/a.jar;..\\b.jar", "E:\\T", "E:\\T\\lib/a.jar;E:\\T\\..\\b.jar"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classPathIn(c[0], c[1]), c[2]) << c[0];
    }
}

} // namespace
