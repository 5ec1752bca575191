// Floor (b) of the benchmarks: a program that does nothing but the
// launcher's own hand-over call, so that its time is that of a process and
// one call to the first instance. Its command line after the program name is
// the joined text that the launcher would send ("a|b|"), which goes over as
// the launcher sends it, as UTF-16.
#include <windows.h>

#include "rpc/remote_calls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR text, int) {
    wchar_t wide[8192] = L"";
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 8192);
    return sendToFirstInstance(reinterpret_cast<const char16_t*>(wide), text);
}
