// The benchmarks of Pellix2.exe under Wine, with the stand-in runtime: the
// hand-over, the first start, the idle first instance, size and memory. Each
// timed program runs beside its floor in the same run, alternating, and all
// under the wineserver of the bed that runs this program.
//
//   wine_bench PELLIX2.EXE JVM.DLL BENCH_DIR [RUNS [IDLE_SECONDS [NAME=OTHER.EXE...]]]
//
// BENCH_DIR holds the floors and controls (bench_*.exe) of CMakeLists.txt.
// Each OTHER.EXE, another build of Pellix2.exe (an earlier release, one with
// the trace compiled out), starts first and hands over beside it in the same
// rounds, to the same first instance, so that a change is measured against
// what it replaces; NAME names it in the table, with a target of 1.05x for
// an earlier build and 1.03x for one whose name begins with "without".
// Prints the rows of the table (lines that begin with "|"), then the single
// runs.
#include "wine_test.h"

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/bench/bench_stats.h"
#include "tests/stand_in_jvm/stand_in_runtime.h"

using namespace winetest;
using namespace standin;

namespace {

constexpr const char* kSignalEventName = "SignalAnother";
// The two file arguments of a hand-over, and the text that the launcher
// makes of them.
constexpr const char* kFileArguments = "plan.tav notes.txt";
constexpr const char* kJoinedText = "plan.tav|notes.txt|";
// Between two runs, so that the first instance is back in its wait and the
// ended process is gone from the wineserver.
constexpr DWORD kPauseMs = 30;
constexpr DWORD kTimeoutMs = 20000;

double counterMs(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

LONGLONG counterNow() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

std::string quotedPath(const std::string& path) {
    return "\"" + path + "\"";
}

// Reads what the stand-in stamps, line by line, from where it stopped last;
// the stand-in's event says when there is more.
class Stamps {
  public:
    Stamps(std::string path, HANDLE event) : path_(std::move(path)), event_(event) {}

    // The counter of the next line that starts with prefix, skipping others;
    // the words behind the counter in rest. False when none came in time.
    bool waitFor(const std::string& prefix, LONGLONG& counter, std::string* rest = nullptr) {
        const DWORD start = GetTickCount();
        for (;;) {
            std::string content;
            readFile(path_, content);
            for (std::size_t end; (end = content.find('\n', offset_)) != std::string::npos;) {
                const std::string line = content.substr(offset_, end - offset_);
                offset_ = end + 1;
                if (line.compare(0, prefix.size(), prefix) == 0 && line.size() > prefix.size()) {
                    char* after = nullptr;
                    counter = std::strtoll(line.c_str() + prefix.size(), &after, 10);
                    if (rest != nullptr) {
                        *rest = after;
                    }
                    return true;
                }
            }
            const DWORD waited = GetTickCount() - start;
            if (waited > kTimeoutMs) {
                return false;
            }
            WaitForSingleObject(event_, kTimeoutMs - waited);
        }
    }

    // Everything stamped so far counts as read.
    void skipAll() {
        std::string content;
        readFile(path_, content);
        offset_ = content.rfind('\n') == std::string::npos ? 0 : content.rfind('\n') + 1;
    }

  private:
    std::string path_;
    HANDLE event_;
    std::size_t offset_ = 0;
};

struct Setup {
    std::string launcher;
    std::string empty;
    std::string sendOnly;
    std::string prologue;
    std::string prologueSend;
    std::string idle;
    std::vector<std::pair<std::string, std::string>> others; // name, program
    std::string workDir;
    std::string classicHome; // registered under the classic key
    std::string optionsFile; // the user's options file, there for its runs alone
    int runs = 20;
    DWORD idleSeconds = 30;
};

// Starts commandLine and waits for its end; the milliseconds from just
// before the start, or a negative number when it failed.
double runToEnd(const Setup& setup, const std::string& commandLine, DWORD expectedCode,
                const char* what) {
    Process process;
    const LONGLONG began = counterNow();
    if (!start(process, commandLine, setup.workDir)) {
        ok(false, "%s: cannot start: %lu", what, GetLastError());
        return -1;
    }
    const DWORD code = process.wait(kTimeoutMs);
    const LONGLONG end = counterNow();
    ok(code == expectedCode, "%s: ended with %lu, expected %lu", what, code, expectedCode);
    return counterMs(end - began);
}

// ---- Runs ------------------------------------------------------------------

struct FirstStart {
    double toCreate = -1;
    double privateKb = -1;
};

// A first start of launcher up to JNI_CreateJavaVM; waits for main, then
// ends it.
FirstStart firstStart(const Setup& setup, const std::string& launcher, Stamps& stamps) {
    FirstStart result;
    stamps.skipAll();
    Process process;
    const LONGLONG began = counterNow();
    if (!ok(start(process, quotedPath(launcher), setup.workDir), "first start: cannot start: %lu",
            GetLastError())) {
        return result;
    }
    LONGLONG loaded = 0;
    LONGLONG created = 0;
    LONGLONG mainCalled = 0;
    std::string privateBytes;
    if (ok(stamps.waitFor("LOAD ", loaded, &privateBytes), "first start: jvm.dll not loaded") &&
        ok(stamps.waitFor("CREATE ", created), "first start: no JNI_CreateJavaVM") &&
        ok(stamps.waitFor("INVOKE main ", mainCalled), "first start: main not called")) {
        result.toCreate = counterMs(created - began);
        result.privateKb = std::strtod(privateBytes.c_str(), nullptr) / 1024.0;
    }
    process.kill();
    process.wait(kTimeoutMs);
    return result;
}

struct HandOver {
    double toExit = -1;
    double toOpenFiles = -1;
};

// A later start of launcher with two files against the running first
// instance.
HandOver handOver(const Setup& setup, const std::string& launcher, Stamps& stamps) {
    HandOver result;
    stamps.skipAll();
    Process process;
    const LONGLONG began = counterNow();
    if (!ok(start(process, quotedPath(launcher) + " " + kFileArguments, setup.workDir),
            "hand-over: cannot start: %lu", GetLastError())) {
        return result;
    }
    const DWORD code = process.wait(kTimeoutMs);
    const LONGLONG end = counterNow();
    LONGLONG opened = 0;
    if (ok(code == 1, "hand-over: ended with %lu, expected 1", code) &&
        ok(stamps.waitFor("INVOKE openFiles 2 ", opened), "hand-over: no openFiles")) {
        result.toExit = counterMs(end - began);
        result.toOpenFiles = counterMs(opened - began);
    }
    return result;
}

// Floors (b) and (d): the bare call. Its list waits in the first instance
// until a signal, which is given here, after the timing, so that every run
// finds the first instance alike.
double sendOnly(const Setup& setup, const std::string& program, Stamps& stamps, HANDLE signal) {
    stamps.skipAll();
    const double time =
        runToEnd(setup, quotedPath(program) + " " + kJoinedText, 0, "bare hand-over call");
    SetEvent(signal);
    LONGLONG opened = 0;
    ok(stamps.waitFor("INVOKE openFiles 2 ", opened), "bare hand-over call: list not delivered");
    return time;
}

// ---- Benchmarks ------------------------------------------------------------

using Values = std::vector<double>;

void keep(Values& values, double value) {
    if (value >= 0) {
        values.push_back(value);
    }
}

void printRuns(const char* name, const Values& values) {
    std::printf("  %-28s", name);
    for (double v : values) {
        std::printf(" %.1f", v);
    }
    std::printf("\n");
}

// A measured series against a floor measured beside it; a target of 0 for
// a row that explains rather than judges.
std::string compare(const std::string& benchmark, const Values& measured, const char* floorName,
                    const Values& floor, double target) {
    const bench::Summary m = bench::summarize(measured);
    const bench::Summary f = bench::summarize(floor);
    const bool judged = target > 0;
    return bench::row(benchmark, bench::describe(m, "ms"),
                      std::string(floorName) + " " + bench::describe(f, "ms"),
                      bench::describeRatio(m, f, bench::pairedRatios(measured, floor)),
                      judged ? bench::format("<= %.2fx", target) : "-",
                      judged ? bench::verdict(m.median / f.median <= target) : "-");
}

// Registers 50 runtimes under a maker's key, as a machine that kept every
// update would have them: the newest in home, the older ones' folders gone.
// Nothing reads them while the classic key gives a runtime.
void registerVendorRuntimes(const std::string& home) {
    for (int i = 0; i < 50; ++i) {
        const std::string key =
            "SOFTWARE\\Eclipse Adoptium\\JDK\\17.0." + std::to_string(i) + ".1\\hotspot\\MSI";
        const std::string folder = i == 49 ? home : home + " 17.0." + std::to_string(i);
        ok(setMachineText(key, "Path", folder + "\\"), "set-up: cannot register %s", key.c_str());
    }
}

// The target against another build: a trace compiled out may cost nothing
// measurable, any other earlier build 5% at most.
double targetAgainst(const std::string& name) {
    return name.rfind("without", 0) == 0 ? 1.03 : 1.05;
}

// Rows of this build against each other build, beside it in the same runs.
std::string compareOthers(const Setup& setup, const std::string& what, const Values& measured,
                          const std::vector<Values>& others) {
    std::string rows;
    for (std::size_t k = 0; k < setup.others.size(); ++k) {
        const std::string& name = setup.others[k].first;
        rows += compare(what + ", against the build " + name +
                            " (n=" + std::to_string(others[k].size()) + ")",
                        measured, name.c_str(), others[k], targetAgainst(name));
    }
    return rows;
}

std::string benchFirstStart(const Setup& setup, Stamps& stamps, Values& privateKb) {
    Values launcher;
    Values vendor;
    Values withOptions;
    Values empty;
    Values prologue;
    std::vector<Values> others(setup.others.size());
    for (int i = -2; i < setup.runs; ++i) { // two rounds to warm up
        // The first starts take turns in an order that changes each round,
        // so that none is always the one right after another's end.
        const std::size_t starts = 3 + setup.others.size();
        for (std::size_t turn = 0; turn < starts; ++turn) {
            const std::size_t which = (turn + static_cast<std::size_t>(i + 2)) % starts;
            FirstStart timed;
            if (which == 0) {
                timed = firstStart(setup, setup.launcher, stamps);
                if (i >= 0) {
                    keep(launcher, timed.toCreate);
                    keep(privateKb, timed.privateKb);
                }
            } else if (which == 1) {
                // Without the classic key, the launcher reads the maker's key.
                RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft");
                timed = firstStart(setup, setup.launcher, stamps);
                ok(registerRuntime("1.8", setup.classicHome),
                   "set-up: cannot register the runtime");
                if (i >= 0) {
                    keep(vendor, timed.toCreate);
                }
            } else if (which == 2) {
                ok(writeFile(setup.optionsFile, "# ten options\r\n-Xmx2g\r\n-Xss2m\r\n"
                                                "-XX:+UseG1GC\r\n-XX:MaxGCPauseMillis=100\r\n"
                                                "-Dfile.encoding=UTF-8\r\n-Dtavora.a=1\r\n"
                                                "-Dtavora.b=2\r\n-Dtavora.c=3\r\n"
                                                "-Dtavora.d=4\r\n-Duser.language=en\r\n"),
                   "set-up: cannot write %s", setup.optionsFile.c_str());
                timed = firstStart(setup, setup.launcher, stamps);
                DeleteFileA(setup.optionsFile.c_str());
                if (i >= 0) {
                    keep(withOptions, timed.toCreate);
                }
            } else {
                timed = firstStart(setup, setup.others[which - 3].second, stamps);
                if (i >= 0) {
                    keep(others[which - 3], timed.toCreate);
                }
            }
            Sleep(kPauseMs);
        }
        const double a = runToEnd(setup, quotedPath(setup.empty), 0, "(a)");
        Sleep(kPauseMs);
        const double c = runToEnd(setup, quotedPath(setup.prologue), 0, "(c)");
        Sleep(kPauseMs);
        if (i >= 0) {
            keep(empty, a);
            keep(prologue, c);
        }
    }
    std::printf("first start, ms per run:\n");
    printRuns("Pellix2 to JNI_CreateJavaVM", launcher);
    printRuns("through a maker's key", vendor);
    printRuns("with an options file of ten options", withOptions);
    for (std::size_t k = 0; k < others.size(); ++k) {
        printRuns(setup.others[k].first.c_str(), others[k]);
    }
    printRuns("(a) empty program", empty);
    printRuns("(c) start prologue", prologue);
    const std::string n = " (n=" + std::to_string(launcher.size()) + ")";
    return compareOthers(setup, "2. First start: exec to JNI_CreateJavaVM", launcher, others) +
           compare("2. First start: exec to JNI_CreateJavaVM" + n, launcher, "(a)", empty, 1.20) +
           compare("2. First start: exec to JNI_CreateJavaVM", launcher, "(c)", prologue, 0) +
           compare("(c) start prologue: exec to exit", prologue, "(a)", empty, 0) +
           compare("2. First start through a maker's key of 50 subkeys: exec to "
                   "JNI_CreateJavaVM (n=" +
                       std::to_string(vendor.size()) + ")",
                   vendor, "classic key", launcher, 1.05) +
           compare("2. First start with an options file of ten options: exec to "
                   "JNI_CreateJavaVM (n=" +
                       std::to_string(withOptions.size()) + ")",
                   withOptions, "no options file", launcher, 0);
}

std::string benchHandOver(const Setup& setup, Stamps& stamps, HANDLE signal) {
    Values toExit;
    Values toOpenFiles;
    Values bare;
    Values prologueBare;
    Values empty;
    std::vector<Values> othersToExit(setup.others.size());
    std::vector<Values> othersToOpenFiles(setup.others.size());
    for (int i = -2; i < setup.runs; ++i) {
        // The builds take turns in an order that changes each round, so that
        // none always follows the same program.
        const std::size_t builds = 1 + setup.others.size();
        for (std::size_t turn = 0; turn < builds; ++turn) {
            const std::size_t which = (turn + static_cast<std::size_t>(i + 2)) % builds;
            const HandOver h = handOver(
                setup, which == 0 ? setup.launcher : setup.others[which - 1].second, stamps);
            Sleep(kPauseMs);
            if (i < 0) {
                continue;
            }
            keep(which == 0 ? toExit : othersToExit[which - 1], h.toExit);
            keep(which == 0 ? toOpenFiles : othersToOpenFiles[which - 1], h.toOpenFiles);
        }
        const double b = sendOnly(setup, setup.sendOnly, stamps, signal);
        Sleep(kPauseMs);
        const double d = sendOnly(setup, setup.prologueSend, stamps, signal);
        Sleep(kPauseMs);
        const double a = runToEnd(setup, quotedPath(setup.empty), 0, "(a)");
        Sleep(kPauseMs);
        if (i >= 0) {
            keep(bare, b);
            keep(prologueBare, d);
            keep(empty, a);
        }
    }
    std::printf("hand-over, ms per run:\n");
    printRuns("Pellix2 to exit", toExit);
    printRuns("Pellix2 to openFiles", toOpenFiles);
    for (std::size_t k = 0; k < setup.others.size(); ++k) {
        printRuns((setup.others[k].first + " to exit").c_str(), othersToExit[k]);
        printRuns((setup.others[k].first + " to openFiles").c_str(), othersToOpenFiles[k]);
    }
    printRuns("(b) bare call", bare);
    printRuns("(d) prologue and bare call", prologueBare);
    printRuns("(a) empty program", empty);
    const std::string n = " (n=" + std::to_string(toExit.size()) + ")";
    return compareOthers(setup, "1. Hand-over: exec to exit", toExit, othersToExit) +
           compareOthers(setup, "1. Hand-over: exec to openFiles", toOpenFiles, othersToOpenFiles) +
           compare("1. Hand-over: exec to exit" + n, toExit, "(b)", bare, 1.10) +
           compare("1. Hand-over: exec to exit", toExit, "(a)", empty, 0) +
           compare("1. Hand-over: exec to openFiles", toOpenFiles, "(b)", bare, 1.10) +
           compare("1. Hand-over: exec to openFiles", toOpenFiles, "(a)", empty, 0) +
           compare("(b) bare call: exec to exit", bare, "(a)", empty, 0) +
           compare("1. Hand-over: exec to exit", toExit, "(d)", prologueBare, 0) +
           compare("1. Hand-over: exec to openFiles", toOpenFiles, "(d)", prologueBare, 0) +
           compare("(d) start prologue and bare call: exec to exit", prologueBare, "(b)", bare, 0);
}

// CPU time of a running program. Wine 8 answers GetProcessTimes for any
// process with the caller's own times, so under Wine the time is read from
// Linux through the Z: drive: the stat file of the one process of this
// prefix whose command line begins with the program's path.
class CpuClock {
  public:
    CpuClock() {
        std::string environment;
        if (onWine() && readFile("Z:\\proc\\self\\environ", environment)) {
            prefix_ = entry(environment, "WINEPREFIX=");
        }
    }

    // Milliseconds of user and kernel time so far, or a negative number.
    double ms(HANDLE process, const std::string& program) const {
        if (!onWine()) {
            return processTimesMs(process);
        }
        const std::string directory = unixProcess(program);
        std::string stat;
        if (directory.empty() || !readFile(directory + "\\stat", stat)) {
            return -1;
        }
        // After the parenthesised name: the state is field 3, utime and
        // stime fields 14 and 15, in ticks of 10 ms (Linux's USER_HZ).
        const std::size_t name = stat.rfind(')');
        if (name == std::string::npos) {
            return -1;
        }
        char* at = &stat[name + 1];
        long long ticks = 0;
        for (int field = 3; field <= 15; ++field) {
            while (*at == ' ') {
                ++at;
            }
            char* end = at;
            const long long value = std::strtoll(at, &end, 10);
            if (field >= 14) {
                ticks += value;
            }
            at = end;
            while (*at != ' ' && *at != '\0') {
                ++at;
            }
        }
        return static_cast<double>(ticks) * 10.0;
    }

  private:
    static double processTimesMs(HANDLE process) {
        FILETIME created;
        FILETIME exited;
        FILETIME kernel;
        FILETIME user;
        if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
            return -1;
        }
        const auto ticks = [](const FILETIME& t) {
            return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
    }

    // The value of name in a block of NUL-separated entries.
    static std::string entry(const std::string& block, const std::string& name) {
        for (std::size_t at = 0; at < block.size(); at = block.find('\0', at) + 1) {
            if (block.compare(at, name.size(), name) == 0) {
                return block.substr(at + name.size(), block.find('\0', at) - at - name.size());
            }
            if (block.find('\0', at) == std::string::npos) {
                break;
            }
        }
        return {};
    }

    // "Z:\proc\<pid>" of the program's process in this prefix, or empty
    // unless there is exactly one.
    std::string unixProcess(const std::string& program) const {
        std::vector<std::string> found;
        WIN32_FIND_DATAA entryData;
        const UniqueFind search = findHandle(FindFirstFileA("Z:\\proc\\*", &entryData));
        if (!search || prefix_.empty()) {
            return {};
        }
        do {
            const std::string name = entryData.cFileName;
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            const std::string directory = "Z:\\proc\\" + name;
            std::string commandLine;
            std::string environment;
            if (readFile(directory + "\\cmdline", commandLine) &&
                commandLine.size() >= program.size() &&
                CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, commandLine.c_str(),
                               static_cast<int>(program.size()), program.c_str(),
                               static_cast<int>(program.size())) == CSTR_EQUAL &&
                readFile(directory + "\\environ", environment) &&
                entry(environment, "WINEPREFIX=") == prefix_) {
                found.push_back(directory);
            }
        } while (FindNextFileA(search.get(), &entryData));
        return found.size() == 1 ? found.front() : std::string();
    }

    std::string prefix_;
};

double privateKbOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // PrivateUsage is 0 under Wine; Windows documents both as the same.
    return static_cast<double>(counters.PagefileUsage) / 1024.0;
}

struct Controls {
    double blockedKb = 0;
    double prologueKb = 0;
};

// The first instance over a span without a signal, beside a program that
// blocks from its start and one that blocks after the start prologue (c),
// all settled first. Their memory is read at the end.
std::string benchIdle(const Setup& setup, HANDLE firstInstance, Controls& controls) {
    Process blocked;
    Process prologue;
    ok(start(blocked, quotedPath(setup.idle), setup.workDir), "idle control: cannot start");
    ok(start(prologue, quotedPath(setup.prologue) + " --stay", setup.workDir),
       "idle prologue control: cannot start");
    Sleep(2000);
    const CpuClock clock;
    const double launcherBefore = clock.ms(firstInstance, setup.launcher);
    const double blockedBefore = clock.ms(blocked.handle(), setup.idle);
    const double prologueBefore = clock.ms(prologue.handle(), setup.prologue);
    Sleep(setup.idleSeconds * 1000);
    const double launcherSpent = clock.ms(firstInstance, setup.launcher) - launcherBefore;
    const double blockedSpent = clock.ms(blocked.handle(), setup.idle) - blockedBefore;
    const double prologueSpent = clock.ms(prologue.handle(), setup.prologue) - prologueBefore;
    ok(launcherBefore > 0 && blockedBefore >= 0 && prologueBefore >= 0,
       "idle: no CPU times (%.0f, %.0f, %.0f ms)", launcherBefore, blockedBefore, prologueBefore);
    controls.blockedKb = privateKbOf(blocked.handle());
    controls.prologueKb = privateKbOf(prologue.handle());
    for (const Process* p : {&blocked, &prologue}) {
        p->kill();
        p->wait();
    }
    std::printf("idle: the first instance had used %.0f ms of CPU before the span, the blocked "
                "programs %.0f and %.0f ms\n",
                launcherBefore, blockedBefore, prologueBefore);
    // CPU time counts in ticks of 10 ms: one tick more than the controls is
    // still noise.
    return bench::row(
        "3. Idle: CPU time of the first instance over " + std::to_string(setup.idleSeconds) +
            " s without a signal",
        bench::format("%.0f ms (%.0f ms before the span)", launcherSpent, launcherBefore),
        bench::format("blocked program %.0f ms, (c) blocked %.0f ms", blockedSpent, prologueSpent),
        "-", "0 ms beyond noise",
        bench::verdict(launcherSpent <= std::max(blockedSpent, prologueSpent) + 10));
}

long long fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return -1;
    }
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string bytes(long long size) {
    return bench::format("%.0f bytes (%.1f KB)", static_cast<double>(size),
                         static_cast<double>(size) / 1024.0);
}

std::string benchSize(const Setup& setup, const Values& privateKb, const Controls& controls) {
    const long long size = fileSize(setup.launcher);
    const bench::Summary p = bench::summarize(privateKb);
    return bench::row("4. Size of Pellix2.exe", bytes(size),
                      "(a) " + bytes(fileSize(setup.empty)) + ", (c) " +
                          bytes(fileSize(setup.prologue)),
                      "-", "<= 200 KB", bench::verdict(size <= 200 * 1024)) +
           bench::row("4. Private memory when jvm.dll loads (n=" + std::to_string(p.count) + ")",
                      bench::format("%.0f KB (%.0f-%.0f)", p.median, p.min, p.max),
                      bench::format("blocked program %.0f KB, (c) blocked %.0f KB",
                                    controls.blockedKb, controls.prologueKb),
                      "-", "reported", "-");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::printf("usage: wine_bench PELLIX2.EXE JVM.DLL BENCH_DIR [RUNS [IDLE_SECONDS "
                    "[NAME=OTHER.EXE...]]]\n");
        return 2;
    }
    group = "bench";
    Setup setup;
    setup.launcher = windowsPath(argv[1]);
    const std::string benchDir = windowsPath(argv[3]) + "\\";
    setup.empty = benchDir + "bench_empty.exe";
    setup.sendOnly = benchDir + "bench_send_only.exe";
    setup.prologue = benchDir + "bench_prologue.exe";
    setup.prologueSend = benchDir + "bench_prologue_send.exe";
    setup.idle = benchDir + "bench_idle.exe";
    if (argc > 4) {
        setup.runs = std::atoi(argv[4]);
    }
    if (argc > 5) {
        setup.idleSeconds = static_cast<DWORD>(std::atoi(argv[5]));
    }
    for (int i = 6; i < argc; ++i) {
        const std::string other = argv[i];
        const std::size_t equals = other.find('=');
        if (!ok(equals != std::string::npos, "set-up: [%s] is no NAME=OTHER.EXE", argv[i])) {
            return 2;
        }
        setup.others.emplace_back(other.substr(0, equals), windowsPath(other.substr(equals + 1)));
    }

    // Only stamps: the stand-in's log would time its own writing.
    const StandInFiles files("pellix bench");
    SetEnvironmentVariableA(kStandInLogVariable, nullptr);
    SetEnvironmentVariableA(kStandInConfigVariable, nullptr);
    const std::string stampsFile = files.root + "\\stamps.txt";
    SetEnvironmentVariableA(kStandInStampsVariable, stampsFile.c_str());
    setup.workDir = files.workDir;
    // Only the registry's runtimes: a JAVA_HOME of this machine is not the
    // launcher's to find here.
    SetEnvironmentVariableA("JAVA_HOME", nullptr);
    installStandInRuntime(files.root, windowsPath(argv[2]), "server");
    setup.classicHome = files.root + "\\jre";
    const std::string vendorHome = files.root + "\\jdk-17.0.49.1-hotspot";
    ok(makeJavaHome(vendorHome, windowsPath(argv[2]), {"server"}),
       "set-up: cannot lay out the maker's runtime");
    registerVendorRuntimes(vendorHome);
    SetEnvironmentVariableA("APPDATA", files.root.c_str());
    makeDirectories(files.root + "\\Tavora");
    setup.optionsFile = files.root + "\\Tavora\\Pellix2.vmoptions";

    const UniqueHandle stampEvent(CreateEventA(nullptr, FALSE, FALSE, kStandInStampEvent));
    ok(stampEvent != nullptr, "set-up: no event %s", kStandInStampEvent);
    Stamps stamps(stampsFile, stampEvent.get());
    startDesktop();

    Values privateKb;
    const std::string firstStartRows = benchFirstStart(setup, stamps, privateKb);
    std::string rows;
    Process first;
    stamps.skipAll();
    LONGLONG mainCalled = 0;
    if (ok(start(first, quotedPath(setup.launcher), setup.workDir),
           "first instance: cannot start") &&
        ok(stamps.waitFor("INVOKE main ", mainCalled), "first instance: main not called")) {
        const UniqueHandle signal(OpenEventA(EVENT_MODIFY_STATE, FALSE, kSignalEventName));
        ok(signal != nullptr, "no event %s", kSignalEventName);
        rows += benchHandOver(setup, stamps, signal.get());
        rows += firstStartRows;
        Controls controls;
        rows += benchIdle(setup, first.handle(), controls);
        rows += benchSize(setup, privateKb, controls);
    }
    first.kill();
    first.wait();
    unregisterAll();
    std::fputs(rows.c_str(), stdout);
    return finish("wine_bench");
}
