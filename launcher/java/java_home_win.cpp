#include "java_home.h"

#include <windows.h>

#include <memory>

#include "prompt/java_prompt.h"

namespace {

struct KeyCloser {
    using pointer = HKEY;
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<HKEY, KeyCloser>;

// Reads one text value of a key under HKEY_LOCAL_MACHINE (in this 64-bit
// process's own registry view), closing the key right after. The value's
// type is not looked at.
LONG readMachineText(const char* keyName, const char* valueName, char (&text)[kRegistryTextSize],
                     bool& opened) {
    HKEY raw = nullptr;
    LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, keyName, &raw);
    opened = status == ERROR_SUCCESS;
    if (!opened) {
        return status;
    }
    RegistryKey key(raw);
    DWORD size = sizeof text;
    status = RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(text), &size);
    if (status == ERROR_SUCCESS && !terminateRegistryText(text, size, sizeof text)) {
        status = ERROR_MORE_DATA;
    }
    return status;
}

// No runtime is registered: say so, then report the status.
int32_t noRuntime(char (&home)[kRegistryTextSize], LONG status) {
    home[0] = '\0';
    showJavaPrompt(javaPromptInfo);
    return status;
}

} // namespace

int32_t findJavaHome(char (&home)[kRegistryTextSize]) {
    char version[kRegistryTextSize] = "";
    bool opened = false;
    LONG status = readMachineText("SOFTWARE\\JavaSoft\\Java Runtime Environment", "CurrentVersion",
                                  version, opened);
    // An unreadable version names no key worth opening.
    if (status != ERROR_SUCCESS) {
        return noRuntime(home, status);
    }

    char javaHome[kRegistryTextSize] = "";
    status = readMachineText(versionedKeyName(version).c_str(), "JavaHome", javaHome, opened);
    if (!opened) {
        return noRuntime(home, status);
    }
    if (status != ERROR_SUCCESS) {
        home[0] = '\0';
        return status;
    }

    lstrcpynA(home, javaHome, sizeof home);
    if (replacesSearchPath(version)) {
        // Replaced, not extended: the process and everything it starts
        // search the runtime's bin directory alone.
        const std::string bin = std::string(javaHome) + "\\bin";
        SetEnvironmentVariableA("path", bin.c_str());
    }
    return 0;
}
