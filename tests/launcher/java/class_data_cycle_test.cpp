// The class-data cache's cycle with each real runtime here: a start that
// lists its classes, the archive made by the runtime's java, a start that
// must map it (-Xshare:on fails one that cannot), and starts given archives
// cut, empty, foreign or missing, which must run as if there were none. Each
// start is this program again, as the launcher's: '.' first on the class
// path, a working directory with files in it.
#include "app/launch_settings.h"
#include "launcher/arguments.h"
#include "launcher/java/class_data.h"
#include "tests/launcher/java/native_launch.h"

#include <gtest/gtest.h>

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

namespace fs = std::filesystem;

std::string text(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ClassDataCycle, ListMakeUseAndStartDespiteBadArchives) {
    const std::string root = fs::temp_directory_path() / ("pellix cds " + std::to_string(getpid()));
    fs::create_directories(root + "/work");
    std::ofstream(root + "/work/dxr_tavora") << "locale=en\n";
    ASSERT_EQ(chdir((root + "/work").c_str()), 0);
    unsetenv("DISPLAY");
    std::string foreign; // the archive of the runtime before
    for (const std::string jdk : {PELLIX_TEST_JDK, "/usr/lib/jvm/temurin-25-jdk-amd64"}) {
        if (!fs::exists(jdk + "/lib/server/libjvm.so")) {
            continue; // not on this machine
        }
        const std::string release = text(jdk + "/release"), folder = root + jdk;
        fs::create_directories(folder);
        char key[kCacheKeySize], list[kCachePathSize], archive[kCachePathSize], make[1024];
        cacheKey(key, jdk, releaseVersion(release), 0, 0);
        CacheFacts facts = {"", release, false, true, nullptr, folder, key, CacheFolder::Free};
        const auto start = [&](const std::string& options) {
            return std::system(("'" + fs::read_symlink("/proc/self/exe").string() + "' --launch " +
                                jdk + " '" + planCache(facts).option + "' " + options)
                                   .c_str());
        };
        EXPECT_EQ(start(""), 0) << jdk;
        EXPECT_NE(text(cacheFile(list, folder, key, kClassListSuffix)).find("javax/swing/JFrame"),
                  std::string::npos);
        archiveCommand(make, sizeof make, jdk + "/bin/java", list,
                       cacheFile(archive, folder, key, kArchiveSuffix));
        ASSERT_EQ(std::system(make), 0) << make;
        const std::string made = text(archive);
        ASSERT_TRUE(archiveLooksWhole(made, made.size())) << jdk;

        facts.state = CacheFolder::Ready;
        EXPECT_EQ(start("-Xshare:on"), 0) << jdk << ": the archive was not mapped";
        std::string otherBuild = made;
        otherBuild[8] ^= 0x40; // the header's version
        for (const std::string& bad : {made.substr(0, made.size() / 2), std::string(), otherBuild,
                                       foreign, std::string("none")}) {
            std::ofstream(archive, std::ios::binary) << bad;
            if (bad == "none") {
                fs::remove(archive);
            }
            EXPECT_EQ(start("'-XX:DumpLoadedClassList=" + folder + "/none/list'"), 0)
                << jdk << ": an archive of " << bad.size() << " bytes";
        }
        foreign = made;
    }
    EXPECT_NE(foreign, "") << "no runtime";
    fs::remove_all(root);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string_view(argv[1]) == "--launch") {
        const std::string jdk = argv[2];
        return launchNatively(
            jdk + "/lib/server/libjvm.so",
            buildClassPathOption(std::string(".:") + PELLIX_TEST_APP + ":", jdk, ""), argv + 3,
            argc - 3, kMainClass);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
