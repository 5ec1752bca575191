// The fallback places as this machine has them: the registry in the 64-bit
// view, the environment and the file system, each read into a bounded
// buffer. What they give is judged by runtime_choice.cpp.
#include "runtime_choice.h"

#include <windows.h>

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

// The JAVA_VERSION of folder's release file, or empty.
std::string releaseVersionIn(const std::string& folder) {
    const UniqueHandle file =
        fileHandle(CreateFileA((folder + "\\" + kReleaseFile).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char text[kReleaseReadSize];
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), text, sizeof text, &read, nullptr)) {
        return {};
    }
    return releaseVersion(std::string_view(text, read));
}

// The version that names a runtime: the key name's, or where that holds
// none, the one in the release file of the folder that the value names.
std::string versionOf(const std::string& keyName, const std::string& value) {
    if (parseJavaVersion(keyName).known) {
        return keyName;
    }
    return releaseVersionIn(runtimeHome(value, false));
}

void listPlace(RegistryRoot root, int32_t index, std::vector<RuntimeCandidate>& candidates) {
    const FallbackPlace& place = kFallbackPlaces[index];
    RuntimeCandidate base;
    base.source = RuntimeSource::Registry;
    base.root = root;
    base.place = index;
    base.where = place.keyName;
    HKEY raw = nullptr;
    base.status = RegOpenKeyExA(rootKey(root), place.keyName, 0,
                                KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | kView, &raw);
    if (base.status != ERROR_SUCCESS) {
        candidates.push_back(base);
        return;
    }
    const UniqueKey key(raw);
    std::string currentVersion;
    const bool hasCurrent =
        place.shape == PlaceShape::CurrentOrEach &&
        readText(key.get(), "", "CurrentVersion", currentVersion) == ERROR_SUCCESS;
    for (DWORD i = 0; i < kMaxSubkeys; ++i) {
        char name[kKeyNameSize];
        DWORD length = kKeyNameSize;
        RuntimeCandidate c = base;
        c.status = RegEnumKeyExA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (c.status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (c.status != ERROR_SUCCESS) {
            candidates.push_back(std::move(c));
            // A name that does not fit is passed over; any other failure
            // ends the list.
            if (candidates.back().status == ERROR_MORE_DATA) {
                continue;
            }
            break;
        }
        const std::string subkey(name, length);
        std::string valueKey = subkey;
        if (*place.valuePath != '\0') {
            valueKey += '\\';
            valueKey += place.valuePath;
        }
        c.where += '\\';
        c.where += valueKey;
        c.current = hasCurrent && sameKeyName(subkey, currentVersion);
        std::string value;
        c.status = readText(key.get(), valueKey, place.valueName, value);
        if (c.status != ERROR_SUCCESS) {
            candidates.push_back(std::move(c));
            continue;
        }
        c.version = versionOf(subkey, value);
        for (std::string& home : runtimeHomes(value, place.jreOnly)) {
            candidates.push_back(c);
            candidates.back().home = std::move(home);
        }
    }
}

// JAVA_HOME, as a developer sets it.
void listJavaHome(std::vector<RuntimeCandidate>& candidates) {
    RuntimeCandidate c;
    c.source = RuntimeSource::JavaHome;
    c.where = kJavaHomeVariable;
    char value[kRegistryTextSize];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableA(kJavaHomeVariable, value, sizeof value);
    if (length >= sizeof value) {
        c.status = ERROR_MORE_DATA;
    } else if (length == 0) {
        c.status = static_cast<long>(GetLastError());
    }
    if (c.status != ERROR_SUCCESS) {
        candidates.push_back(std::move(c));
        return;
    }
    const std::string text(value, length);
    c.version = releaseVersionIn(runtimeHome(text, false));
    for (std::string& home : runtimeHomes(text, false)) {
        candidates.push_back(c);
        candidates.back().home = std::move(home);
    }
}

} // namespace

unsigned libraryFilesIn(const std::string& home) {
    unsigned files = 0;
    for (std::size_t i = 0; i < kLibraryPlaceCount; ++i) {
        const DWORD attributes = GetFileAttributesA((home + kLibraryFiles[i]).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            files |= 1U << i;
        }
    }
    return files;
}

RuntimeCandidate shippedRuntime() {
    RuntimeCandidate c;
    c.source = RuntimeSource::Shipped;
    char path[kRegistryTextSize];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        // A cut path would name another folder.
        c.status = length == 0 ? static_cast<long>(GetLastError()) : ERROR_INSUFFICIENT_BUFFER;
        return c;
    }
    const std::string executable(path, length);
    const std::size_t slash = executable.find_last_of('\\');
    if (slash == std::string::npos) {
        c.status = ERROR_BAD_PATHNAME;
        return c;
    }
    c.home = executable.substr(0, slash + 1) + kShippedRuntimeFolder;
    c.where = c.home;
    c.checked = true;
    // One look at the folder spares the three at its library places on
    // every start of an application that ships none.
    const DWORD attributes = GetFileAttributesA(c.home.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        c.libraries = libraryFilesIn(c.home);
    }
    if (c.libraries != 0) {
        c.version = releaseVersionIn(c.home);
    }
    return c;
}

void listFallbackRuntimes(std::vector<RuntimeCandidate>& candidates) {
    for (const RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
        for (std::size_t i = 0; i < kFallbackPlaceCount; ++i) {
            listPlace(root, static_cast<int32_t>(i), candidates);
        }
    }
    listJavaHome(candidates);
}

std::size_t chooseFallbackRuntime(std::vector<RuntimeCandidate>& candidates) {
    // Only as far as the first that holds a library: the rest cannot win.
    for (const std::size_t i : preferenceOrder(candidates)) {
        RuntimeCandidate& c = candidates[i];
        if (!c.checked) {
            c.libraries = libraryFilesIn(c.home);
            c.checked = true;
        }
        if (c.libraries != 0) {
            break;
        }
    }
    return chooseRuntime(candidates);
}
