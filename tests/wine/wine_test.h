// A small harness for Win32 tests that run under Wine, in the manner of
// Wine's own conformance tests: one ok() per behaviour, the caller's line in
// every report, the number of failures as the exit code.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "common/unique_handle_win.h"
#include "tests/printable.h"

namespace winetest {

inline int failures = 0;
inline int successes = 0;
inline const char* group = "";

// The compiler checks every message against its arguments.
__attribute__((format(printf, 4, 5))) inline bool report(const char* file, int line, bool passed,
                                                         const char* format, ...) {
    if (passed) {
        ++successes;
        return true;
    }
    ++failures;
    std::printf("%s:%d: [%s] Test failed: ", file, line, group);
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
    return false;
}

// How long a wait may take: as asked until a check has failed, then half a
// second, so that a failing program ends at once rather than at its
// time-out, waiting for what will not come.
inline DWORD patience(DWORD milliseconds) {
    return failures == 0 || milliseconds < 500 ? milliseconds : 500;
}

// Runs the groups of checks in turn until one has failed: the later ones
// would mostly wait for what the fault keeps from coming.
template <typename... Groups> void runWhilePassing(Groups... groups) {
    ((failures == 0 ? groups() : void()), ...);
}

inline int finish(const char* name) {
    std::printf("%s: %d tests executed, %d failures\n", name, successes + failures, failures);
    return failures == 0 ? 0 : 1;
}

// A Unix path as handed over by the test runner, as Windows sees it through
// the Z: drive that Wine maps to the root.
inline std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

inline std::string directoryOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}

// A started process; its handles are closed when done.
class Process {
  public:
    Process() = default;

    bool started() const { return process_ != nullptr; }
    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }

    // Exit code, or STILL_ACTIVE when it does not end within the time.
    DWORD wait(DWORD milliseconds = 20000) const {
        if (WaitForSingleObject(handle(), patience(milliseconds)) != WAIT_OBJECT_0) {
            return STILL_ACTIVE;
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(handle(), &code);
        return code;
    }

    void kill() const { TerminateProcess(handle(), 99); }

    // Takes over what CreateProcess filled in.
    void own(const PROCESS_INFORMATION& info) {
        process_.reset(info.hProcess);
        thread_.reset(info.hThread);
        id_ = info.dwProcessId;
    }

  private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

// Calls visit with the id of every thread of a process; returns how many
// there were.
template <typename Visit> int forEachThread(DWORD processId, Visit visit) {
    const UniqueHandle snapshot = fileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) {
        return 0;
    }
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == processId) {
            ++count;
            visit(entry.th32ThreadID);
        }
    }
    return count;
}

inline int threadCount(DWORD processId) {
    return forEachThread(processId, [](DWORD) {});
}

// Stops every thread of a process, so that a call into it waits, or lets
// them all go on again.
inline void suspendProcess(DWORD processId, bool suspend = true) {
    forEachThread(processId, [suspend](DWORD threadId) {
        if (const UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId)); thread) {
            if (suspend) {
                SuspendThread(thread.get());
            } else {
                ResumeThread(thread.get());
            }
        }
    });
}

// A text of this process's code page as UTF-16.
inline std::wstring widen(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// The start-up information of a program started with the given standard
// output (none: its own), for either width of STARTUPINFO.
template <typename StartupInfo> StartupInfo startupWith(HANDLE standardOutput) {
    StartupInfo startup = {};
    startup.cb = sizeof startup;
    if (standardOutput != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = standardOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    return startup;
}

// Starts application (or, when empty, the program that commandLine names)
// with commandLine (program name included, as it should reach the program)
// in directory, with the test's own environment.
inline bool startProgram(Process& process, const std::string& application,
                         const std::string& commandLine, const std::string& directory,
                         HANDLE standardOutput = nullptr) {
    STARTUPINFOA startup = startupWith<STARTUPINFOA>(standardOutput);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(application.empty() ? nullptr : application.c_str(), line.data(), nullptr,
                        nullptr, standardOutput != nullptr, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        return false;
    }
    process.own(info);
    return true;
}

// The same with a UTF-16 command line, through CreateProcessW: the program
// finds exactly these units in GetCommandLineW, characters that the code
// page lacks and unpaired surrogates included.
inline bool startProgram(Process& process, const std::string& application,
                         const std::wstring& commandLine, const std::string& directory,
                         HANDLE standardOutput = nullptr) {
    STARTUPINFOW startup = startupWith<STARTUPINFOW>(standardOutput);
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const std::wstring wideApplication = widen(application);
    const std::wstring wideDirectory = widen(directory);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(application.empty() ? nullptr : wideApplication.c_str(), line.data(),
                        nullptr, nullptr, standardOutput != nullptr, 0, nullptr,
                        directory.empty() ? nullptr : wideDirectory.c_str(), &startup, &info)) {
        return false;
    }
    process.own(info);
    return true;
}

// Starts commandLine (program name included, as it should reach the
// program) in directory, with the test's own environment; narrow through
// CreateProcessA, UTF-16 through CreateProcessW.
template <typename Text>
bool start(Process& process, const Text& commandLine, const std::string& directory,
           HANDLE standardOutput = nullptr) {
    return startProgram(process, "", commandLine, directory, standardOutput);
}

// A process whose standard output the test reads through a pipe.
class CapturedProcess {
  public:
    // Starts commandLine (narrow or UTF-16) in directory; false when the
    // pipe or the process could not be had.
    template <typename Text> bool start(const Text& commandLine, const std::string& directory) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
            return false;
        }
        readEnd_.reset(readEnd);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        const bool started = winetest::start(process, commandLine, directory, writeEnd);
        const DWORD error = GetLastError();
        // Only the child keeps this end: its output ends when the child does.
        CloseHandle(writeEnd);
        SetLastError(error);
        return started;
    }

    // Everything it wrote, once its end of the pipe is closed: when it has
    // ended, or been ended.
    std::string output() const {
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (readEnd_ && ReadFile(readEnd_.get(), buffer, sizeof buffer, &got, nullptr) &&
               got > 0) {
            text.append(buffer, got);
        }
        return text;
    }

    Process process;

  private:
    UniqueHandle readEnd_;
};

// Runs commandLine to its end with its standard output captured; returns the
// exit code (STILL_ACTIVE when it did not end in time).
template <typename Text>
DWORD runCapturingOutput(const Text& commandLine, const std::string& directory, std::string& output,
                         DWORD milliseconds = 20000) {
    CapturedProcess run;
    const bool started = run.start(commandLine, directory);
    output = started ? run.output() : std::string();
    return started ? run.process.wait(milliseconds) : STILL_ACTIVE;
}

struct WindowSearch {
    DWORD processId;
    const wchar_t* caption;
    HWND found;
    int count;
};

// Counts the visible dialog boxes (class #32770) of a process, with the
// given caption or any, and keeps the first.
inline void searchDialogs(WindowSearch& search) {
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<WindowSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char className[64] = "";
            GetClassNameA(window, className, sizeof className);
            wchar_t caption[256] = L"";
            GetWindowTextW(window, caption, 256);
            if (owner == s->processId && lstrcmpA(className, "#32770") == 0 &&
                IsWindowVisible(window) &&
                (s->caption == nullptr || lstrcmpW(caption, s->caption) == 0)) {
                if (s->found == nullptr) {
                    s->found = window;
                }
                ++s->count;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
}

// The dialog box (class #32770) that a process shows, with the given caption
// or any, waiting for it to appear for up to the given time.
inline HWND findDialog(DWORD processId, DWORD milliseconds = 20000,
                       const wchar_t* caption = nullptr) {
    const DWORD startTime = GetTickCount();
    for (;;) {
        WindowSearch search = {processId, caption, nullptr, 0};
        searchDialogs(search);
        if (search.found != nullptr || GetTickCount() - startTime > patience(milliseconds)) {
            return search.found;
        }
        Sleep(20);
    }
}

// How many dialog boxes the process shows now, with the given caption or any.
inline int countDialogs(DWORD processId, const wchar_t* caption = nullptr) {
    WindowSearch search = {processId, caption, nullptr, 0};
    searchDialogs(search);
    return search.count;
}

// Whether the test runs under Wine rather than Windows, for the checks of
// behaviour in which the two differ.
inline bool onWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine starts the desktop process of a prefix when a program first needs a
// window, which can take seconds (ten, when the RPC service is not up).
// Asking for it before timing the programs one starts keeps that out of
// their time; it stays up while this process runs.
inline void startDesktop() {
    GetDesktopWindow();
}

// Xvfb runs no window manager, and Wine waits two seconds for one whenever
// it hides a managed window, as when a dialog ends. While this object lives,
// the programs that the test starts make unmanaged windows, which Windows
// knows nothing of; the earlier setting is restored at the end.
class UnmanagedWindows {
  public:
    UnmanagedWindows() {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return;
        }
        key_.reset(key);
        DWORD size = sizeof earlier_;
        hadValue_ = RegQueryValueExA(key, "Managed", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(earlier_), &size) == ERROR_SUCCESS;
        RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    }
    ~UnmanagedWindows() {
        if (!key_) {
            return;
        }
        if (hadValue_) {
            RegSetValueExA(key_.get(), "Managed", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(earlier_),
                           static_cast<DWORD>(lstrlenA(earlier_) + 1));
        } else {
            RegDeleteValueA(key_.get(), "Managed");
        }
    }
    UnmanagedWindows(const UnmanagedWindows&) = delete;
    UnmanagedWindows& operator=(const UnmanagedWindows&) = delete;

  private:
    static constexpr const char* kKey = "Software\\Wine\\X11 Driver";
    UniqueKey key_;
    char earlier_[64] = "";
    bool hadValue_ = false;
};

inline std::wstring windowText(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

// Where a window lies in the client coordinates of another, usually its
// parent.
inline RECT rectInClient(HWND window, HWND reference) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Types a key into window's thread: posts its press and release to the
// control that has the keyboard focus there, or to window when none has,
// where the system would deliver them. Unlike SendInput it needs no
// foreground window, which Wine without a window manager may not keep.
inline void pressKey(HWND window, WORD key) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) &&
        thread.hwndFocus != nullptr) {
        target = thread.hwndFocus;
    }
    const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYDOWN, key, scanCode | 1);
    PostMessageA(target, WM_KEYUP, key, scanCode | 1 | (LPARAM{3} << 30));
}

inline bool writeFile(const std::string& path, const std::string& content) {
    const UniqueHandle file = fileHandle(CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) &&
           written == content.size();
}

// The whole content of a file, or false when it cannot be opened.
inline bool readFile(const std::string& path, std::string& content) {
    content.clear();
    const UniqueHandle file =
        fileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read != 0) {
        content.append(buffer, read);
    }
    return true;
}

// A new empty directory under the temporary one, removed together with the
// files in it when it goes out of scope.
class TempDirectory {
  public:
    explicit TempDirectory(const char* prefix) {
        static unsigned counter = 0;
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        do {
            path_ = std::string(temp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(++counter);
        } while (!CreateDirectoryA(path_.c_str(), nullptr) &&
                 GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~TempDirectory() {
        WIN32_FIND_DATAA entry;
        if (const UniqueFind search = findHandle(FindFirstFileA((path_ + "\\*").c_str(), &entry))) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    DeleteFileA(file(entry.cFileName).c_str());
                }
            } while (FindNextFileA(search.get(), &entry));
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// A started process and every process it starts in turn, held in a job:
// tells how many there were and when all have ended, and ends those still
// running when it goes out of scope.
class ProcessGroup {
  public:
    ProcessGroup() : job_(CreateJobObjectA(nullptr, nullptr)) {}
    ~ProcessGroup() {
        if (job_) {
            TerminateJobObject(job_.get(), 99);
        }
    }
    ProcessGroup(const ProcessGroup&) = delete;
    ProcessGroup& operator=(const ProcessGroup&) = delete;

    // Only what the process starts after this call joins the group.
    bool add(const Process& process) {
        return job_ && AssignProcessToJobObject(job_.get(), process.handle());
    }

    // How many processes the group has had, 0 when that cannot be told.
    DWORD everStarted() const {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
        return accounting(info) ? info.TotalProcesses : 0;
    }

    // Whether all have ended within the time.
    bool waitForAll(DWORD milliseconds = 20000) const {
        const DWORD startTime = GetTickCount();
        for (;;) {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
            if (accounting(info) && info.ActiveProcesses == 0) {
                return true;
            }
            if (GetTickCount() - startTime > patience(milliseconds)) {
                return false;
            }
            Sleep(10);
        }
    }

  private:
    bool accounting(JOBOBJECT_BASIC_ACCOUNTING_INFORMATION& info) const {
        info = {};
        return job_ && QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation,
                                                 &info, sizeof info, nullptr);
    }

    UniqueHandle job_;
};

} // namespace winetest

#define ok(condition, ...) winetest::report(__FILE__, __LINE__, (condition), __VA_ARGS__)

// A set-up step that must succeed; when it does not, the report names it as
// a fault of the set-up, not of the behaviour checked after it.
#define SETUP(call) ok((call), "set-up failed: %s", #call)
