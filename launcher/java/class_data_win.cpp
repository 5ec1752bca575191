// The class-data cache's files under %LOCALAPPDATA%\Tavora, and the
// background process of the runtime's java.exe that makes an archive.
#include "class_data.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "common/trace_win.h"
#include "common/unique_handle_win.h"
#include "runtime_choice.h"

namespace {

// What a start that lists keeps until the archive is made: the lock, which
// no other start can take while the list is written and the archive made,
// and where they go.
struct Making {
    UniqueHandle lock;
    std::string folder;
    std::string key;
    std::string javaProgram;
};

// Set on the main thread when this start lists; startMakingArchive hands it on.
Making* making = nullptr;

uint64_t fileTime(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether path is a file, and then its size and write time.
bool isFile(const std::string& path, uint64_t* size = nullptr, uint64_t* time = nullptr) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    if (size != nullptr) {
        *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    if (time != nullptr) {
        *time = fileTime(data.ftLastWriteTime);
    }
    return true;
}

// HotSpot makes its archives read-only, and DeleteFile refuses those.
bool removeFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != FALSE;
}

std::string readHead(const std::string& path, DWORD size) {
    const UniqueHandle file =
        fileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string text(size, '\0');
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), text.data(), size, &read, nullptr)) {
        read = 0;
    }
    text.resize(read);
    return text;
}

// %LOCALAPPDATA% in the code page, in which the runtime takes its options.
// A character that the code page lacks becomes "?", which the decision
// refuses: a best-fit stand-in would name another folder.
std::string localAppData() {
    wchar_t wide[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", wide, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    const bool utf8 = GetACP() == CP_UTF8; // which takes neither flag nor default
    char narrow[MAX_PATH * 4];
    const int size =
        WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(length),
                            narrow, sizeof narrow, utf8 ? nullptr : "?", nullptr);
    return std::string(narrow, static_cast<std::size_t>(size > 0 ? size : 0));
}

// Leaves a key's files alone while a start of that runtime holds its lock.
void removeKey(const std::string& folder, const std::string& key) {
    const std::string lock = cacheFile(folder, key, kLockSuffix);
    if (isFile(lock) && !DeleteFileA(lock.c_str())) {
        return;
    }
    for (const char* suffix :
         {kArchiveSuffix, kTemporarySuffix, kClassListSuffix, kRuntimeSuffix, kFailedSuffix}) {
        removeFile(cacheFile(folder, key, suffix));
    }
    TRACE("class-data cache: removed the files of %s", key.c_str());
}

// Removes the files of runtime builds that are gone, and of the oldest
// beyond kKeptRuntimes.
void cleanUp(const std::string& folder, const std::string& current) {
    std::vector<CacheGroup> groups;
    WIN32_FIND_DATAA found;
    const UniqueFind search =
        findHandle(FindFirstFileA((folder + "\\" + kCacheFilePrefix + "*").c_str(), &found));
    for (std::size_t seen = 0; search && seen < kCleanupFileLimit; ++seen) {
        const std::string key = keyOfFile(found.cFileName);
        if (!key.empty()) {
            auto group = std::find_if(groups.begin(), groups.end(),
                                      [&key](const CacheGroup& g) { return g.key == key; });
            if (group == groups.end()) {
                group = groups.insert(groups.end(), CacheGroup{key, false, 0});
            }
            group->lastWrite = std::max(group->lastWrite, fileTime(found.ftLastWriteTime));
        }
        if (!FindNextFileA(search.get(), &found)) {
            break;
        }
    }
    for (CacheGroup& group : groups) {
        std::string home;
        std::string version;
        std::string library;
        uint64_t size = 0;
        uint64_t time = 0;
        group.runtimeThere =
            group.key == current ||
            (readRuntimeRecord(readHead(cacheFile(folder, group.key, kRuntimeSuffix), 3 * MAX_PATH),
                               home, version, library) &&
             isFile(library, &size, &time) && cacheKey(home, version, size, time) == group.key);
    }
    for (const std::string& key : staleKeys(groups, current)) {
        removeKey(folder, key);
    }
}

// The lock of key, created and held by this process alone; the system
// deletes it once every holder has ended. Null when another start holds it.
UniqueHandle takeLock(const std::string& folder, const std::string& key) {
    const std::string lock = cacheFile(folder, key, kLockSuffix);
    for (int attempt = 0; attempt < 2; ++attempt) {
        UniqueHandle held =
            fileHandle(CreateFileA(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        // A lock that nobody holds was left by a machine that went down
        // mid-way: it can be deleted, a held one cannot.
        if (held || !isFile(lock) || !DeleteFileA(lock.c_str())) {
            return held;
        }
    }
    return nullptr;
}

CacheFolder folderState(const CacheFacts& facts, UniqueHandle& lock) {
    const std::string archive = cacheFile(facts.folder, facts.key, kArchiveSuffix);
    uint64_t size = 0;
    const bool present = isFile(archive, &size);
    if (present && archiveLooksWhole(readHead(archive, 4), size)) {
        // The list it was made from, once no start writes it any more.
        DeleteFileA(cacheFile(facts.folder, facts.key, kClassListSuffix).c_str());
        return CacheFolder::Ready;
    }
    if (isFile(cacheFile(facts.folder, facts.key, kFailedSuffix))) {
        return CacheFolder::Failed;
    }
    lock = takeLock(facts.folder, facts.key);
    if (!lock) {
        return isFile(cacheFile(facts.folder, facts.key, kLockSuffix)) ? CacheFolder::Busy
                                                                       : CacheFolder::Unusable;
    }
    // Whose files these are, for the clean-up of later starts.
    const std::string record = runtimeRecord(facts.home, facts.version, facts.library);
    const UniqueHandle file = fileHandle(
        CreateFileA(cacheFile(facts.folder, facts.key, kRuntimeSuffix).c_str(), GENERIC_WRITE, 0,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if ((present && !removeFile(archive)) || !file ||
        !WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written,
                   nullptr) ||
        written != record.size()) {
        lock.reset();
        return CacheFolder::Unusable;
    }
    return CacheFolder::Free;
}

// The maker's thread: starts java.exe, waits for it without holding up
// anyone, and renames the archive into place only when it is whole.
DWORD WINAPI makeArchive(void* parameter) {
    const std::unique_ptr<Making> m(static_cast<Making*>(parameter));
    const std::string list = cacheFile(m->folder, m->key, kClassListSuffix);
    const std::string temporary = cacheFile(m->folder, m->key, kTemporarySuffix);
    const std::string archive = cacheFile(m->folder, m->key, kArchiveSuffix);
    // One left by a maker that was cut off; HotSpot cannot replace it.
    removeFile(temporary);
    std::string line = commandLine(m->javaProgram, archiveArguments(list, temporary));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, nullptr,
                        m->folder.c_str(), &startup, &started)) {
        TRACE("class-data cache: cannot start %s: error %lu", traceUtf8(line.c_str()).c_str(),
              GetLastError());
        return 0;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // The maker holds the lock too: should this process end first, no other
    // start writes these files before the maker has ended.
    HANDLE inMaker = nullptr;
    DuplicateHandle(GetCurrentProcess(), m->lock.get(), started.hProcess, &inMaker, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    // Again, for Wine 8, which leaves the flag of CreateProcess aside.
    SetPriorityClass(started.hProcess, IDLE_PRIORITY_CLASS);
    ResumeThread(started.hThread);
    TRACE("class-data cache: making the archive: %s", traceUtf8(line.c_str()).c_str());
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(started.hProcess, &code);
    uint64_t size = 0;
    if (code == 0 && isFile(temporary, &size) && archiveLooksWhole(readHead(temporary, 4), size) &&
        MoveFileExA(temporary.c_str(), archive.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        TRACE("class-data cache: made %s, %llu bytes", traceUtf8(archive.c_str()).c_str(),
              static_cast<unsigned long long>(size));
        return 0;
    }
    removeFile(temporary);
    // Not again for this runtime build: each try would cost a start its list
    // and the machine a dump.
    const UniqueHandle failed =
        fileHandle(CreateFileA(cacheFile(m->folder, m->key, kFailedSuffix).c_str(), GENERIC_WRITE,
                               0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    TRACE("class-data cache: making the archive failed: exit code %lu, %llu bytes",
          static_cast<unsigned long>(code), static_cast<unsigned long long>(size));
    return 0;
}

} // namespace

std::vector<std::string> prepareClassData(const JavaHomeLookup& found, const std::string& library,
                                          const std::vector<std::string>& userOptions) {
    CacheFacts facts;
    facts.release = releaseTextIn(found.home);
    const std::string released = releaseVersion(facts.release);
    facts.version = released.empty() ? found.version : released;
    facts.home = found.home;
    facts.library = library;
    facts.openj9Key =
        found.source == RuntimeSource::Registry && found.chosen < found.tried.size() &&
        std::strstr(kFallbackPlaces[found.tried[found.chosen].place].valuePath, "openj9") !=
            nullptr;
    const std::string javaProgram = found.home + "\\bin\\java.exe";
    facts.javaProgram = isFile(javaProgram);
    facts.userOptions = userOptions;
    const std::string appData = localAppData();
    if (!appData.empty()) {
        facts.folder = appData + "\\" + kCacheFolder;
    }
    uint64_t size = 0;
    uint64_t time = 0;
    if (isFile(library, &size, &time)) {
        facts.key = cacheKey(found.home, facts.version, size, time);
    }

    UniqueHandle lock;
    if (cacheRefusal(facts) == CacheReason::Look && !facts.key.empty()) {
        // %LOCALAPPDATA% itself is the system's to make, not the launcher's.
        CreateDirectoryA(facts.folder.c_str(), nullptr);
        const DWORD attributes = GetFileAttributesA(facts.folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            cleanUp(facts.folder, facts.key);
            facts.state = folderState(facts, lock);
        }
    }
    const CachePlan plan = planCache(facts);
    TRACE("class-data cache: %s (%s, key %s)", cacheReasonText(plan.reason),
          traceUtf8(facts.folder.c_str()).c_str(), facts.key.c_str());
    if (plan.makeArchive) {
        making = new Making{std::move(lock), facts.folder, facts.key, javaProgram};
    }
    return plan.options;
}

void startMakingArchive() {
    if (making == nullptr) {
        return;
    }
    // A thread of its own: the main thread goes on to serve hand-overs.
    HANDLE thread = CreateThread(nullptr, 0, makeArchive, making, 0, nullptr);
    if (thread == nullptr) {
        TRACE("class-data cache: no thread to make the archive: error %lu", GetLastError());
        delete making; // and with it the lock
    } else {
        CloseHandle(thread);
    }
    making = nullptr;
}
