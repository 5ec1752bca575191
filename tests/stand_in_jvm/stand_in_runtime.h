// A stand-in Java runtime for tests of the real executable under Wine:
// Java homes that hold the stand-in jvm.dll, the registry entries that point
// at them, the stand-in's configuration and its log
// (stand_in_jvm/stand_in_jvm.h describes both).
#pragma once

#include "wine_test.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/stand_in_jvm/stand_in_jvm.h"

namespace standin {

constexpr const char* kRuntimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
constexpr const char* kExtraJarKey = "SOFTWARE\\Norvane\\Brisca_qrt\\3.0";
constexpr const char* kMainClass = "com/norvane/apps/websetup/TavoraLauncher";

// ---- Files -----------------------------------------------------------------

inline void makeDirectories(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos;
         at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryA(path.c_str(), nullptr);
}

inline void removeTree(const std::string& directory) {
    WIN32_FIND_DATAA found;
    if (const UniqueFind search = findHandle(FindFirstFileA((directory + "\\*").c_str(), &found))) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = directory + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search.get(), &found));
    }
    RemoveDirectoryA(directory.c_str());
}

// A Java home with a copy of library at each of places ("client",
// "hotspot", "server"), as home\bin\PLACE\jvm.dll.
inline bool makeJavaHome(const std::string& home, const std::string& library,
                         std::initializer_list<const char*> places) {
    makeDirectories(home + "\\bin");
    makeDirectories(home + "\\lib");
    bool done = true;
    for (const char* place : places) {
        const std::string directory = home + "\\bin\\" + place;
        makeDirectories(directory);
        done = CopyFileA(library.c_str(), (directory + "\\jvm.dll").c_str(), FALSE) && done;
    }
    return done;
}

// ---- Registry --------------------------------------------------------------

inline std::wstring wideText(std::string_view narrow) {
    std::wstring out(narrow.size(), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), out.data(),
                        static_cast<int>(out.size()));
    return out;
}

// Creates key under root in the given view and, with a value name, sets that
// value to text. Through the wide calls: Wine's narrow ones refuse key paths
// of more than 260 characters.
inline bool setRegistryText(HKEY root, const std::string& key, const char* valueName,
                            std::string_view text = {}, REGSAM view = KEY_WOW64_64KEY) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, wideText(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey created(handle);
    if (valueName == nullptr) {
        return true;
    }
    const std::wstring value = wideText(text);
    return RegSetValueExW(handle, wideText(valueName).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

// The same for a number (REG_DWORD).
inline bool setRegistryNumber(HKEY root, const std::string& key, const char* valueName,
                              DWORD number) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey created(handle);
    return RegSetValueExA(handle, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number) == ERROR_SUCCESS;
}

// Creates key under HKEY_LOCAL_MACHINE (64-bit view) and, with a value name,
// sets that value to text.
inline bool setMachineText(const std::string& key, const char* valueName,
                           std::string_view text = {}) {
    return setRegistryText(HKEY_LOCAL_MACHINE, key, valueName, text);
}

inline std::string versionedKey(std::string_view version) {
    return std::string(kRuntimeKey) + "\\" + std::string(version);
}

// The keys under which the launcher looks for runtimes, each removed with
// all below it, under either root and in either view. Of Microsoft's, only
// its runtimes' key.
constexpr const char* kRuntimeTrees[] = {
    "SOFTWARE\\JavaSoft",           "SOFTWARE\\Eclipse Adoptium", "SOFTWARE\\AdoptOpenJDK",
    "SOFTWARE\\Eclipse Foundation", "SOFTWARE\\Microsoft\\JDK",   "SOFTWARE\\Semeru",
    "SOFTWARE\\Azul Systems",       "SOFTWARE\\BellSoft",
};

// Removes every registry entry these tests make, in both roots and both
// views. Other tests expect no Java runtime to be registered.
inline void unregisterAll() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            HKEY software = nullptr;
            if (RegOpenKeyExA(root, "SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) !=
                ERROR_SUCCESS) {
                continue;
            }
            const UniqueKey owned(software);
            for (const char* tree : kRuntimeTrees) {
                RegDeleteTreeW(software, wideText(std::string_view(tree).substr(9)).c_str());
            }
        }
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Norvane\\Brisca_qrt");
    // Only when nothing else lives there.
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvane", KEY_WOW64_64KEY, 0);
}

inline bool isRegistered(const char* key, HKEY root = HKEY_LOCAL_MACHINE,
                         REGSAM view = KEY_WOW64_64KEY) {
    HKEY handle = nullptr;
    const bool opened = RegOpenKeyExA(root, key, 0, KEY_READ | view, &handle) == ERROR_SUCCESS;
    const UniqueKey owned(opened ? handle : nullptr);
    return opened;
}

// Whether any of the entries these tests make is left behind.
inline bool leftBehind() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            for (const char* tree : kRuntimeTrees) {
                if (isRegistered(tree, root, view)) {
                    return true;
                }
            }
        }
    }
    return isRegistered("SOFTWARE\\Norvane\\Brisca_qrt");
}

// Registers home as the current runtime of version, replacing any earlier
// registration.
inline bool registerRuntime(std::string_view version, const std::string& home) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft");
    return setMachineText(kRuntimeKey, "CurrentVersion", version) &&
           setMachineText(versionedKey(version), "JavaHome", home);
}

// The one runtime of the tests that need a working one: a Java home under
// root holding the stand-in library in the given place, registered as 1.8.
inline void installStandInRuntime(const std::string& root, const std::string& library,
                                  const char* place) {
    const std::string home = root + "\\jre";
    ok(makeJavaHome(home, library, {place}), "could not lay out the Java home");
    unregisterAll();
    ok(registerRuntime("1.8", home), "could not register the runtime");
}

// ---- Log -------------------------------------------------------------------

using Lines = std::vector<std::string>;

inline Lines readLog(const std::string& path) {
    Lines lines;
    std::string text;
    winetest::readFile(path, text);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

inline bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

inline Lines linesStartingWith(const Lines& lines, std::string_view prefix) {
    Lines found;
    for (const auto& line : lines) {
        if (startsWith(line, prefix)) {
            found.push_back(line);
        }
    }
    return found;
}

inline std::size_t countLines(const Lines& lines, std::string_view prefix) {
    return linesStartingWith(lines, prefix).size();
}

// Waits until the log holds at least count lines that start with prefix.
inline bool waitForLines(const std::string& path, std::string_view prefix, std::size_t count = 1,
                         DWORD milliseconds = 10000) {
    const DWORD startTime = GetTickCount();
    for (;;) {
        if (countLines(readLog(path), prefix) >= count) {
            return true;
        }
        if (GetTickCount() - startTime > winetest::patience(milliseconds)) {
            return false;
        }
        Sleep(10);
    }
}

// The INVOKE line of a Java method of the main class that received these
// strings.
inline std::string invokeLine(std::string_view method, const std::vector<std::string>& strings) {
    std::string line = "INVOKE " + quoted(kMainClass) + " " + quoted(method) + " " +
                       std::to_string(strings.size());
    for (const auto& s : strings) {
        line += " " + quoted(s);
    }
    return line;
}

inline std::string invokePrefix(std::string_view method) {
    return "INVOKE " + quoted(kMainClass) + " " + quoted(method) + " ";
}

// File names that no single code page holds, as a command-line argument in
// UTF-16 and as the modified UTF-8 bytes that Java must receive, which the
// stand-in logs: every UTF-16 unit on its own, so that the halves of a
// surrogate pair, and an unpaired one, take three bytes each.
struct UnicodeName {
    const wchar_t* argument;
    const char* inJava;
};

inline const UnicodeName kUnicodeNames[] = {
    {L"Za\u017C\u00F3\u0142\u0107", "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"},
    {L"g\u0119\u015Bl\u0105.tav", "g\xC4\x99\xC5\x9Bl\xC4\x85.tav"},
    {L"\u65E5\u672C\u8A9E.txt", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"},
    {L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC.doc",
     "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.doc"},
    {L"\U0001F600.txt", "\xED\xA0\xBD\xED\xB8\x80.txt"},
    {L"caf\u00E9.txt", "caf\xC3\xA9.txt"},
    {L"plan\uFF5Cnotes.tav", "plan\xEF\xBD\x9Cnotes.tav"}, // FULLWIDTH VERTICAL LINE, no bar
    {L"x\xD800y.txt", "x\xED\xA0\x80y.txt"},               // an unpaired surrogate
};

// Arguments of a command line (with the blank before each) and what Java
// must receive of them: each name alone, all of them at once, in order, and
// an argument of 511 units beside one of 512, a surrogate pair counting two.
struct UnicodeCase {
    std::string what;
    std::wstring arguments;
    std::vector<std::string> inJava;
};

inline std::vector<UnicodeCase> unicodeCases() {
    std::vector<UnicodeCase> cases;
    UnicodeCase all{"all names", L"", {}};
    for (const UnicodeName& name : kUnicodeNames) {
        cases.push_back(
            {printable(name.argument), L" " + std::wstring(name.argument), {name.inJava}});
        all.arguments += L" " + std::wstring(name.argument);
        all.inJava.emplace_back(name.inJava);
    }
    cases.push_back(all);
    std::string longestInJava;
    for (int i = 0; i < 509; ++i) {
        longestInJava += "\xD0\x96";
    }
    longestInJava += "\xED\xA0\xBD\xED\xB8\x80";
    cases.push_back({"511 and 512 units",
                     L" " + std::wstring(509, L'\u0416') + L"\U0001F600 " +
                         std::wstring(510, L'\u0416') + L"\U0001F600 z",
                     {longestInJava, "z"}});
    return cases;
}

inline void printLog(const Lines& lines) {
    for (const auto& line : lines) {
        std::printf("    | %s\n", line.c_str());
    }
    std::fflush(stdout);
}

// ---- Runs of the launcher --------------------------------------------------

// One test program's stand-in files under a new temporary directory whose
// name holds a space, as "Program Files" does: the log, the configuration
// and the launcher's working directory. The launcher finds the first two
// through the environment that it inherits from the test.
class StandInFiles {
  public:
    explicit StandInFiles(const char* name) {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        root = std::string(temp) + name + " " + std::to_string(GetCurrentProcessId());
        workDir = root + "\\work";
        logFile = root + "\\stand-in.log";
        configFile = root + "\\stand-in.conf";
        makeDirectories(workDir);
        SetEnvironmentVariableA(kStandInLogVariable, logFile.c_str());
        SetEnvironmentVariableA(kStandInConfigVariable, configFile.c_str());
    }
    ~StandInFiles() { removeTree(root); }
    StandInFiles(const StandInFiles&) = delete;
    StandInFiles& operator=(const StandInFiles&) = delete;

    // The configuration of the next runs; the defaults alone when empty.
    void configure(const std::string& text) const {
        if (text.empty()) {
            DeleteFileA(configFile.c_str());
        } else {
            ok(winetest::writeFile(configFile, text), "set-up: cannot write %s",
               configFile.c_str());
        }
    }

    std::string root;
    std::string workDir;
    std::string logFile;
    std::string configFile;
};

// One start of the launcher with a fresh log. Checks that the launcher used
// the stand-in as a real machine must be used, shows the log when a check of
// this run failed, and ends the process if it still runs.
class LauncherRun {
  public:
    LauncherRun(const StandInFiles& files, const std::string& launcher,
                const std::string& commandLine = "")
        : files_(files), failuresBefore_(winetest::failures) {
        DeleteFileA(files.logFile.c_str());
        ok(winetest::startProgram(process, launcher,
                                  commandLine.empty() ? "\"" + launcher + "\"" : commandLine,
                                  files.workDir),
           "cannot start the launcher: %lu", GetLastError());
    }
    // The same, started with a UTF-16 command line through CreateProcessW.
    LauncherRun(const StandInFiles& files, const std::string& launcher,
                const std::wstring& commandLine)
        : files_(files), failuresBefore_(winetest::failures) {
        DeleteFileA(files.logFile.c_str());
        ok(winetest::startProgram(process, launcher, commandLine, files.workDir),
           "cannot start the launcher: %lu", GetLastError());
    }
    ~LauncherRun() {
        if (process.started() && process.wait(0) == STILL_ACTIVE) {
            process.kill();
            process.wait();
        }
        const Lines lines = log();
        ok(countLines(lines, "FAULT") == 0 && countLines(lines, "TRAP") == 0,
           "the launcher misused the Java Native Interface");
        if (winetest::failures > failuresBefore_) {
            std::printf("  log of that run:\n");
            printLog(lines);
        }
    }
    LauncherRun(const LauncherRun&) = delete;
    LauncherRun& operator=(const LauncherRun&) = delete;

    Lines log() const { return readLog(files_.logFile); }
    std::size_t count(std::string_view prefix) const { return countLines(log(), prefix); }
    bool waitFor(std::string_view prefix, std::size_t count = 1) const {
        return waitForLines(files_.logFile, prefix, count);
    }
    DWORD id() const { return process.id(); }

    // The missing-Java dialog comes up once; once closed, the process ends
    // with 1.
    void endsWithDialog(const char* what) {
        HWND dialog = winetest::findDialog(id(), 10000, L"Tavora");
        ok(dialog != nullptr, "%s: no missing-Java dialog", what);
        if (dialog != nullptr) {
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
        const DWORD code = process.wait(10000);
        ok(code == 1, "%s: exit code %lu after the dialog, expected 1", what, code);
    }

    // The process ends with 1 by itself, without any dialog.
    void endsSilently(const char* what) {
        const DWORD code = process.wait(10000);
        ok(code == 1, "%s: exit code %lu, expected 1 without a dialog (%d shown)", what, code,
           winetest::countDialogs(id()));
    }

    // The application's main is called, and the first instance stays.
    void launches(const char* what) {
        ok(waitFor(invokePrefix("main")), "%s: main was not called", what);
        ok(process.wait(0) == STILL_ACTIVE, "%s: the first instance did not stay", what);
    }

    winetest::Process process;

  private:
    const StandInFiles& files_;
    int failuresBefore_;
};

} // namespace standin
