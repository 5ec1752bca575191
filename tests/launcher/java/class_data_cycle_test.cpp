// The class-data cache's whole cycle against each real runtime here: a start
// that lists its classes, the archive made by the runtime's own java, a start
// that maps it, and starts with archives that are cut, empty or foreign,
// which must run as if there were none. Each start is this program again
// (--launch JDK), since a process creates one machine; as the launcher's,
// with '.' first on the class path and a working directory with files in it.
#include "app/launch_settings.h"
#include "launcher/arguments.h"
#include "launcher/java/class_data.h"
#include "tests/launcher/java/native_launch.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

void parseCommandLine(WideArgList& args) {
    splitCommandLine(u"Pellix2.exe", args);
}

void showJavaMethodError() {}

namespace {

namespace fs = std::filesystem;
std::string self;

int run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const auto& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int start(const std::string& jdk, const std::vector<std::string>& extras) {
    std::vector<std::string> command = {self, "--launch", jdk};
    command.insert(command.end(), extras.begin(), extras.end());
    return run(command);
}

TEST(ClassDataCycle, ListMakeUseAndStartDespiteBadArchives) {
    const fs::path root = fs::temp_directory_path() / ("pellix cds " + std::to_string(getpid()));
    fs::create_directories(root / "work");
    std::ofstream(root / "work" / "dxr_tavora") << "locale=en\n";
    ASSERT_EQ(chdir((root / "work").c_str()), 0);
    unsetenv("DISPLAY");
    std::string foreign; // the archive of the runtime before
    int cycles = 0;
    for (const std::string jdk : {PELLIX_TEST_JDK, "/usr/lib/jvm/temurin-25-jdk-amd64"}) {
        if (!fs::exists(jdk + "/lib/server/libjvm.so")) {
            continue; // not on this machine
        }
        ++cycles;
        CacheFacts facts;
        facts.release = text(jdk + "/release");
        facts.javaProgram = true;
        facts.folder = (root / fs::path(jdk).filename()).string();
        facts.key = cacheKey(jdk, releaseVersion(facts.release), 0, 0);
        facts.state = CacheFolder::Free;
        const CachePlan first = planCache(facts);
        ASSERT_EQ(first.reason, CacheReason::List) << jdk;
        EXPECT_EQ(start(jdk, first.options), 0) << jdk;
        const std::string list = cacheFile(facts.folder, facts.key, kClassListSuffix);
        EXPECT_NE(text(list).find("javax/swing/JFrame"), std::string::npos) << jdk;

        const std::string temporary = cacheFile(facts.folder, facts.key, kTemporarySuffix);
        std::vector<std::string> make = archiveArguments(list, temporary);
        make.insert(make.begin(), jdk + "/bin/java");
        ASSERT_EQ(run(make), 0) << jdk;
        const std::string made = text(temporary);
        ASSERT_TRUE(archiveLooksWhole(made, made.size())) << jdk;
        fs::rename(temporary, cacheFile(facts.folder, facts.key, kArchiveSuffix));

        facts.state = CacheFolder::Ready;
        std::vector<std::string> use = planCache(facts).options;
        const fs::path log = root / "classes.log";
        use.push_back("-Xlog:class+load=info:file=" + log.string());
        EXPECT_EQ(start(jdk, use), 0) << jdk;
        EXPECT_NE(text(log).find("javax.swing.JFrame source: shared objects file"),
                  std::string::npos)
            << jdk << ": the archive was not mapped";

        std::string otherBuild = made;
        otherBuild[8] ^= 0x40; // the header's version
        const std::pair<const char*, std::string> bad[] = {{"cut", made.substr(0, made.size() / 2)},
                                                           {"empty", ""},
                                                           {"another build's", otherBuild},
                                                           {"another runtime's", foreign}};
        for (const auto& [what, content] : bad) {
            std::ofstream(root / "bad.jsa", std::ios::binary) << content;
            EXPECT_EQ(start(jdk, {"-XX:SharedArchiveFile=" + (root / "bad.jsa").string()}), 0)
                << jdk << ": " << what;
        }
        EXPECT_EQ(start(jdk, {"-XX:SharedArchiveFile=" + (root / "missing.jsa").string()}), 0);
        EXPECT_EQ(start(jdk, {"-XX:DumpLoadedClassList=" + (root / "none" / "list").string()}), 0);
        foreign = made;
    }
    EXPECT_GT(cycles, 0);
    fs::remove_all(root);
}

} // namespace

int main(int argc, char** argv) {
    self = fs::read_symlink("/proc/self/exe").string();
    if (argc > 2 && std::string_view(argv[1]) == "--launch") {
        const std::string jdk = argv[2];
        return launchNatively(
            jdk + "/lib/server/libjvm.so",
            buildClassPathOption(std::string(".:") + PELLIX_TEST_APP + ":", jdk, ""),
            std::vector<std::string>(argv + 3, argv + argc), kMainClass);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
