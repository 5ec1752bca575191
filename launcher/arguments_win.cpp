#include "arguments.h"

#include <windows.h>

void parseCommandLine(ArgList& args) {
    splitCommandLine(GetCommandLineA(), args);
}

// wchar_t is char16_t's representation on Windows.
void parseCommandLine(WideArgList& args) {
    splitCommandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()), args);
}
