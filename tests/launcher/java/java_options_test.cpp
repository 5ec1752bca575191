#include "launcher/java/java_options.h"
#include "launcher/java/vm_options_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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

TEST(LaunchOptions, AreHooksThenTheFixedThenTheExtrasThenTheFiles) {
    char hookName[] = "vfprintf";
    int hook = 0;
    JavaLaunchOptions launch;
    composeLaunchOptions(
        launch, "-Djava.class.path=.;", 0x00010004,
        {{{hookName, &hook}}, {"-Xshare:auto"}, {"-XX:MaxRAMPercentage=70", "-Dx"}});
    const char* expected[] = {"vfprintf",
                              "-Xms40m",
                              "-Dosgi.requiredJavaVersion=1.5;",
                              "-Djava.compiler=NONE;",
                              "-Djava.class.path=.;",
                              "",
                              "-Xshare:auto",
                              "-XX:MaxRAMPercentage=70",
                              "-Dx"};
    ASSERT_EQ(launch.initArgs.nOptions, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(launch.initArgs.options[i].optionString, expected[i]) << i;
        EXPECT_EQ(launch.initArgs.options[i].extraInfo, i == 0 ? &hook : nullptr) << i;
    }
}

// The runtime takes the last size given, but reads a share or an amount of
// memory only where no size is given; and it refuses an initial heap above
// the maximum.
TEST(FixedHeap, GivesWayWhereTheFilesSetThatHeapOtherwise) {
    const struct {
        std::vector<std::string> options;
        bool initial;
        bool maximum;
    } cases[] = {
        {{}, true, true},
        {{"-Xmx4g", "-Xms64m"}, true, true}, // theirs come later and win
        {{"-XX:MaxRAMPercentage=70"}, true, false},
        {{"-XX:MaxRAMFraction=2"}, true, false},
        {{"-XX:MinRAMPercentage=60"}, true, false},
        {{"-XX:ErgoHeapSizeLimit=2g"}, true, false},
        {{"-XX:MaxRAM=8g"}, false, false},
        {{"-XX:InitialRAMPercentage=5"}, false, true},
        {{"-XX:InitialRAMFraction=8"}, false, true},
        {{"-Xms365m"}, true, false},
        {{"-Xms364m"}, true, true},
        {{"-XX:InitialHeapSize=1g"}, true, false},
        {{"-XX:MinHeapSize=1T"}, true, false},
        {{"-Xmx39m"}, false, true},
        {{"-XX:MaxHeapSize=40960k"}, true, true},
        {{"-Xmx32m", "-Xmx1g"}, true, true},
        {{"-Xms1g", "-Xms100m"}, true, true},
        {{"-Xmx16q"}, true, true}, // the runtime refuses it in its own words
        {{"-Xmx99999999999999999999"}, true, true},
        {{"-Dnote=-XX:MaxRAM=1g", "-XX:+UseG1GC"}, true, true},
    };
    for (const auto& c : cases) {
        const FixedHeap heap = fixedHeapBeside(c.options);
        const std::string what = c.options.empty() ? "none" : c.options[0];
        EXPECT_EQ(heap.initial, c.initial) << what;
        EXPECT_EQ(heap.maximum, c.maximum) << what;
    }
}

// A code page that carries Latin-1 alone.
bool latin1(std::u16string_view text, std::string& out) {
    out.clear();
    for (char16_t unit : text) {
        if (unit > 0xFF) {
            return false;
        }
        out += static_cast<char>(unit);
    }
    return true;
}

std::string utf16(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string lines(const std::string& line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line + "\n";
    }
    return text;
}

TEST(VmOptionsFile, TakesWhatNotepadWritesAndSaysWhyItSkipsTheRest) {
    using V = VmOptionVerdict;
    const std::string longest = "-D" + std::string(kVmOptionLength - 2, 'a');
    const struct {
        const char* why;
        std::string bytes;
        std::string encoding;
        std::vector<std::string> taken;
        std::vector<std::pair<std::size_t, V>> skipped;
    } cases[] = {
        {"comments, blank lines, blanks, CR LF",
         "# heap\r\n\r\n  -Xmx4g \t\r\n\t#-Xms1g\r\n-Dx=a b\r\n",
         "UTF-8",
         {"-Xmx4g", "-Dx=a b"},
         {}},
        {"no line end at the end", "-Xss2m", "UTF-8", {"-Xss2m"}, {}},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF-Duser=J\xC3\xBCrgen\n",
         "UTF-8 with its mark",
         {"-Duser=J\xFCrgen"},
         {}},
        {"UTF-16 LE",
         utf16(u"-Xmx2g\r\n-Dn=\u00E9\r\n-Dcity=\u6771\u4EAC\r\n"),
         "UTF-16 LE",
         {"-Xmx2g", "-Dn=\xE9"},
         {{3, V::NotInCodePage}}},
        {"UTF-16 BE", utf16(u"-Xmx2g\n", true), "UTF-16 BE", {"-Xmx2g"}, {}},
        {"system code page, not UTF-8",
         "-Dn=\xE9t\xE9\n",
         "the system code page",
         {"-Dn=\xE9t\xE9"},
         {}},
        {"a NUL would cut the option",
         std::string("-Da\0b\n-Dc", 9),
         "UTF-8",
         {"-Dc"},
         {{1, V::NotInCodePage}}},
        {"class path",
         "-cp x.jar\n-classpath\n--class-path=x\n-Djava.class.path=x\n-cpx\n",
         "UTF-8",
         {"-cpx"},
         {{1, V::ReplacesClassPath},
          {2, V::ReplacesClassPath},
          {3, V::ReplacesClassPath},
          {4, V::ReplacesClassPath}}},
        {"longest line", longest + "\n" + longest + "a\n", "UTF-8", {longest}, {{2, V::TooLong}}},
        {"options beyond the count",
         lines("-Dn", 257),
         "UTF-8",
         std::vector<std::string>(kVmOptionsPerFile, "-Dn"),
         {{257, V::BeyondCount}}},
        {"too large a file", lines("#", kVmOptionsFileBytes / 2) + "-", "", {}, {}},
    };
    for (const auto& c : cases) {
        const VmOptionsText read = readVmOptions(c.bytes, latin1);
        std::vector<std::string> taken;
        std::vector<std::pair<std::size_t, V>> skipped;
        for (const VmOptionLine& line : read.lines) {
            if (line.verdict == V::Taken) {
                taken.push_back(line.text);
            } else {
                skipped.emplace_back(line.number, line.verdict);
            }
        }
        EXPECT_EQ(read.encoding, c.encoding) << c.why;
        EXPECT_EQ(read.tooLarge, c.encoding.empty()) << c.why;
        EXPECT_EQ(taken, c.taken) << c.why;
        EXPECT_EQ(skipped, c.skipped) << c.why;
    }
}

} // namespace
