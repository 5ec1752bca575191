// Floor (b) of the benchmarks: a program that does nothing but the
// launcher's own hand-over call, so that its time is that of a process and
// one call to the first instance. Its command line after the program name is
// the joined text that the launcher would send ("a|b|").
#include <windows.h>

#include "launcher/rpc/remote_calls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR text, int) {
    return sendToFirstInstance(text);
}
