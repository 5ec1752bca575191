#include "app/app_folder.h"

#include <gtest/gtest.h>

#include "app/launch_settings.h"

namespace {

TEST(AppFolder, TheExecutablesFolderOnlyWhereItAloneHoldsTheJar) {
    const struct {
        bool workingJar, executableJar, workingLocale, executableLocale;
        bool fromExecutable, localeFromExecutable;
    } cases[] = {
        {true, true, false, true, false, false},   // started in its folder
        {true, false, false, false, false, false}, // an older layout beside another copy
        {false, false, false, true, false, false}, // neither: byte for byte as before
        {false, true, false, true, true, true},    // a document's folder
        {false, true, true, true, true, false},    // the user's own locale file wins
        {false, true, false, false, true, false},
    };
    for (const auto& c : cases) {
        const AppFolderChoice choice =
            chooseAppFolder(c.workingJar, c.executableJar, c.workingLocale, c.executableLocale);
        EXPECT_EQ(choice.fromExecutable, c.fromExecutable) << c.workingJar << c.executableJar;
        EXPECT_EQ(choice.localeFromExecutable, c.localeFromExecutable)
            << c.workingJar << c.executableJar << c.workingLocale << c.executableLocale;
    }
}

TEST(AppFolder, RelativeEntriesAreTakenFromTheFolder) {
    EXPECT_EQ(applicationJar(kApplicationClassPath), "Pellix.jar");
    EXPECT_EQ(applicationJar(".;lib\\a.jar"), "lib\\a.jar");
    EXPECT_EQ(applicationJar(".;classes;"), "");
    EXPECT_EQ(folderOf("C:\\Program Files\\Tavora\\Pellix2.exe"), "C:\\Program Files\\Tavora");
    EXPECT_EQ(folderOf("C:\\Pellix2.exe"), "C:\\");
    EXPECT_EQ(folderOf("Pellix2.exe"), "");

    const struct {
        const char* classPath;
        const char* folder;
        const char* expected;
    } cases[] = {
        {kApplicationClassPath, "C:\\Tavora",
         "C:\\Tavora;C:\\Tavora\\Pellix.jar;C:\\Tavora\\lib\\Kestrane.jar;"
         "C:\\Tavora\\lib\\castor_validators.jar;C:\\Tavora\\lib\\soap.jar;"
         "C:\\Tavora\\lib\\mail.jar;C:\\Tavora\\lib\\jaxrpc.jar;C:\\Tavora\\lib\\activation.jar;"
         "C:\\Tavora\\lib\\Hollowmark.jar;"},
        {".;a.jar;", "D:\\", "D:\\;D:\\a.jar;"},
        {".;a.jar;", "\\\\srv\\apps\\T", "\\\\srv\\apps\\T;\\\\srv\\apps\\T\\a.jar;"},
        {"C:\\x.jar;\\\\s\\h\\y.jar;D:/z.jar;\\root.jar;", "E:\\T",
         "C:\\x.jar;\\\\s\\h\\y.jar;D:/z.jar;\\root.jar;"},
        {"./lib/a.jar;..\\b.jar", "E:\\T", "E:\\T\\lib/a.jar;E:\\T\\..\\b.jar"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classPathIn(c.classPath, c.folder), c.expected) << c.classPath;
    }
}

} // namespace
