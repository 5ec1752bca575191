// Floors (c) and (d) of the benchmarks: what every start of Pellix2.exe does
// before it can tell whether it is the first instance, with the same imports
// and manifest: the common controls (version 6, by the manifest) and the
// foreground grant through user32. (d) then makes the bare hand-over call,
// with the joined text as its command line after the program name.
#include <windows.h>
#include <commctrl.h>
#include <rpc.h>

#ifdef BENCH_SEND
#include "rpc/remote_calls.h"
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR text, int) {
    InitCommonControls();
    if (HMODULE user32 = LoadLibraryA("user32.dll")) {
        using AllowFn = BOOL(WINAPI*)(DWORD);
        auto allow = reinterpret_cast<AllowFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "AllowSetForegroundWindow")));
        if (allow != nullptr) {
            allow(ASFW_ANY);
        }
        FreeLibrary(user32);
    }
    // Never taken: it makes the program import what Pellix2.exe imports,
    // since loading those libraries is part of every start.
    if (text[0] == '\x01') {
        MessageBoxA(nullptr, text, text, MB_OK);
        DeleteObject(GetStockObject(DEFAULT_GUI_FONT));
        RegCloseKey(HKEY_CURRENT_USER);
        RpcStringFreeA(nullptr);
    }
#ifdef BENCH_SEND
    wchar_t wide[8192] = L"";
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 8192);
    return sendToFirstInstance(reinterpret_cast<const char16_t*>(wide), text);
#else
    // For the idle and memory controls: stays, blocked, after the prologue.
    if (lstrcmpA(text, "--stay") == 0) {
        Sleep(INFINITE);
    }
    return 0;
#endif
}
