#include "java_home.h"

#include <windows.h>

#include "common/unique_handle_win.h"

namespace {

JavaHomeLookup stopped(JavaOutcome outcome, LONG status) {
    JavaHomeLookup lookup;
    lookup.outcome = outcome;
    lookup.status = status;
    return lookup;
}

} // namespace

long readMachineText(const char* keyName, const char* valueName, char* text, std::size_t capacity,
                     bool& opened) {
    HKEY raw = nullptr;
    LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, keyName, &raw);
    opened = status == ERROR_SUCCESS;
    if (!opened) {
        return status;
    }
    const UniqueKey key(raw);
    DWORD size = static_cast<DWORD>(capacity);
    status = RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                              &size);
    if (status == ERROR_SUCCESS && !terminateRegistryText(text, size, capacity)) {
        status = ERROR_MORE_DATA;
    }
    return status;
}

JavaHomeLookup findJavaHome() {
    char version[kRegistryTextSize] = "";
    bool opened = false;
    LONG status =
        readMachineText(kRuntimeKeyName, "CurrentVersion", version, sizeof version, opened);
    if (!opened) {
        return stopped(JavaOutcome::NoRuntimeKey, status);
    }
    // An unreadable version names no key worth opening.
    if (status != ERROR_SUCCESS) {
        return stopped(JavaOutcome::NoCurrentVersion, status);
    }

    char javaHome[kRegistryTextSize] = "";
    status = readMachineText(versionedKeyName(version).c_str(), "JavaHome", javaHome,
                             sizeof javaHome, opened);
    if (!opened) {
        return stopped(JavaOutcome::NoVersionedKey, status);
    }
    if (status != ERROR_SUCCESS) {
        return stopped(JavaOutcome::NoJavaHome, status);
    }
    JavaHomeLookup found;
    found.outcome = JavaOutcome::HomeFound;
    found.home = javaHome;
    found.version = version;
    return found;
}

void useJavaHome(const JavaHomeLookup& found) {
    if (replacesSearchPath(found.version.c_str())) {
        // Replaced, not extended: the process and everything it starts
        // search the runtime's bin directory alone.
        SetEnvironmentVariableA("path", (found.home + "\\bin").c_str());
    }
}
