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

// No runtime is registered: say so, then report the status.
int32_t noRuntime(char (&home)[kRegistryTextSize], LONG status) {
    home[0] = '\0';
    showJavaPrompt(javaPromptInfo);
    return status;
}

} // namespace

long readMachineText(const char* keyName, const char* valueName, char* text,
                     std::size_t capacity, bool& opened) {
    HKEY raw = nullptr;
    LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, keyName, &raw);
    opened = status == ERROR_SUCCESS;
    if (!opened) {
        return status;
    }
    RegistryKey key(raw);
    DWORD size = static_cast<DWORD>(capacity);
    status = RegQueryValueExA(key.get(), valueName, nullptr, nullptr,
                              reinterpret_cast<BYTE*>(text), &size);
    if (status == ERROR_SUCCESS && !terminateRegistryText(text, size, capacity)) {
        status = ERROR_MORE_DATA;
    }
    return status;
}

int32_t findJavaHome(char (&home)[kRegistryTextSize]) {
    char version[kRegistryTextSize] = "";
    bool opened = false;
    LONG status =
        readMachineText(kRuntimeKeyName, "CurrentVersion", version, sizeof version, opened);
    // An unreadable version names no key worth opening.
    if (status != ERROR_SUCCESS) {
        return noRuntime(home, status);
    }

    char javaHome[kRegistryTextSize] = "";
    status = readMachineText(versionedKeyName(version).c_str(), "JavaHome", javaHome,
                             sizeof javaHome, opened);
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
