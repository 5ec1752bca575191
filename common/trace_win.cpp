// The trace file: opened once, shared with every other process of the
// launcher that writes to it, and deliberately never closed.
#include "trace_win.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "text_win.h"

#ifndef PELLIX_NO_TRACE
namespace {

HANDLE traceFile = nullptr;
SRWLOCK traceLock = SRWLOCK_INIT;
LARGE_INTEGER counterAtStart = {};
LARGE_INTEGER counterFrequency = {};
ULONGLONG msAtStart = 0;

// Every writer locks this one byte, far beyond any end of the file, for the
// span of its write: an append is not atomic across processes everywhere
// (Wine interleaves them), and the lock makes each line whole.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

ULONGLONG msSinceStart() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return msAtStart + static_cast<ULONGLONG>((now.QuadPart - counterAtStart.QuadPart) * 1000 /
                                              counterFrequency.QuadPart);
}

void writeLine(std::string_view text) {
    // The C runtime's _snprintf: MinGW's snprintf brings a printf of its own.
    char prefix[64];
    const int length =
        _snprintf(prefix, sizeof prefix, "%lu %lu %lu ", static_cast<unsigned long>(msSinceStart()),
                  static_cast<unsigned long>(GetCurrentProcessId()),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    std::string line;
    try {
        line.reserve(static_cast<std::size_t>(length) + text.size() + 2);
        line.append(prefix, static_cast<std::size_t>(length > 0 ? length : 0));
        line.append(text);
        line.append("\r\n");
    } catch (...) {
        return;
    }
    AcquireSRWLockExclusive(&traceLock);
    OVERLAPPED lockRange = {};
    lockRange.OffsetHigh = kLockOffsetHigh;
    if (LockFileEx(traceFile, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockRange)) {
        LARGE_INTEGER end = {};
        DWORD written = 0;
        if (SetFilePointerEx(traceFile, end, nullptr, FILE_END)) {
            WriteFile(traceFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
        UnlockFileEx(traceFile, 0, 1, 0, &lockRange);
    }
    ReleaseSRWLockExclusive(&traceLock);
}

// How long the process had run when the trace began: the lines count from
// the process's start, not from the first line.
ULONGLONG msSinceProcessStart() {
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    FILETIME now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return ticks(now) > ticks(created) ? (ticks(now) - ticks(created)) / 10000 : 0;
}

} // namespace
#endif

void startTrace() {
#ifndef PELLIX_NO_TRACE
    wchar_t path[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableW(L"PELLIX_TRACE", path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4) {
        return; // unset, empty, or no path that any file could have
    }
    // Shared for reading, writing and deletion: later starts write to the
    // same file while the first instance holds it, and a support desk may
    // read or remove it meanwhile. A path that cannot be opened leaves the
    // trace off; the launch never depends on it.
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    traceFile = file;
    QueryPerformanceFrequency(&counterFrequency);
    QueryPerformanceCounter(&counterAtStart);
    msAtStart = msSinceProcessStart();
    setTraceSink(writeLine);
#endif
}

std::string traceUtf8(const wchar_t* text) {
    std::string out;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return out;
    }
    out.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.pop_back();
    return out;
}

std::string traceUtf8(const char* systemText) {
    return traceUtf8(fromCodePage(systemText));
}

std::string traceUtf8(const std::u16string& text) {
    return traceUtf8(reinterpret_cast<const wchar_t*>(text.c_str()));
}
