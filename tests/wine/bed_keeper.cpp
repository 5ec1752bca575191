// Keeps the test bed's desktop up for the whole run. Wine ends a prefix's
// desktop process when its last program ends and starts it again with the
// next window, which can take ten seconds; this program holds it meanwhile.
//
// Started with "hung", it is instead a first instance that has hung for a
// minute: it holds the instance mutex and the messaging pipe, which takes a
// later start's call and never answers it.
#include <windows.h>

#include <cstring>

#include "app/launch_settings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const bool hung = std::strcmp(commandLine, "hung") == 0;
    if (!hung) {
        GetDesktopWindow();
    } else if (CreateMutexA(nullptr, FALSE, kInstanceMutexName) == nullptr ||
               CreateNamedPipeA("\\\\.\\pipe\\quennRemoteCalls", PIPE_ACCESS_DUPLEX,
                                PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 4096, 4096, 0,
                                nullptr) == INVALID_HANDLE_VALUE) {
        return 1;
    }
    Sleep(hung ? 60000 : INFINITE);
    return 0;
}
