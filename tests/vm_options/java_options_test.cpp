#include "vm_options/java_options.h"
#include "vm_options/vm_options_file.h"

#include <gtest/gtest.h>

#include <string>
#include <algorithm>
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
    composeLaunchOptions(launch, "-Djava.class.path=.;", 0x00010004, {});
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

std::string joined(const JavaLaunchOptions& launch) {
    std::string text;
    for (const JavaVMOption& option : launch.options) {
        text += std::string(option.optionString) + (option.extraInfo != nullptr ? "*|" : "|");
    }
    return text;
}

TEST(LaunchOptions, AreHooksThenTheFixedThenTheExtrasThenTheFiles) {
    char hookName[] = "vfprintf";
    JavaLaunchOptions launch;
    const std::vector<std::string> files = {"-XX:MaxRAM=8g", "-Dx"};
    composeLaunchOptions(launch, "-Dcp", 0x00010004,
                         {{{hookName, &launch}}, fixedHeapBeside(files), "-Xshare:auto", files});
    EXPECT_EQ(joined(launch), "vfprintf*|-Dosgi.requiredJavaVersion=1.5;|-Djava.compiler=NONE;|"
                              "-Dcp||-Xshare:auto|-XX:MaxRAM=8g|-Dx|");
    EXPECT_EQ(launch.initArgs.nOptions, 8);
    EXPECT_EQ(launch.initArgs.options, launch.options.data());
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
        {{"-XX:MaxRAM=8g"}, false, false},
        {{"-XX:InitialRAMPercentage=5"}, false, true},
        {{"-Xms365m"}, true, false},
        {{"-Xms364m"}, true, true},
        {{"-XX:MinHeapSize=1T"}, true, false},
        {{"-Xmx39m"}, false, true},
        {{"-Xmx32m", "-Xmx1g"}, true, true},
        {{"-Xmx16q"}, true, true}, // the runtime refuses it in its own words
        {{"-Xms99999999999999999999"}, true, false},
        {{"-Dnote=-XX:MaxRAM=1g"}, true, true},
    };
    for (const auto& c : cases) {
        const FixedHeap heap = fixedHeapBeside(c.options);
        EXPECT_EQ(heap.initial, c.initial) << (c.options.empty() ? "none" : c.options[0]);
        EXPECT_EQ(heap.maximum, c.maximum) << (c.options.empty() ? "none" : c.options[0]);
    }
}

// A code page that carries Latin-1 alone.
bool latin1(std::u16string_view text, std::string& out) {
    out.assign(text.begin(), text.end());
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit <= 0xFF; });
}

std::string utf16le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    }
    return bytes;
}

// Each option line: its text where taken, else its number and a letter for
// the verdict (n count, l length, p class path, c code page).
TEST(VmOptionsFile, TakesWhatNotepadWritesAndSaysWhyItSkipsTheRest) {
    // The limits as numbers: a limit that moves is a change for its users.
    const std::string longest = "-D" + std::string(4094, 'a');
    std::string many;
    for (int i = 0; i <= 256; ++i) {
        many += "-Dn\n";
    }
    const struct {
        std::string bytes;
        const char* encoding;
        std::string lines;
    } cases[] = {
        {"# heap\r\n\r\n  -Xmx4g \t\r\n\t#-Xms1g\r\n-Dx=a b", "UTF-8", "-Xmx4g\n-Dx=a b\n"},
        {"\xEF\xBB\xBF-Duser=J\xC3\xBCrgen\n", "UTF-8 with its mark", "-Duser=J\xFCrgen\n"},
        {utf16le(u"-Xmx2g\r\n-Dn=\u00E9\r\n-Dc=\u6771\r\n"), "UTF-16 LE", "-Xmx2g\n-Dn=\xE9\n3c\n"},
        {std::string("\xFE\xFF\0-\0X\0s", 8), "UTF-16 BE", "-Xs\n"},
        {"-Dn=\xE9t\xE9\n", "the system code page", "-Dn=\xE9t\xE9\n"},
        {std::string("-Da\0b\n-Dc", 9), "UTF-8", "1c\n-Dc\n"}, // a NUL would cut it
        {"-cp x\n-classpath\n--class-path=x\n-Djava.class.path=x\n-cpx", "UTF-8",
         "1p\n2p\n3p\n4p\n-cpx\n"},
        {longest + "\n" + longest + "a", "UTF-8", longest + "\n2l\n"},
        {many, "UTF-8", many.substr(0, 4 * 256) + "257n\n"},
        {std::string(65535, '#') + "\n", "UTF-8", ""},
        {std::string(65536, '#') + "-", "", ""},
        // No UTF-8: an overlong form, a surrogate, a code point beyond U+10FFFF.
        {"-Da=\xE0\x80\xAF", "the system code page", "-Da=\xE0\x80\xAF\n"},
        {"-Da=\xED\xA0\x80", "the system code page", "-Da=\xED\xA0\x80\n"},
        {"-Da=\xF4\x90\x80\x80", "the system code page", "-Da=\xF4\x90\x80\x80\n"},
    };
    for (const auto& c : cases) {
        const VmOptionsText read = readVmOptions(c.bytes, latin1);
        std::string lines;
        for (const VmOptionLine& line : read.lines) {
            const char verdict = "-nlpc"[static_cast<int>(line.verdict)];
            lines += verdict == '-' ? line.text : std::to_string(line.number) + verdict;
            lines += "\n";
        }
        EXPECT_STREQ(read.encoding, c.encoding) << c.lines;
        EXPECT_EQ(read.tooLarge, *c.encoding == '\0') << c.lines;
        EXPECT_EQ(lines, c.lines) << c.encoding;
    }
}

} // namespace
