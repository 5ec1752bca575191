#include "arguments.h"

#include <windows.h>

void parseCommandLine(ArgList& args) {
    splitCommandLine(GetCommandLineA(), args);
}
