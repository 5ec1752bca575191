#include "launcher/java/class_data.h"

#include <gtest/gtest.h>

namespace {

const std::string kFolder = "C:\\Users\\Ann Lee\\AppData\\Local\\Tavora";
const std::string kStem = kFolder + "\\cds-0123456789abcdef";
using Options = std::vector<std::string>;

TEST(ClassDataCache, AddsItsOptionsOnlyForAQualifyingRuntimeAndFolder) {
    const struct {
        const char* why;
        std::string version, release;
        bool openj9Key, javaProgram;
        Options user;
        std::string folder;
        CacheFolder state;
        Options options;
        CacheReason reason;
    } cases[] = {
        {"archive there",
         "17",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {"-XX:SharedArchiveFile=" + kStem + ".jsa"},
         CacheReason::Use},
        {"first start lists",
         "17.0.9",
         "",
         false,
         true,
         {"-Xmx1g", "-XX:+UseG1GC"},
         kFolder,
         CacheFolder::Free,
         {"-XX:DumpLoadedClassList=" + kStem + ".classlist"},
         CacheReason::List},
        {"release file's version",
         "",
         "JAVA_VERSION=\"21.0.1\"\n",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {"-XX:SharedArchiveFile=" + kStem + ".jsa"},
         CacheReason::Use},
        {"release file before the key",
         "17",
         "JAVA_VERSION=\"16.0.2\"\n",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::OldRuntime},
        {"Java 8",
         "1.8",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::OldRuntime},
        {"Java 11",
         "11.0.2",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::OldRuntime},
        {"unknown version",
         "jre",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::NoVersion},
        {"Semeru key",
         "17",
         "",
         true,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::OpenJ9},
        {"OpenJ9 release",
         "21",
         "JVM_VARIANT=\"Openj9\"\n",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::OpenJ9},
        {"IBM runtime",
         "21",
         "IMPLEMENTOR=\"IBM Corporation\"\n",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::OpenJ9},
        {"no java.exe",
         "17",
         "",
         false,
         false,
         {},
         kFolder,
         CacheFolder::Ready,
         {},
         CacheReason::NoJavaProgram},
        {"no LOCALAPPDATA",
         "17",
         "",
         false,
         true,
         {},
         "",
         CacheFolder::Free,
         {},
         CacheReason::NoFolder},
        {"a character the code page lacks",
         "17",
         "",
         false,
         true,
         {},
         "C:\\Users\\?\\Tavora",
         CacheFolder::Free,
         {},
         CacheReason::PathUnfit},
        {"a separator of archives",
         "17",
         "",
         false,
         true,
         {},
         "C:\\a;b\\Tavora",
         CacheFolder::Free,
         {},
         CacheReason::PathUnfit},
        {"past MAX_PATH",
         "17",
         "",
         false,
         true,
         {},
         "C:\\" + std::string(230, 'x'),
         CacheFolder::Free,
         {},
         CacheReason::PathUnfit},
        {"unwritable folder",
         "17",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Unusable,
         {},
         CacheReason::Unusable},
        {"another start makes it",
         "17",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Busy,
         {},
         CacheReason::Busy},
        {"making failed",
         "17",
         "",
         false,
         true,
         {},
         kFolder,
         CacheFolder::Failed,
         {},
         CacheReason::Failed},
    };
    for (const auto& c : cases) {
        CacheFacts facts;
        facts.version = c.version;
        facts.release = c.release;
        facts.openj9Key = c.openj9Key;
        facts.javaProgram = c.javaProgram;
        facts.userOptions = c.user;
        facts.folder = c.folder;
        facts.key = "0123456789abcdef";
        facts.state = c.state;
        const CachePlan plan = planCache(facts);
        EXPECT_EQ(plan.options, c.options) << c.why;
        EXPECT_EQ(plan.reason, c.reason) << c.why;
        EXPECT_EQ(plan.makeArchive, c.reason == CacheReason::List) << c.why;
    }
    // The user's class-data options switch it off, whatever the folder holds.
    for (const char* user :
         {"-Xshare:off", "-Xshare:auto", "-XX:SharedArchiveFile=a.jsa", "-XX:SharedClassListFile=l",
          "-XX:DumpLoadedClassList=l", "-XX:ArchiveClassesAtExit=a", "-XX:+AutoCreateSharedArchive",
          "-XX:AOTCache=a.aot", "-XX:AOTCacheOutput=a.aot", "-XX:-UseSharedSpaces"}) {
        CacheFacts facts;
        facts.version = "21";
        facts.javaProgram = true;
        facts.userOptions = {"-Xmx1g", user};
        facts.folder = kFolder;
        facts.state = CacheFolder::Ready;
        EXPECT_EQ(planCache(facts).reason, CacheReason::UserOptions) << user;
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
