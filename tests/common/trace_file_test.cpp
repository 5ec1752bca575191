// The trace that PELLIX_TRACE switches on, read from the file that the real
// executable writes: what each kind of start says, lines whole while many
// processes write at once, none while another holds their lock, and nothing
// anywhere while it is off.
#include "wine_test.h"

#include <memory>
#include <set>

#include "tests/stand_in_jvm/stand_in_runtime.h"

using namespace winetest;
using namespace standin;

namespace {

const char* const kTraceVariable = "PELLIX_TRACE";
// The one byte that every writer of the trace locks around each line.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

std::string launcher;
const StandInFiles* files = nullptr;
std::string tracePath;

struct TraceLine {
    unsigned long ms = 0;
    unsigned long pid = 0;
    unsigned long tid = 0;
    std::string text;
};

// "<ms> <pid> <tid> <text>\r\n" each; false when any line is not of that form.
bool readTrace(std::vector<TraceLine>& lines, std::string* bad = nullptr) {
    lines.clear();
    std::string content;
    readFile(tracePath, content);
    std::size_t start = 0;
    for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string raw = content.substr(start, end - start);
        TraceLine line;
        int used = 0;
        if (std::sscanf(raw.c_str(), "%lu %lu %lu %n", &line.ms, &line.pid, &line.tid, &used) !=
                3 ||
            used == 0) {
            if (bad != nullptr) {
                *bad = raw;
            }
            return false;
        }
        line.text = raw.substr(static_cast<std::size_t>(used));
        lines.push_back(line);
    }
    if (start != content.size() && bad != nullptr) {
        *bad = content.substr(start); // a last line without its end
    }
    return start == content.size();
}

// Whether the process wrote a line beginning with each of the texts; the
// report names the first that is missing and shows the process's lines.
bool says(const std::vector<TraceLine>& lines, DWORD pid, const std::vector<std::string>& texts,
          const char* what) {
    for (const std::string& text : texts) {
        bool found = false;
        for (const TraceLine& line : lines) {
            found = found || (line.pid == pid && line.text.rfind(text, 0) == 0);
        }
        if (!ok(found, "%s: no line [%s]", what, text.c_str())) {
            for (const TraceLine& line : lines) {
                if (line.pid == pid) {
                    std::printf("    | %lu %s\n", line.ms, line.text.c_str());
                }
            }
            return false;
        }
    }
    return true;
}

std::string quotedLauncher() {
    return "\"" + launcher + "\"";
}

std::set<std::string> namesIn(const std::string& directory) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    if (const UniqueFind search = findHandle(FindFirstFileA((directory + "\\*").c_str(), &entry))) {
        do {
            names.insert(entry.cFileName);
        } while (FindNextFileA(search.get(), &entry));
    }
    return names;
}

// Off: a first start and a later one leave no file behind, where a trace
// would most likely land.
void testOff() {
    group = "off";
    SetEnvironmentVariableA(kTraceVariable, nullptr);
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::vector<std::string> places = {files->workDir, directoryOf(launcher), temp};
    std::vector<std::set<std::string>> before;
    for (const auto& place : places) {
        before.push_back(namesIn(place));
    }
    {
        LauncherRun first(*files, launcher);
        first.launches("first instance");
        std::string output;
        ok(runCapturingOutput(quotedLauncher() + " off.txt", files->workDir, output) == 1 &&
               first.waitFor(invokeLine("openFiles", {"off.txt"})),
           "the later start did not hand over");
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        ok(namesIn(places[i]) == before[i], "a file appeared in %s", places[i].c_str());
    }
}

void testStarts(const std::string& home) {
    group = "starts";
    SetEnvironmentVariableA(kTraceVariable, tracePath.c_str());
    DeleteFileA(tracePath.c_str());
    std::vector<TraceLine> lines;

    unregisterAll();
    {
        LauncherRun first(*files, launcher);
        first.endsWithDialog("no runtime");
        ok(readTrace(lines), "no runtime: lines not of the trace's form");
        says(lines, first.id(),
             {"Pellix2 2.0.0.0, " + launcher, "command line: " + quotedLauncher(),
              "application folder: the working directory, as neither folder holds Pellix.jar",
              "locale file dxr_tavora: not found, locale \"en\", language english",
              "instance mutex: held, creation status 0: the first instance", "messaging server: 0",
              "runtime place: shipped runtime: " + directoryOf(launcher) + "\\jre, no library",
              "runtime place: HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment: status 2",
              "runtime place: HKLM\\SOFTWARE\\Eclipse Adoptium\\JDK: status 2",
              "runtime place: JAVA_HOME: status 203",
              "launch: no runtime key, missing-Java dialog"},
             "no runtime");
    }

    SETUP(registerRuntime("1.8", home));
    files->configure("no_class javax/swing/JFrame\nthrow " + std::string(kMainClass) +
                     " main java/lang/IllegalStateException\n");
    LauncherRun first(*files, launcher);
    first.launches("first instance");
    std::string output;
    const DWORD later = runCapturingOutput(quotedLauncher() + " a.txt", files->workDir, output);
    ok(later == 1 && first.waitFor(invokeLine("openFiles", {"a.txt"})),
       "the later start did not hand over");
    Sleep(200);
    ok(readTrace(lines), "launch: lines not of the trace's form");
    // 126: no file there; 193: a file that is no 64-bit library.
    says(lines, first.id(),
         {"runtime place: HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment: " + home +
              ", library at client server, version \"1.8\"",
          "runtime chosen: " + home + ", version \"1.8\"", "DLL directory: " + home + "\\bin",
          "load " + home + "\\bin\\client\\jvm.dll: failed, error 193",
          "load " + home + "\\bin\\hotspot\\jvm.dll: failed, error 126",
          "load " + home + "\\bin\\server\\jvm.dll: loaded",
          "exports: JNI_GetDefaultJavaVMInitArgs present, JNI_CreateJavaVM present",
          // While the trace is on, the runtime's hooks come first.
          "options file ", "option 0: vfprintf (a hook)", "option 3: -Xms40m", "option 4: -Xmx364m",
          "option 5: -Dosgi.requiredJavaVersion=1.5;", "option 6: -Djava.compiler=NONE;",
          "option 7: -Djava.class.path=.;Pellix.jar;",
          "option 8: ", "JNI_CreateJavaVM with version 0x00010004: 0, version read back 0x00010004",
          "Java: class javax/swing/JFrame not found",
          "Java: exception java.lang.IllegalStateException left pending",
          "launch: main returned, watching for later starts",
          "hand-over received over operation 1: 1 entries kept; dropped 0 too long, 0 beyond "
          "twenty",
          "signal served: toFront 0", "openFiles with 1 entries: 0"},
         "launch");
    DWORD laterPid = 0;
    for (const TraceLine& line : lines) {
        laterPid =
            line.text == "command line: " + quotedLauncher() + " a.txt" ? line.pid : laterPid;
    }
    ok(laterPid != 0 && laterPid != first.id(), "later start: no command line of its own");
    says(lines, laterPid,
         {"instance mutex: held, creation status 183: a later start",
          "hand-over: send 0, exception code 0"},
         "later start");
}

// Twenty later starts at once, and the first instance, all write the one
// file: every line is whole, and each start's command line is there once.
void testManyWriters() {
    group = "many writers";
    DeleteFileA(tracePath.c_str());
    files->configure("");
    LauncherRun first(*files, launcher);
    first.launches("first instance");
    constexpr int kStarts = 20;
    std::vector<std::unique_ptr<Process>> starts;
    for (int i = 0; i < kStarts; ++i) {
        starts.push_back(std::make_unique<Process>());
        start(*starts.back(), quotedLauncher() + " many" + std::to_string(i) + ".txt",
              files->workDir);
    }
    int ended = 0;
    for (const auto& p : starts) {
        ended += p->wait(60000) == 1;
    }
    ok(ended == kStarts, "%d of %d later starts ended with 1", ended, kStarts);
    ok(first.waitFor(invokePrefix("openFiles"), kStarts), "not every list reached openFiles");
    Sleep(200);
    std::vector<TraceLine> lines;
    std::string bad;
    ok(readTrace(lines, &bad), "a line is not whole: [%s]", bad.c_str());
    for (int i = 0; i < kStarts; ++i) {
        const std::string commandLine =
            "command line: " + quotedLauncher() + " many" + std::to_string(i) + ".txt";
        int seen = 0;
        for (const TraceLine& line : lines) {
            seen += line.text == commandLine;
        }
        ok(seen == 1, "start %d: its command line is there %d times", i, seen);
    }
}

// Another process holds the byte that writers lock: a launch writes no line
// until it lets go, and then every one, whole. A launch that did not wait
// for the lock would have called main long before the wait ends.
void testLockHeld() {
    group = "lock held";
    DeleteFileA(tracePath.c_str());
    const UniqueHandle held = fileHandle(CreateFileA(
        tracePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    OVERLAPPED range = {};
    range.OffsetHigh = kLockOffsetHigh;
    SETUP(held && LockFileEx(held.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                             0, &range));
    LauncherRun first(*files, launcher);
    const bool mainCalled = waitForLines(files->logFile, invokePrefix("main"), 1, 3000);
    LARGE_INTEGER size = {};
    ok(GetFileSizeEx(held.get(), &size) && size.QuadPart == 0 && !mainCalled,
       "%lld bytes written while the lock was held, main %s", size.QuadPart,
       mainCalled ? "called" : "not called");
    UnlockFileEx(held.get(), 0, 1, 0, &range);
    first.launches("once the lock is let go");
    std::vector<TraceLine> lines;
    std::string bad;
    ok(readTrace(lines, &bad), "a line is not whole: [%s]", bad.c_str());
    says(lines, first.id(),
         {"Pellix2 2.0.0.0, " + launcher, "command line: " + quotedLauncher(),
          "JNI_CreateJavaVM with version"},
         "once the lock is let go");
}

// A trace that cannot be written changes nothing about the launch.
void testUnusablePath() {
    group = "unusable path";
    for (const std::string& path : {files->root + "\\no such directory\\trace.log", files->root}) {
        SetEnvironmentVariableA(kTraceVariable, path.c_str());
        LauncherRun first(*files, launcher);
        first.launches(path.c_str());
        std::string output;
        ok(runCapturingOutput(quotedLauncher() + " b.txt", files->workDir, output) == 1 &&
               output.empty() && first.waitFor(invokeLine("openFiles", {"b.txt"})),
           "%s: the later start did not hand over [%s]", path.c_str(), output.c_str());
    }
    SetEnvironmentVariableA(kTraceVariable, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: trace_file_test PELLIX2.EXE JVM.DLL\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    const StandInFiles standInFiles("pellix trace");
    files = &standInFiles;
    tracePath = standInFiles.root + "\\trace.log";
    const std::string home = standInFiles.root + "\\jre";
    SETUP(makeJavaHome(home, windowsPath(argv[2]), {"server"}));
    makeDirectories(home + "\\bin\\client");
    SETUP(writeFile(home + "\\bin\\client\\jvm.dll", "not a library"));
    unregisterAll();
    SETUP(registerRuntime("1.8", home));

    startDesktop();
    const UnmanagedWindows unmanaged;
    testOff();
    testStarts(home);
    testManyWriters();
    testLockHeld();
    testUnusablePath();
    unregisterAll();
    return finish("trace_file_test");
}
