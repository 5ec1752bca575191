// A small harness for Win32 tests that run under Wine, in the manner of
// Wine's own conformance tests: one ok() per behaviour, the caller's line in
// every report, the number of failures as the exit code.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace winetest {

inline int failures = 0;
inline int successes = 0;
inline const char* group = "";

inline bool report(const char* file, int line, bool passed, const char* format, ...) {
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

// A started process; closes its handles when done.
struct Process {
    PROCESS_INFORMATION info = {};
    bool started = false;

    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (started) {
            CloseHandle(info.hThread);
            CloseHandle(info.hProcess);
        }
    }

    // Exit code, or STILL_ACTIVE when it does not end within the time.
    DWORD wait(DWORD milliseconds = 20000) const {
        if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0) {
            return STILL_ACTIVE;
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }

    void kill() const { TerminateProcess(info.hProcess, 99); }
};

// Starts commandLine (program name included, as it should reach the
// program) in directory, with the test's own environment.
inline bool start(Process& process, const std::string& commandLine, const std::string& directory,
                  HANDLE standardOutput = nullptr) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (standardOutput != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = standardOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    process.started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, standardOutput != nullptr,
                                     0, nullptr, directory.empty() ? nullptr : directory.c_str(),
                                     &startup, &process.info) != FALSE;
    return process.started;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

// The dialog box (class #32770) that a process shows, waiting for it to
// appear for up to the given time.
inline HWND findDialog(DWORD processId, DWORD milliseconds = 20000) {
    const DWORD startTime = GetTickCount();
    for (;;) {
        WindowSearch search = {processId, nullptr};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<WindowSearch*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char className[64] = "";
                GetClassNameA(window, className, sizeof className);
                if (owner == s->processId && lstrcmpA(className, "#32770") == 0 &&
                    IsWindowVisible(window)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || GetTickCount() - startTime > milliseconds) {
            return search.found;
        }
        Sleep(20);
    }
}

inline std::wstring windowText(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

} // namespace winetest

#define ok(condition, ...) winetest::report(__FILE__, __LINE__, (condition), __VA_ARGS__)
