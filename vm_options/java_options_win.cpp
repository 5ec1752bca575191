#include "java_options.h"

#include <windows.h>

#include "runtime/java_home.h"

int32_t appendExtraJars(std::string& option, int32_t mode) {
    // The folder where another product of the same maker keeps its jars.
    char directory[8096] = "";
    bool opened = false;
    const long status = readMachineText("SOFTWARE\\Norvane\\Brisca_qrt\\3.0", "Path", directory,
                                        sizeof directory, opened);
    option += extraJarEntries(status == ERROR_SUCCESS ? directory : "", mode);
    return status;
}
