#include "java_home.h"

#include <windows.h>

#include "common/unique_handle_win.h"

namespace {

JavaHomeLookup stopped(JavaOutcome outcome, LONG status, const char* version = "") {
    JavaHomeLookup lookup;
    lookup.outcome = outcome;
    lookup.status = status;
    lookup.version = version;
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

namespace {

// The current runtime of the classic key, read exactly as it always was.
JavaHomeLookup classicJavaHome() {
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
        return stopped(JavaOutcome::NoVersionedKey, status, version);
    }
    if (status != ERROR_SUCCESS) {
        return stopped(JavaOutcome::NoJavaHome, status, version);
    }
    JavaHomeLookup found;
    found.outcome = JavaOutcome::HomeFound;
    found.home = javaHome;
    found.version = version;
    return found;
}

JavaHomeLookup chosenFrom(std::vector<RuntimeCandidate> tried, std::size_t chosen) {
    JavaHomeLookup found;
    found.outcome = JavaOutcome::HomeFound;
    found.home = tried[chosen].home;
    found.version = tried[chosen].version;
    found.source = tried[chosen].source;
    found.tried = std::move(tried);
    found.chosen = chosen;
    return found;
}

} // namespace

JavaHomeLookup findJavaHome() {
    std::vector<RuntimeCandidate> tried;
    tried.push_back(shippedRuntime());
    // The packager's explicit choice comes before anything installed.
    if (tried.back().libraries != 0) {
        return chosenFrom(std::move(tried), 0);
    }

    JavaHomeLookup classic = classicJavaHome();
    RuntimeCandidate record;
    record.source = RuntimeSource::Classic;
    record.root = RegistryRoot::LocalMachine;
    record.where = kRuntimeKeyName;
    record.status = classic.status;
    record.home = classic.home;
    record.version = classic.version;
    if (classic.outcome == JavaOutcome::HomeFound) {
        record.libraries = libraryFilesIn(classic.home);
        record.checked = true;
    }
    const std::size_t classicIndex = tried.size();
    tried.push_back(std::move(record));
    if (fallsBack(classic.outcome, tried.back().libraries)) {
        const std::size_t chosen = findFallbackRuntime(tried);
        if (chosen != kNoCandidate) {
            return chosenFrom(std::move(tried), chosen);
        }
    }
    // Where nothing else gives a runtime, the classic key's reading goes on
    // as it always did, a home without a library included.
    if (classic.outcome == JavaOutcome::HomeFound) {
        classic.chosen = classicIndex;
    }
    classic.tried = std::move(tried);
    return classic;
}

void useJavaHome(const JavaHomeLookup& found) {
    if (replacesSearchPathFor(found.source, found.version)) {
        // Replaced, not extended: the process and everything it starts
        // search the runtime's bin directory alone.
        SetEnvironmentVariableA("path", (found.home + "\\bin").c_str());
    }
}
