// Keeps the test bed's desktop up for the whole run. Wine ends a prefix's
// desktop process when its last program ends and starts it again with the
// next window, which can take ten seconds; this program holds it meanwhile.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
