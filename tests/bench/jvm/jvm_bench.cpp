// The launcher's creation of the virtual machine and its call of main,
// natively with the JDK's real machine, beside `java -cp` running the same
// class to the same point. Both print the System.nanoTime() at which the
// application's main returned (BenchMain); on Linux that is CLOCK_MONOTONIC,
// which this program reads just before it starts each process.
//
//   jvm_bench [RUNS]    the benchmark: rows of the table, then the single runs
//   jvm_bench --launch  one launch the launcher's way, as the benchmark starts it
//   jvm_bench --launch JDK OPTION...  the same on JDK, its class path '.' first,
//                                     main building a small Swing panel
#include "app/launch_settings.h"
#include "launcher/arguments.h"
#include "class_data/class_data.h"
#include "java_calls/java_calls.h"
#include "vm_options/java_options.h"
#include "tests/bench/bench_stats.h"

#include <dlfcn.h>
#include <jni.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

// The platform seams that the Windows build implements with Windows calls
// (systemTextToUtf16: utf8_system_text.cpp). Like `java -cp CLASS`, the launch passes no arguments
// to main.
void parseCommandLine(WideArgList& args) {
    splitCommandLine(u"Pellix2.exe", args);
}

void showJavaMethodError() {
    std::fputs("callJavaMethod(), ending error\n", stderr);
}

namespace {

constexpr const char* kBenchMainClass = "com/norvane/apps/websetup/BenchMain";
constexpr const char* kBenchMainName = "com.norvane.apps.websetup.BenchMain";
constexpr const char* kSwingMainName = "com.norvane.apps.websetup.BenchMainSwing";
constexpr const char* kPanelMainClass = "com/norvane/apps/websetup/BenchPanel";
constexpr const char* kPanelSwingName = "com.norvane.apps.websetup.BenchPanelSwing";
constexpr std::string_view kClassPathProperty = "-Djava.class.path=";

// As the launcher composes it, with the benchmark's jar in front (ending
// with ':' so that this machine finds it; the Windows entries behind it name
// files that do not exist).
std::string classPathOption() {
    return buildClassPathOption(
        std::string(PELLIX_BENCH_JAR) + ":" + kApplicationClassPath, PELLIX_BENCH_JDK,
        extraJarEntries("C:\\Program Files\\Norvane\\Brisca", kExtraJarMode));
}

// What startJavaVM and launchJava do on Windows: load the library, find its
// two entries, create the machine with the six options, call main.
int launchTheLaunchersWay(const std::string& jdk, std::string option, const char* mainClass,
                          char** extras, int count) {
    void* library = dlopen((jdk + "/lib/server/libjvm.so").c_str(), RTLD_NOW);
    if (library == nullptr || dlsym(library, "JNI_GetDefaultJavaVMInitArgs") == nullptr) {
        return 3;
    }
    using CreateJavaVMFn = jint (*)(JavaVM**, void**, void*);
    auto create = reinterpret_cast<CreateJavaVMFn>(dlsym(library, "JNI_CreateJavaVM"));
    if (create == nullptr) {
        return 3;
    }
    JavaLaunchOptions launch;
    AddedOptions added; // after the six, as the cache's option goes
    added.userOptions.assign(extras, extras + count);
    composeLaunchOptions(launch, std::move(option), JNI_VERSION_1_4, added);
    if (create(&javaVM, reinterpret_cast<void**>(&javaEnv), &launch.initArgs) < 0) {
        return 4;
    }
    // The machine is never destroyed, as in the launcher.
    return callJavaMain(mainClass) == 0 ? 0 : 5;
}

long long monotonicNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Starts the program with its standard output into a pipe and waits for its
// end. Milliseconds from just before the start to the moment it printed, or
// a negative number when it printed none or failed.
double timeToMainReturned(const std::vector<std::string>& command) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const auto& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const long long started = monotonicNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d): %s\n", command[0].c_str(), status,
                     output.c_str());
        return -1;
    }
    const long long returned = std::strtoll(output.c_str(), nullptr, 10);
    return returned > started ? static_cast<double>(returned - started) / 1e6 : -1;
}

void printRuns(const char* name, const std::vector<double>& values) {
    std::printf("  %-28s", name);
    for (double v : values) {
        std::printf(" %.1f", v);
    }
    std::printf("\n");
}

// The class-data cache's rows for one runtime: first starts, each listing
// into an empty cache, then later starts with the archive made from the
// list, each against `java -cp` with the runtime's defaults and the same
// JFrame-first main, which builds a small Swing panel as an application's
// main does.
std::string cacheRows(const std::string& self, const std::string& jdk, int runs, double target) {
    const std::string name = jdk.substr(jdk.rfind('/') + 1),
                      folder = self.substr(0, self.rfind('/'));
    std::ifstream in(jdk + "/release");
    const std::string release(std::istreambuf_iterator<char>(in), {});
    char key[kCacheKeySize], list[kCachePathSize], archive[kCachePathSize], make[1024], limit[16];
    cacheKey(key, jdk, releaseVersion(release), 0, 0);
    const CacheFacts facts = {"", release, false, true, nullptr, folder, key};
    const auto lookedAt = [](const CacheFacts&, void* given) {
        return *static_cast<CacheFolderState*>(given);
    };
    CacheFolderState free = CacheFolderState::Free;
    archiveCommand(make, sizeof make, jdk + "/bin/java",
                   cacheFile(list, folder, key, kClassListSuffix),
                   cacheFile(archive, folder, key, kArchiveSuffix),
                   planCache(facts, lookedAt, &free).makeOptions);
    std::remove(archive);
    std::snprintf(limit, sizeof limit, "<= %.2fx", target);
    std::string rows, making;
    for (CacheFolderState state : {CacheFolderState::Free, CacheFolderState::Ready}) {
        const bool first = state == CacheFolderState::Free;
        const CachePlan plan = planCache(facts, lookedAt, &state);
        std::vector<double> cached, java;
        for (int i = -2; i < runs; ++i) { // two rounds to warm up
            std::remove(list);
            const double c = timeToMainReturned({self, "--launch", jdk, plan.option});
            const double j = timeToMainReturned(
                {jdk + "/bin/java", "-cp", ".:" PELLIX_BENCH_JAR, kPanelSwingName});
            if (i >= 0 && c >= 0 && j >= 0) {
                cached.push_back(c);
                java.push_back(j);
            }
        }
        if (first) {
            const long long started = monotonicNs();
            const char* outcome = std::system(make) == 0 ? "archive made in " : "no archive after ";
            making = outcome + std::to_string((monotonicNs() - started) / 1000000) + " ms)";
        }
        printRuns(((first ? "first start, " : "with the archive, ") + name).c_str(), cached);
        printRuns(("java -cp, " + name).c_str(), java);
        const bench::Summary c = bench::summarize(cached), j = bench::summarize(java);
        rows.insert(first ? rows.size() : 0,
                    c.count == 0
                        ? ""
                        : bench::row("Class-data cache, " + name +
                                         (first ? ": first start (lists; " + making
                                                : ": exec to main returned, archive in place"),
                                     bench::describe(c, "ms"),
                                     "java -cp, JFrame first, panel " + bench::describe(j, "ms"),
                                     bench::describeRatio(c, j, bench::pairedRatios(cached, java)),
                                     first ? "-" : limit,
                                     first ? "-" : bench::verdict(c.median / j.median <= target)));
    }
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--launch") == 0) {
        return launchTheLaunchersWay(argv[2],
                                     buildClassPathOption(".:" PELLIX_BENCH_JAR ":", argv[2], ""),
                                     kPanelMainClass, argv + 3, argc - 3);
    }
    if (argc > 1 && std::strcmp(argv[1], "--launch") == 0) {
        return launchTheLaunchersWay(PELLIX_BENCH_JDK, classPathOption(), kBenchMainClass, nullptr,
                                     0);
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return 2;
    }
    self[length] = '\0';

    const std::string option = classPathOption();
    const std::vector<std::string> launcherWay = {self, "--launch"};
    const std::vector<std::string> javaCp = {std::string(PELLIX_BENCH_JDK) + "/bin/java", "-cp",
                                             option.substr(kClassPathProperty.size()),
                                             kBenchMainName};
    // The same work as the launcher's: javax.swing.JFrame loaded before main.
    std::vector<std::string> javaSwing = javaCp;
    javaSwing.back() = kSwingMainName;
    std::vector<double> launcher;
    std::vector<double> java;
    std::vector<double> swing;
    for (int i = -2; i < runs; ++i) { // two rounds to warm up
        const double l = timeToMainReturned(launcherWay);
        const double j = timeToMainReturned(javaCp);
        const double s = timeToMainReturned(javaSwing);
        if (i >= 0 && l >= 0 && j >= 0 && s >= 0) {
            launcher.push_back(l);
            java.push_back(j);
            swing.push_back(s);
        }
    }
    const bench::Summary l = bench::summarize(launcher);
    const bench::Summary j = bench::summarize(java);
    const bench::Summary s = bench::summarize(swing);
    if (l.count == 0) {
        std::printf("jvm_bench: no run succeeded\n");
        return 1;
    }
    std::printf("real virtual machine, ms per run:\n");
    printRuns("launcher's JNI code", launcher);
    printRuns("java -cp", java);
    printRuns("java -cp, JFrame first", swing);
    std::fputs(
        (bench::row("5. Real JVM (native): exec to main returned (n=" + std::to_string(l.count) +
                        ")",
                    bench::describe(l, "ms"), "java -cp " + bench::describe(j, "ms"),
                    bench::describeRatio(l, j, bench::pairedRatios(launcher, java)), "<= 1.05x",
                    bench::verdict(l.median / j.median <= 1.05)) +
         bench::row("5. Real JVM (native): exec to main returned", bench::describe(l, "ms"),
                    "java -cp, JFrame first " + bench::describe(s, "ms"),
                    bench::describeRatio(l, s, bench::pairedRatios(launcher, swing)), "-", "-"))
            .c_str(),
        stdout);
    // Each runtime here whose archive the launcher would keep; 25 where present.
    for (const auto& [jdk, target] : {std::pair<std::string, double>{PELLIX_BENCH_JDK, 0.90},
                                      {"/usr/lib/jvm/temurin-25-jdk-amd64", 0.80}}) {
        if (access((jdk + "/lib/server/libjvm.so").c_str(), R_OK) == 0) {
            std::fputs(cacheRows(self, jdk, runs, target).c_str(), stdout);
        }
    }
    return 0;
}
