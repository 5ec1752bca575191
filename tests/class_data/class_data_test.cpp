#include "class_data/class_data.h"
#include "vm_options/java_options.h"

#include <gtest/gtest.h>

namespace {

// The folder's state as a row gives it; looked at only where the runtime,
// the user and the path qualify.
CacheFolderState lookedAt(const CacheFacts&, void* state) {
    return *static_cast<const CacheFolderState*>(state);
}

TEST(ClassDataCache, AddsItsOptionOnlyForAQualifyingRuntimeFolderAndUser) {
    using R = CacheReason;
    using S = CacheFolderState;
    S ready = S::Ready, free = S::Free;
    const std::string mine = "C:\\Users\\Ann Lee\\AppData\\Local\\Tavora", tooLong(250, 'x');
    const std::string key = "0123456789abcdef", stem = mine + "\\cds-" + key;
    const std::vector<std::string> plain = {"-Xmx1g"}, off = {"-Xmx1g", "-Xshare:off"};
    const struct {
        CacheFacts facts;
        CacheFolderState state;
        CacheReason reason;
    } rows[] = {
        {{"17", "", false, true, &plain, mine, key}, ready, R::Use},
        {{"17", "", false, true, &plain, mine, key}, free, R::List},
        {{"", "JAVA_VERSION=\"21\"\n", false, true, nullptr, mine, key}, ready, R::Use},
        {{"17", "JAVA_VERSION=\"16.0.2\"", false, true, nullptr, mine, key}, ready, R::OldRuntime},
        {{"1.8", "", false, true, nullptr, mine, key}, free, R::OldRuntime},
        {{"11.0.2", "", false, true, nullptr, mine, key}, free, R::OldRuntime},
        {{"jre", "", false, true, nullptr, mine, key}, free, R::NoVersion},
        {{"17", "", true, true, nullptr, mine, key}, free, R::OpenJ9},
        {{"17", "JVM_VARIANT=\"Openj9\"\n", false, true, nullptr, mine, key}, free, R::OpenJ9},
        {{"17", "IMPLEMENTOR=\"IBM Corp\"\n", false, true, nullptr, mine, key}, free, R::OpenJ9},
        {{"17", "", false, false, nullptr, mine, key}, free, R::NoJavaProgram},
        {{"17", "", false, true, nullptr, "", key}, free, R::NoFolder},
        {{"17", "", false, true, nullptr, "C:\\Users\\?\\Tavora", key}, free, R::PathUnfit},
        {{"17", "", false, true, nullptr, "C:\\a;b", key}, free, R::PathUnfit},
        {{"17", "", false, true, nullptr, "C:\\%TEMP%", key}, free, R::PathUnfit},
        {{"17", "", false, true, nullptr, "C:\\a\"b", key}, free, R::PathUnfit},
        {{"17", "", false, true, nullptr, tooLong, key}, free, R::PathUnfit},
        {{"17", "", false, true, nullptr, mine, key}, S::Unusable, R::Unusable},
        {{"17", "", false, true, nullptr, mine, key}, S::Busy, R::Busy},
        {{"17", "", false, true, nullptr, mine, key}, S::Failed, R::Failed},
        {{"17", "", false, true, &off, mine, key}, free, R::UserOptions},
    };
    for (auto [facts, state, reason] : rows) {
        const CachePlan plan = planCache(facts, lookedAt, &state);
        const std::string option = reason == R::Use ? "-XX:SharedArchiveFile=" + stem + ".jsa"
                                   : reason == R::List
                                       ? "-XX:DumpLoadedClassList=" + stem + ".classlist"
                                       : "";
        EXPECT_TRUE(plan.option == option && plan.reason == reason &&
                    plan.makeArchive == (reason == R::List))
            << facts.version << facts.release << facts.folder << ": "
            << cacheReasonText(plan.reason);
    }
    // The making takes the launch's heap.
    EXPECT_STREQ(
        planCache({"21", "", false, true, nullptr, mine, key}, lookedAt, &free).makeOptions,
        "-Xmx364m");
    const std::vector<std::string> share = {"-XX:MaxRAMPercentage=50"};
    EXPECT_STREQ(
        planCache({"25", "", false, true, &share, mine, key, fixedHeapBeside(share).maximum},
                  lookedAt, &free)
            .makeOptions,
        "");
    // The user's class-data options switch it off, whatever the folder holds.
    for (const char* option :
         {"-Xshare:auto", "-XX:SharedArchiveFile=a", "-XX:SharedClassListFile=l",
          "-XX:DumpLoadedClassList=l", "-XX:ArchiveClassesAtExit=a", "-XX:+AutoCreateSharedArchive",
          "-XX:AOTCache=a", "-XX:-UseSharedSpaces"}) {
        const std::vector<std::string> user = {option};
        EXPECT_EQ(planCache({"17", "", false, true, &user, mine, key}, lookedAt, &ready).reason,
                  R::UserOptions)
            << option;
    }
}

TEST(ClassDataCache, TrustsAndKeepsOnlyWholeArchivesOfRuntimesThere) {
    char key[kCacheKeySize], other[kCacheKeySize];
    cacheKey(key, "C:\\jdk-17", "17.0.9", 18000000, 1234);
    cacheKey(other, "c:\\JDK-17", "17.0.9", 18000000, 1234);
    EXPECT_STREQ(other, key); // Windows' case
    cacheKey(other, "C:\\jdk-17", "17.0.9", 18000000, 1235);
    EXPECT_STRNE(other, key);                             // a runtime updated in place
    EXPECT_EQ(keyOfFile("cds-0123456789ABCDEF.jsa"), ""); // not the launcher's
    const std::string magic("\xa2\xab\x0b\xf0", 4);
    EXPECT_TRUE(archiveLooksWhole(magic + "rest", 12000000));
    EXPECT_FALSE(archiveLooksWhole(magic, 4096));                                  // cut
    EXPECT_FALSE(archiveLooksWhole(std::string("\xa8\xab\x0b\xf0", 4), 10000000)); // dynamic
    // Runtimes gone, and beyond four builds the oldest, lose their files.
    const CacheGroup groups[] = {{"cur", true, 1}, {"gone", false, 9}, {"a", true, 8},
                                 {"b", true, 7},   {"c", true, 6},     {"old", true, 5}};
    std::string stale;
    for (std::size_t i = 0; i < std::size(groups); ++i) {
        stale += isStale(groups, std::size(groups), i, "cur") ? groups[i].key : "";
    }
    EXPECT_EQ(stale, "goneold");
}

} // namespace
