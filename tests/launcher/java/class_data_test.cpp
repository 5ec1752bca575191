#include "launcher/java/class_data.h"

#include <gtest/gtest.h>

namespace {

const std::string kFolder = "C:\\Users\\Ann Lee\\AppData\\Local\\Tavora";
const std::string kStem = kFolder + "\\cds-0123456789abcdef";
using Options = std::vector<std::string>;
using Change = void (*)(CacheFacts&);

// A Java 17 with its java.exe, whose folder holds its archive; then change.
CacheFacts facts(Change change) {
    CacheFacts f;
    f.version = "17";
    f.javaProgram = true;
    f.folder = kFolder;
    f.key = "0123456789abcdef";
    f.state = CacheFolder::Ready;
    change(f);
    return f;
}

TEST(ClassDataCache, AddsItsOptionsOnlyForAQualifyingRuntimeAndFolder) {
    using F = CacheFacts&;
    using R = CacheReason;
    const struct {
        const char* why;
        Change change;
        CacheReason reason;
    } cases[] = {
        {"archive there", [](F) {}, R::Use},
        {"first start", [](F f) { f.state = CacheFolder::Free, f.userOptions = {"-Xmx1g"}; },
         R::List},
        {"release file's version", [](F f) { f.version = "", f.release = "JAVA_VERSION=\"21\"\n"; },
         R::Use},
        {"release file before key", [](F f) { f.release = "JAVA_VERSION=\"16.0.2\""; },
         R::OldRuntime},
        {"Java 8", [](F f) { f.version = "1.8"; }, R::OldRuntime},
        {"Java 11", [](F f) { f.version = "11.0.2"; }, R::OldRuntime},
        {"unknown version", [](F f) { f.version = "jre"; }, R::NoVersion},
        {"Semeru key", [](F f) { f.openj9Key = true; }, R::OpenJ9},
        {"OpenJ9 release", [](F f) { f.release = "JVM_VARIANT=\"Openj9\"\n"; }, R::OpenJ9},
        {"IBM runtime", [](F f) { f.release = "IMPLEMENTOR=\"IBM Corporation\"\n"; }, R::OpenJ9},
        {"no java.exe", [](F f) { f.javaProgram = false; }, R::NoJavaProgram},
        {"no LOCALAPPDATA", [](F f) { f.folder = ""; }, R::NoFolder},
        {"not in the code page", [](F f) { f.folder = "C:\\Users\\?\\Tavora"; }, R::PathUnfit},
        {"two archives' separator", [](F f) { f.folder = "C:\\a;b"; }, R::PathUnfit},
        {"past MAX_PATH", [](F f) { f.folder = "C:\\" + std::string(230, 'x'); }, R::PathUnfit},
        {"unwritable folder", [](F f) { f.state = CacheFolder::Unusable; }, R::Unusable},
        {"another start makes it", [](F f) { f.state = CacheFolder::Busy; }, R::Busy},
        {"making failed before", [](F f) { f.state = CacheFolder::Failed; }, R::Failed},
    };
    for (const auto& c : cases) {
        const CachePlan plan = planCache(facts(c.change));
        const Options expected =
            c.reason == R::Use    ? Options{"-XX:SharedArchiveFile=" + kStem + ".jsa"}
            : c.reason == R::List ? Options{"-XX:DumpLoadedClassList=" + kStem + ".classlist"}
                                  : Options{};
        EXPECT_EQ(plan.options, expected) << c.why;
        EXPECT_EQ(plan.reason, c.reason) << c.why;
        EXPECT_EQ(plan.makeArchive, c.reason == R::List) << c.why;
    }
    // The user's class-data options switch it off, whatever the folder holds.
    for (const char* user :
         {"-Xshare:off", "-Xshare:auto", "-XX:SharedArchiveFile=a.jsa", "-XX:SharedClassListFile=l",
          "-XX:DumpLoadedClassList=l", "-XX:ArchiveClassesAtExit=a", "-XX:+AutoCreateSharedArchive",
          "-XX:AOTCache=a.aot", "-XX:AOTCacheOutput=a.aot", "-XX:-UseSharedSpaces"}) {
        CacheFacts withUser = facts([](F) {});
        withUser.userOptions = {"-Xmx1g", user};
        EXPECT_EQ(planCache(withUser).reason, R::UserOptions) << user;
    }
}

TEST(ClassDataCache, NamesKeepsAndTrustsOnlyItsOwnFiles) {
    const std::string key = cacheKey("C:\\jdk-17", "17.0.9", 18000000, 1234);
    EXPECT_EQ(keyOfFile("cds-" + key + ".jsa"), key);
    EXPECT_EQ(cacheKey("c:\\JDK-17", "17.0.9", 18000000, 1234), key); // Windows' case
    // A runtime updated in place, moved or another build is another key.
    EXPECT_NE(cacheKey("C:\\jdk-17", "17.0.9", 18000001, 1234), key);
    EXPECT_NE(cacheKey("C:\\jdk-17", "17.0.9", 18000000, 1235), key);
    EXPECT_NE(cacheKey("C:\\jdk-17", "17.0.10", 18000000, 1234), key);
    EXPECT_NE(cacheKey("C:\\jdk-21", "17.0.9", 18000000, 1234), key);
    for (const char* other : {"cds-0123.jsa", "cds-0123456789ABCDEF.jsa", "notes.txt"}) {
        EXPECT_EQ(keyOfFile(other), "") << other;
    }

    const std::string magic("\xa2\xab\x0b\xf0", 4);
    EXPECT_TRUE(archiveLooksWhole(magic + "rest", 12000000));
    EXPECT_FALSE(archiveLooksWhole(magic, 4096));                                  // cut
    EXPECT_FALSE(archiveLooksWhole(std::string("\xa8\xab\x0b\xf0", 4), 10000000)); // dynamic
    EXPECT_FALSE(archiveLooksWhole("", 0));

    // Runtimes gone, and beyond four builds the oldest, lose their files.
    const std::vector<CacheGroup> groups = {{"cur", true, 1}, {"gone", false, 9}, {"a", true, 8},
                                            {"b", true, 7},   {"c", true, 6},     {"old", true, 5}};
    EXPECT_EQ(staleKeys(groups, "cur"), (Options{"gone", "old"}));

    std::string home, version, library;
    ASSERT_TRUE(readRuntimeRecord(runtimeRecord("C:\\jdk", "17", "C:\\jdk\\jvm.dll"), home, version,
                                  library));
    EXPECT_EQ(home + "|" + version + "|" + library, "C:\\jdk|17|C:\\jdk\\jvm.dll");
    EXPECT_EQ(commandLine("C:\\j dk\\java.exe", archiveArguments("C:\\A B\\l", "C:\\t")),
              "\"C:\\j dk\\java.exe\" -Xshare:dump \"-XX:SharedClassListFile=C:\\A B\\l\" "
              "-XX:SharedArchiveFile=C:\\t -cp \"\"");
}

} // namespace
