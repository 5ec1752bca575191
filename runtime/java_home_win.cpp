#include "java_home.h"

#include <windows.h>

#include "common/unique_handle_win.h"

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

// Where the classic key's reading stopped, and the failed call's status.
void stopped(JavaHomeLookup& found, JavaOutcome outcome, LONG status) {
    found.outcome = outcome;
    found.status = status;
}

// The current runtime of the classic key, read exactly as it always was.
void readClassicKey(JavaHomeLookup& found) {
    char version[kRegistryTextSize] = "";
    bool opened = false;
    LONG status =
        readMachineText(kRuntimeKeyName, "CurrentVersion", version, sizeof version, opened);
    if (!opened) {
        stopped(found, JavaOutcome::NoRuntimeKey, status);
        return;
    }
    // An unreadable version names no key worth opening.
    if (status != ERROR_SUCCESS) {
        stopped(found, JavaOutcome::NoCurrentVersion, status);
        return;
    }
    found.runtime.version = version;

    char javaHome[kRegistryTextSize] = "";
    status = readMachineText(versionedKeyName(version).c_str(), "JavaHome", javaHome,
                             sizeof javaHome, opened);
    if (!opened) {
        stopped(found, JavaOutcome::NoVersionedKey, status);
        return;
    }
    if (status != ERROR_SUCCESS) {
        stopped(found, JavaOutcome::NoJavaHome, status);
        return;
    }
    found.outcome = JavaOutcome::HomeFound;
    found.status = ERROR_SUCCESS;
    found.runtime.home = javaHome;
}

void choose(JavaHomeLookup& found, std::size_t chosen) {
    RuntimeCandidate& c = found.tried[chosen];
    found.outcome = JavaOutcome::HomeFound;
    found.status = ERROR_SUCCESS;
    found.chosen = chosen;
    JavaRuntime& runtime = found.runtime;
    runtime.home = c.home;
    runtime.version = c.version;
    runtime.source = c.source;
    runtime.openJ9Place = c.source == RuntimeSource::Registry && kFallbackPlaces[c.place].openJ9;
    if (c.releaseRead) {
        runtime.release = std::move(c.release);
    }
}

} // namespace

JavaHomeLookup findJavaHome(const std::string& executableFolder) {
    JavaHomeLookup found;
    found.tried.push_back(shippedRuntime(executableFolder));
    // The packager's explicit choice comes before anything installed.
    if (found.tried.back().libraries != 0) {
        choose(found, 0);
    } else {
        readClassicKey(found);
        const std::size_t classic = found.tried.size();
        RuntimeCandidate& record = found.tried.emplace_back();
        record.source = RuntimeSource::Classic;
        record.root = RegistryRoot::LocalMachine;
        record.status = found.status;
        record.home = found.runtime.home;
        record.version = found.runtime.version;
        if (found.outcome == JavaOutcome::HomeFound) {
            record.libraries = libraryFilesIn(found.runtime.home);
            record.checked = true;
            found.chosen = classic;
        }
        if (fallsBack(found.outcome, record.libraries)) {
            const std::size_t chosen = findFallbackRuntime(found.tried);
            if (chosen != kNoCandidate) {
                choose(found, chosen);
            }
        }
        // Where nothing else gives a runtime, the classic key's reading goes
        // on as it always did, a home without a library included.
    }
    const std::size_t chosen = found.chosen;
    if (found.outcome == JavaOutcome::HomeFound &&
        (chosen >= found.tried.size() || !found.tried[chosen].releaseRead)) {
        found.runtime.release = releaseTextIn(found.runtime.home);
    }
    found.runtime.releaseVersion = releaseVersion(found.runtime.release);
    return found;
}

void useJavaHome(const JavaRuntime& runtime) {
    if (replacesSearchPathFor(runtime.source, runtime.version)) {
        // Replaced, not extended: the process and everything it starts
        // search the runtime's bin directory alone.
        SetEnvironmentVariableA("path", (runtime.home + "\\bin").c_str());
    }
}
