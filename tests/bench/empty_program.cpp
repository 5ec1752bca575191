// Floor (a) of the benchmarks: a 64-bit GUI program that does nothing, built
// as Pellix2.exe is, so that its start and end are what any program costs.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
