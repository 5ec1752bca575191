// The idle benchmark's control: a program that blocks from its start, whose
// CPU time over the same span is what measuring alone shows.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(INFINITE);
    return 0;
}
