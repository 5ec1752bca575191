// The fallback places as this machine has them: the registry in the 64-bit
// view, the environment and the file system, each read into a bounded
// buffer. What they give is judged by runtime_choice.cpp.
#include "runtime_choice.h"

#include <windows.h>

#include "common/files_win.h"
#include "common/path_rules.h"
#include "common/unique_handle_win.h"
#include "java_home.h"

namespace {

// Always the 64-bit view: a 32-bit runtime registered under WOW6432Node
// cannot load into this process.
constexpr REGSAM kView = KEY_WOW64_64KEY;
// The longest key name the registry takes is 255 characters.
constexpr DWORD kKeyNameSize = 256;

HKEY rootKey(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Reads the text value name of key, or of its subkey path when that is not
// empty, whole: a value that does not fit, or one of another type, gives a
// status and no text.
LONG readText(HKEY key, const std::string& path, const char* name, std::string& text) {
    UniqueKey opened;
    if (!path.empty()) {
        HKEY raw = nullptr;
        const LONG status = RegOpenKeyExA(key, path.c_str(), 0, KEY_QUERY_VALUE | kView, &raw);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        opened.reset(raw);
        key = raw;
    }
    char value[kRegistryTextSize];
    DWORD type = REG_NONE;
    DWORD size = sizeof value;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return ERROR_DATATYPE_MISMATCH;
    }
    if (!terminateRegistryText(value, size, sizeof value)) {
        return ERROR_MORE_DATA;
    }
    if (type == REG_SZ) {
        text = value;
        return ERROR_SUCCESS;
    }
    char expanded[kRegistryTextSize];
    const DWORD length = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) {
        return length == 0 ? static_cast<LONG>(GetLastError()) : ERROR_MORE_DATA;
    }
    text = expanded;
    return ERROR_SUCCESS;
}

// The JAVA_VERSION of folder's release file, or empty. The text is kept
// where folder is the candidate's home: should that runtime be chosen, its
// release file is not read again.
std::string releaseVersionIn(const std::string& folder, RuntimeCandidate& c) {
    std::string text = releaseTextIn(folder);
    std::string version = releaseVersion(text);
    if (folder == c.home) {
        c.release = std::move(text);
        c.releaseRead = true;
    }
    return version;
}

// Reads a subkey's value into its candidate: its home, and where its name
// holds no version, the version of the release file in the value's folder.
void readValue(HKEY placeKey, RuntimeCandidate& c) {
    const FallbackPlace& place = kFallbackPlaces[c.place];
    std::string valueKey = c.subkey;
    if (*place.valuePath != '\0') {
        valueKey += '\\';
        valueKey += place.valuePath;
    }
    std::string value;
    c.read = true;
    c.status = readText(placeKey, valueKey, place.valueName, value);
    if (c.status != ERROR_SUCCESS) {
        return;
    }
    c.home = runtimeHome(value, place.jreOnly);
    if (!parseJavaVersion(c.version).known) {
        c.version = releaseVersionIn(runtimeHome(value, false), c);
    }
}

// Lists the subkeys of a fallback place, keeping the place's key open in
// key for reading them later. A subkey named for a version is read only
// when its turn comes: most machines that keep many have them all named so,
// and the newest usually holds its library.
void listPlace(RegistryRoot root, int32_t index, UniqueKey& key,
               std::vector<RuntimeCandidate>& candidates) {
    const FallbackPlace& place = kFallbackPlaces[index];
    const auto listed = [&](LONG status) -> RuntimeCandidate& {
        RuntimeCandidate& c = candidates.emplace_back();
        c.source = RuntimeSource::Registry;
        c.root = root;
        c.place = index;
        c.status = status;
        c.alsoJre = !place.jreOnly;
        return c;
    };
    HKEY raw = nullptr;
    const LONG opened = RegOpenKeyExA(rootKey(root), place.keyName, 0,
                                      KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | kView, &raw);
    if (opened != ERROR_SUCCESS) {
        listed(opened);
        return;
    }
    key.reset(raw);
    std::string currentVersion;
    const bool hasCurrent = place.shape == PlaceShape::CurrentOrEach &&
                            readText(raw, "", "CurrentVersion", currentVersion) == ERROR_SUCCESS;
    for (DWORD i = 0; i < kMaxSubkeys; ++i) {
        char name[kKeyNameSize];
        DWORD length = kKeyNameSize;
        const LONG status =
            RegEnumKeyExA(raw, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        RuntimeCandidate& c = listed(status);
        if (status != ERROR_SUCCESS) {
            // A name that does not fit is passed over; any other failure
            // ends the list.
            if (status == ERROR_MORE_DATA) {
                continue;
            }
            break;
        }
        c.subkey.assign(name, length);
        c.version = c.subkey;
        c.current = hasCurrent && sameKeyName(c.subkey, currentVersion);
        c.read = false;
        if (!parseJavaVersion(c.subkey).known) {
            readValue(raw, c);
        }
    }
}

// JAVA_HOME, as a developer sets it.
void listJavaHome(std::vector<RuntimeCandidate>& candidates) {
    RuntimeCandidate& c = candidates.emplace_back();
    c.source = RuntimeSource::JavaHome;
    c.alsoJre = true;
    char value[kRegistryTextSize];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(kJavaHomeVariable, value, sizeof value);
    if (length >= sizeof value) {
        c.status = ERROR_MORE_DATA;
    } else if (length == 0) {
        c.status = static_cast<long>(GetLastError());
    } else {
        c.home = runtimeHome(std::string_view(value, length), false);
        c.version = releaseVersionIn(c.home, c);
    }
}

// Looks at the library places of the candidate's home and, where it may be
// a Java 8 JDK whose own places are empty, of its jre folder, which then
// becomes the home.
void checkLibraries(RuntimeCandidate& c) {
    c.checked = true;
    c.libraries = libraryFilesIn(c.home);
    if (c.libraries == 0 && c.alsoJre) {
        const std::string jre = runtimeHome(c.home, true);
        c.libraries = libraryFilesIn(jre);
        if (c.libraries != 0) {
            c.home = jre;
            c.release.clear(); // the folder's, not this home's
            c.releaseRead = false;
        }
    }
}

} // namespace

unsigned libraryFilesIn(const std::string& home) {
    // One look at the folder spares three where it is gone, as an
    // uninstalled runtime's often is.
    const DWORD folder = GetFileAttributesA(home.c_str());
    if (folder == INVALID_FILE_ATTRIBUTES || (folder & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return 0;
    }
    unsigned files = 0;
    for (std::size_t i = 0; i < kLibraryPlaceCount; ++i) {
        files |= isFile((home + kLibraryFiles[i]).c_str()) ? 1U << i : 0;
    }
    return files;
}

RuntimeCandidate shippedRuntime(const std::string& executableFolder) {
    RuntimeCandidate c;
    c.source = RuntimeSource::Shipped;
    if (executableFolder.empty()) {
        // No folder that the code page can name: a stand-in would name
        // another.
        c.status = ERROR_BAD_PATHNAME;
        return c;
    }
    c.home = joinPath(executableFolder, kShippedRuntimeFolder);
    c.checked = true;
    c.libraries = libraryFilesIn(c.home);
    if (c.libraries != 0) {
        c.version = releaseVersionIn(c.home, c);
    }
    return c;
}

std::size_t findFallbackRuntime(std::vector<RuntimeCandidate>& candidates) {
    constexpr RegistryRoot kRoots[] = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser};
    UniqueKey placeKeys[2][kFallbackPlaceCount];
    for (std::size_t r = 0; r < 2; ++r) {
        for (std::size_t i = 0; i < kFallbackPlaceCount; ++i) {
            listPlace(kRoots[r], static_cast<int32_t>(i), placeKeys[r][i], candidates);
        }
    }
    listJavaHome(candidates);
    // Only as far as the first that holds a library: the rest cannot win.
    for (const std::size_t i : preferenceOrder(candidates)) {
        RuntimeCandidate& c = candidates[i];
        if (!c.read) {
            const std::size_t r = c.root == RegistryRoot::CurrentUser ? 1 : 0;
            readValue(placeKeys[r][c.place].get(), c);
            if (c.status != ERROR_SUCCESS || !isAbsoluteHome(c.home)) {
                continue;
            }
        }
        if (!c.checked) {
            checkLibraries(c);
        }
        if (c.libraries != 0) {
            break;
        }
    }
    return chooseRuntime(candidates);
}

std::string releaseTextIn(const std::string& folder) {
    char text[kReleaseReadSize];
    // An installer may hold it open: what it holds is still the version.
    return std::string(
        readHead(joinPath(folder, kReleaseFile).c_str(), text, sizeof text, WhileWritten::Read));
}
