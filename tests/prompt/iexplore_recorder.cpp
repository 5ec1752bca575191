// Stands in for the browser that the missing-Java dialog starts: appends its
// command line, exactly as it arrived, as one line to the file that the
// environment variable PELLIX_IEXPLORE_LOG names, and ends. Without the
// variable it records nothing, so a stray start cannot write anywhere.
#include <windows.h>

#include "common/unique_handle_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char logPath[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("PELLIX_IEXPLORE_LOG", logPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 2;
    }
    const UniqueHandle log =
        fileHandle(CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) {
        return 3;
    }
    // One write per start: appends from two starts cannot interleave.
    const char* commandLine = GetCommandLineA();
    const int commandLength = lstrlenA(commandLine);
    char* line = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, commandLength + 1));
    DWORD written = 0;
    BOOL wrote = FALSE;
    if (line != nullptr) {
        CopyMemory(line, commandLine, commandLength);
        line[commandLength] = '\n';
        wrote = WriteFile(log.get(), line, commandLength + 1, &written, nullptr);
        HeapFree(GetProcessHeap(), 0, line);
    }
    return wrote ? 0 : 4;
}
