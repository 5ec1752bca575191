// The class-data cache's cycle with each real runtime here: list, make, map
// (-Xshare:on fails a start that cannot), then archives cut, empty, another
// build's or runtime's, or missing, which must start as without. Each start is
// a child (a process creates one machine) made the launcher's way: '.' first
// on the class path, from ctest's working directory, which holds files.
#include "app/launch_settings.h"
#include "launcher/arguments.h"
#include "launcher/java/class_data.h"
#include "launcher/java/java_calls.h"
#include "launcher/java/java_options.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

void parseCommandLine(WideArgList& args) {
    splitCommandLine(u"Pellix2.exe", args);
}

void showJavaMethodError() {}

namespace {

std::string text(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The wait status of a start with the launcher's six options and extras.
int start(const std::string& jdk, std::vector<const char*> extras) {
    const pid_t child = fork();
    if (child == 0) {
        using CreateJavaVMFn = jint (*)(JavaVM**, void**, void*);
        const auto create = reinterpret_cast<CreateJavaVMFn>(
            dlsym(dlopen((jdk + "/lib/server/libjvm.so").c_str(), RTLD_NOW), "JNI_CreateJavaVM"));
        JavaLaunchOptions launch;
        LaunchAdditions more;
        more.extras.assign(extras.begin(), extras.end());
        composeLaunchOptions(
            launch, buildClassPathOption(std::string(".:") + PELLIX_TEST_APP + ":", jdk, ""),
            JNI_VERSION_1_4, more);
        _exit(create(&javaVM, reinterpret_cast<void**>(&javaEnv), &launch.initArgs) != JNI_OK ? 4
              : callJavaMain(kMainClass) != 0                                                 ? 5
                                                                                              : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status;
}

TEST(ClassDataCycle, ListMakeUseAndStartDespiteBadArchives) {
    const std::string root = "/tmp/pellix cds " + std::to_string(getpid());
    unsetenv("DISPLAY");
    std::string foreign; // the archive of the runtime before
    for (const std::string jdk : {PELLIX_TEST_JDK, "/usr/lib/jvm/temurin-25-jdk-amd64"}) {
        if (!std::filesystem::exists(jdk + "/lib/server/libjvm.so")) {
            continue; // not on this machine
        }
        const std::string release = text(jdk + "/release"), folder = root + jdk;
        std::filesystem::create_directories(folder);
        char key[kCacheKeySize], list[kCachePathSize], archive[kCachePathSize], make[1024];
        cacheKey(key, jdk, releaseVersion(release), 0, 0);
        CacheFacts facts = {"", release, false, true, nullptr, folder, key, CacheFolder::Free};
        const CachePlan first = planCache(facts);
        EXPECT_EQ(start(jdk, {first.option}), 0) << jdk;
        EXPECT_NE(text(cacheFile(list, folder, key, kClassListSuffix)).find("javax/swing/JFrame"),
                  std::string::npos);
        archiveCommand(make, sizeof make, jdk + "/bin/java", list,
                       cacheFile(archive, folder, key, kArchiveSuffix), first.makeOptions);
        ASSERT_EQ(std::system(make), 0) << make;
        const std::string made = text(archive), cut = made.substr(0, made.size() / 2);
        ASSERT_TRUE(archiveLooksWhole(made, made.size())) << jdk;
        facts.state = CacheFolder::Ready;
        const CachePlan use = planCache(facts);
        EXPECT_EQ(start(jdk, {use.option, "-Xshare:on"}), 0)
            << jdk << ": the archive was not mapped";
        std::string otherBuild = made;
        otherBuild[8] ^= 0x40; // the header's version
        for (const std::string& bad : {cut, std::string(), otherBuild, foreign, std::string("-")}) {
            std::ofstream(archive, std::ios::binary) << bad;
            std::filesystem::remove(bad == "-" ? archive : list); // missing
            const std::string unreachable = "-XX:DumpLoadedClassList=" + root + "/none/list";
            EXPECT_EQ(start(jdk, {use.option, unreachable.c_str()}), 0)
                << jdk << ": an archive of " << bad.size() << " bytes";
        }
        foreign = made;
    }
    EXPECT_NE(foreign, "") << "no runtime";
    std::filesystem::remove_all(root);
}

} // namespace
