#include "launcher/java/java_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ClassPathOption, AppendsTheRuntimesLibraryAndTheExtraJars) {
    EXPECT_EQ(buildClassPathOption(".;app.jar;", "C:\\jre", ""),
              "-Djava.class.path=.;app.jar;C:\\jre\\lib;C:\\jre\\lib\\rt.jar;");
    EXPECT_EQ(buildClassPathOption(".;", "C:\\jre", "D:\\b\\briscaCombo.jar;"),
              "-Djava.class.path=.;C:\\jre\\lib;C:\\jre\\lib\\rt.jar;D:\\b\\briscaCombo.jar;");
}

TEST(ClassPathOption, IsComposedWholeWhateverItsLength) {
    const std::string home = "C:\\" + std::string(4000, 'h');
    const std::string classPath = std::string(9000, 'c') + ";";
    const std::string option = buildClassPathOption(classPath, home, "");
    EXPECT_EQ(option.size(), 18 + classPath.size() + 2 * home.size() + 5 + 12);
    EXPECT_EQ(option.substr(option.size() - 12), "\\lib\\rt.jar;");
}

std::vector<std::string> entries(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start));
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

TEST(ExtraJarEntries, DependOnTheMode) {
    EXPECT_EQ(extraJarEntries("D:\\Brisca", 0), "");
    EXPECT_EQ(extraJarEntries("D:\\Brisca", 1), "D:\\Brisca\\briscaCombo.jar;");
    EXPECT_EQ(extraJarEntries("D:\\Brisca", 3), "");
    EXPECT_EQ(extraJarEntries("D:\\Brisca", -1), "");

    const std::string modules = extraJarEntries("D:\\Brisca", 2);
    const auto jars = entries(modules);
    ASSERT_EQ(jars.size(), 22u) << modules; // the last one has no ";" behind it
    for (const auto& jar : jars) {
        EXPECT_EQ(jar.rfind("D:\\Brisca\\", 0), 0u) << jar;
        EXPECT_EQ(jar.substr(jar.size() - 4), ".jar") << jar;
    }
    EXPECT_NE(modules.back(), ';');
}

TEST(ExtraJarEntries, AMissingDirectoryAddsNothing) {
    for (int mode : {1, 2}) {
        EXPECT_EQ(extraJarEntries("", mode), "") << "mode " << mode;
    }
}

TEST(LaunchOptions, AreTheSixOptionsInOrder) {
    JavaLaunchOptions launch;
    fillLaunchOptions(launch, "-Djava.class.path=.;", 0x00010004);
    EXPECT_EQ(launch.initArgs.version, 0x00010004);
    EXPECT_EQ(launch.initArgs.ignoreUnrecognized, JNI_TRUE);
    ASSERT_EQ(launch.initArgs.nOptions, 6);
    const char* expected[6] = {"-Xms40m",
                               "-Xmx364m",
                               "-Dosgi.requiredJavaVersion=1.5;",
                               "-Djava.compiler=NONE;",
                               "-Djava.class.path=.;",
                               ""};
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(launch.initArgs.options[i].optionString, nullptr) << i;
        EXPECT_STREQ(launch.initArgs.options[i].optionString, expected[i]) << i;
        EXPECT_EQ(launch.initArgs.options[i].extraInfo, nullptr) << i;
    }
}

} // namespace
