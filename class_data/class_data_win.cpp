// The class-data cache's files in the user's local application data, and the
// background process of the runtime's java.exe that makes an archive.
#include "class_data.h"

#include <windows.h>

#include <algorithm>

#include "common/files_win.h"
#include "common/text_win.h"
#include "common/trace_win.h"
#include "common/unique_handle_win.h"

namespace {

uint64_t fileTime(const FILETIME& time) noexcept {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// HotSpot makes its archives read-only, and DeleteFile refuses those.
bool removeFile(const char* path) noexcept {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path) != FALSE;
}

// The file opened or created, or null.
HANDLE createFile(const char* path, DWORD access, DWORD share, DWORD creation,
                  DWORD flags) noexcept {
    return fileHandle(CreateFileA(path, access, share, nullptr, creation, flags, nullptr))
        .release();
}

// Whether path is a whole archive, not a foreign or cut one.
bool isWholeArchive(const char* path) noexcept {
    uint64_t size = 0;
    char head[4];
    return isFile(path, &size) &&
           archiveLooksWhole(readHead(path, head, sizeof head, WhileWritten::Refuse), size);
}

// Leaves a key's files alone while a start of that runtime holds its lock.
void removeKey(std::string_view folder, std::string_view key) noexcept {
    char path[kCachePathSize];
    if (isFile(cacheFile(path, folder, key, kLockSuffix)) && !DeleteFileA(path)) {
        return;
    }
    for (const char* suffix :
         {kArchiveSuffix, kTemporarySuffix, kClassListSuffix, kRuntimeSuffix, kFailedSuffix}) {
        removeFile(cacheFile(path, folder, key, suffix));
    }
    TRACE("class-data cache: removed the files of %.16s", key.data());
}

// Whether the record of key names a library that gives that key still.
bool runtimeThere(std::string_view folder, std::string_view key) noexcept {
    char path[kCachePathSize];
    char text[3 * MAX_PATH];
    std::string_view lines[3];
    char library[MAX_PATH];
    char found[kCacheKeySize];
    uint64_t size = 0;
    uint64_t time = 0;
    if (!readRuntimeRecord(readHead(cacheFile(path, folder, key, kRuntimeSuffix), text, sizeof text,
                                    WhileWritten::Refuse),
                           lines) ||
        !joinText(library, sizeof library, {lines[2]}) || !isFile(library, &size, &time)) {
        return false;
    }
    cacheKey(found, lines[0], lines[1], size, time);
    return key == found;
}

// Removes the files of runtime builds that are gone, and of the oldest
// beyond kKeptRuntimes.
void cleanUp(std::string_view folder, std::string_view current) noexcept {
    CacheGroup groups[kCleanupFileLimit];
    std::size_t count = 0;
    char pattern[kCachePathSize];
    WIN32_FIND_DATAA found;
    const UniqueFind search =
        findHandle(FindFirstFileA(cacheFile(pattern, folder, "*", ""), &found));
    for (std::size_t seen = 0; search && seen < kCleanupFileLimit; ++seen) {
        const std::string_view key = keyOfFile(found.cFileName);
        if (!key.empty()) {
            std::size_t i = 0;
            while (i < count && key != groups[i].key) {
                ++i;
            }
            if (i == count) {
                groups[count++] = {};
                key.copy(groups[i].key, key.size());
            }
            groups[i].lastWrite = std::max(groups[i].lastWrite, fileTime(found.ftLastWriteTime));
        }
        if (!FindNextFileA(search.get(), &found)) {
            break;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        groups[i].runtimeThere = groups[i].key == current || runtimeThere(folder, groups[i].key);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (isStale(groups, count, i, current)) {
            removeKey(folder, groups[i].key);
        }
    }
}

// The lock at path, created and held by this process alone; the system
// deletes it once every holder has ended. Null when another start holds it.
HANDLE takeLock(const char* path) noexcept {
    for (int attempt = 0; attempt < 2; ++attempt) {
        HANDLE held = createFile(path, GENERIC_WRITE, 0, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
        // A lock that nobody holds was left by a machine that went down
        // mid-way: it can be deleted, a held one cannot.
        if (held != nullptr || !isFile(path) || !DeleteFileA(path)) {
            return held;
        }
    }
    return nullptr;
}

// What looking at the folder needs beyond the facts, and what it leaves for
// the making.
struct Look {
    std::string_view home;
    std::string_view version;
    std::string_view library;
    ArchiveMaking& making;
};

// The folder's state for this runtime; for Free, the lock is taken into the
// making and the runtime's record written.
CacheFolderState lookAtFolder(const CacheFacts& facts, void* context) noexcept {
    Look& look = *static_cast<Look*>(context);
    ArchiveMaking& making = look.making;
    // %LOCALAPPDATA% itself is the system's to make, not the launcher's.
    char folder[kCachePathSize];
    joinText(folder, sizeof folder, {facts.folder});
    CreateDirectoryA(folder, nullptr);
    const DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return CacheFolderState::Unusable;
    }
    cleanUp(facts.folder, facts.key);
    char path[kCachePathSize];
    if (isWholeArchive(cacheFile(making.archive, facts.folder, facts.key, kArchiveSuffix))) {
        // The list it was made from, once no start writes it any more.
        DeleteFileA(cacheFile(path, facts.folder, facts.key, kClassListSuffix));
        return CacheFolderState::Ready;
    }
    if (isFile(cacheFile(path, facts.folder, facts.key, kFailedSuffix))) {
        return CacheFolderState::Failed;
    }
    making.lock = takeLock(cacheFile(path, facts.folder, facts.key, kLockSuffix));
    if (making.lock == nullptr) {
        return isFile(path) ? CacheFolderState::Busy : CacheFolderState::Unusable;
    }
    // Whose files these are, for the clean-up of later starts.
    const UniqueHandle file(createFile(cacheFile(path, facts.folder, facts.key, kRuntimeSuffix),
                                       GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
    bool written = file && (!isFile(making.archive) || removeFile(making.archive));
    const std::string_view newline = "\n";
    for (std::string_view part :
         {look.home, newline, look.version, newline, look.library, newline}) {
        DWORD done = 0;
        written =
            written &&
            WriteFile(file.get(), part.data(), static_cast<DWORD>(part.size()), &done, nullptr) &&
            done == part.size();
    }
    if (!written) {
        CloseHandle(making.lock);
        making.lock = nullptr;
        return CacheFolderState::Unusable;
    }
    return CacheFolderState::Free;
}

// The maker's thread: starts java.exe, waits for it without holding up
// anyone, and renames the archive into place only when it is whole.
DWORD WINAPI makeArchive(void* context) noexcept {
    ArchiveMaking making = *static_cast<const ArchiveMaking*>(context);
    HeapFree(GetProcessHeap(), 0, context);
    HANDLE lock = making.lock;
    // One left by a maker that was cut off; HotSpot cannot replace it.
    removeFile(making.temporary);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    TRACE("class-data cache: making the archive: %s", traceUtf8(making.command).c_str());
    if (!CreateProcessA(nullptr, making.command, nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW | IDLE_PRIORITY_CLASS, nullptr,
                        making.folder, &startup, &started)) {
        TRACE("class-data cache: cannot start the maker: error %lu", GetLastError());
        CloseHandle(lock);
        return 0;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // The maker holds the lock too: should this process end first, no other
    // start writes these files before the maker has ended.
    HANDLE inMaker = nullptr;
    DuplicateHandle(GetCurrentProcess(), lock, started.hProcess, &inMaker, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    // Again, for Wine 8, which leaves the flag of CreateProcess aside.
    SetPriorityClass(started.hProcess, IDLE_PRIORITY_CLASS);
    ResumeThread(started.hThread);
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(started.hProcess, &code);
    if (code == 0 && isWholeArchive(making.temporary) &&
        MoveFileExA(making.temporary, making.archive, MOVEFILE_REPLACE_EXISTING)) {
        TRACE("class-data cache: archive made");
    } else {
        removeFile(making.temporary);
        // Not again for this runtime build: each try would cost a start its
        // list and the machine a dump.
        CloseHandle(
            createFile(making.failed, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL));
        TRACE("class-data cache: making the archive failed: exit code %lu",
              static_cast<unsigned long>(code));
    }
    CloseHandle(lock);
    return 0;
}

} // namespace

PreparedCache prepareClassData(const JavaRuntime& runtime, const std::string& library,
                               std::u16string_view cacheFolder,
                               const std::vector<std::string>& userOptions, bool launchHeap) {
    PreparedCache prepared;
    // The build's own version names it in the key and the record.
    const std::string& version =
        runtime.releaseVersion.empty() ? runtime.version : runtime.releaseVersion;
    CacheFacts facts;
    facts.version = runtime.version;
    facts.release = runtime.release;
    facts.openj9Key = runtime.openJ9Place;
    char javaProgram[kCachePathSize];
    facts.javaProgram =
        joinText(javaProgram, sizeof javaProgram, {runtime.home, "\\bin\\java.exe"}) &&
        isFile(javaProgram);
    facts.userOptions = &userOptions;
    // In the code page, in which the runtime takes its options; a character
    // that the code page lacks stands as "?", which the decision refuses.
    std::string folder;
    toCodePage(cacheFolder, folder);
    facts.folder = folder;
    char key[kCacheKeySize] = "";
    uint64_t size = 0;
    uint64_t time = 0;
    if (isFile(library.c_str(), &size, &time)) {
        cacheKey(key, runtime.home, version, size, time);
        facts.key = key;
    }
    facts.launchHeap = launchHeap;

    Look look{runtime.home, version, library, prepared.making};
    const auto lookIfKeyed = [](const CacheFacts& keyed, void* context) noexcept {
        return keyed.key.empty() ? CacheFolderState::Unusable : lookAtFolder(keyed, context);
    };
    prepared.plan = planCache(facts, lookIfKeyed, &look);
    TRACE("class-data cache: %s (%s, key %s)", cacheReasonText(prepared.plan.reason),
          traceUtf8(folder.c_str()).c_str(), key);
    if (prepared.plan.makeArchive) {
        ArchiveMaking& making = prepared.making;
        char list[kCachePathSize];
        joinText(making.folder, sizeof making.folder, {facts.folder});
        cacheFile(making.temporary, facts.folder, key, kTemporarySuffix);
        cacheFile(making.failed, facts.folder, key, kFailedSuffix);
        archiveCommand(making.command, sizeof making.command, javaProgram,
                       cacheFile(list, facts.folder, key, kClassListSuffix), making.temporary,
                       prepared.plan.makeOptions);
    }
    return prepared;
}

void startMakingArchive(const ArchiveMaking& making) noexcept {
    if (making.lock == nullptr) {
        return;
    }
    // A thread of its own, with a copy of its own: the main thread goes on
    // to serve hand-overs.
    auto* copy = static_cast<ArchiveMaking*>(HeapAlloc(GetProcessHeap(), 0, sizeof making));
    HANDLE thread = nullptr;
    if (copy != nullptr) {
        *copy = making;
        thread = CreateThread(nullptr, 0, makeArchive, copy, 0, nullptr);
    }
    if (thread == nullptr) {
        TRACE("class-data cache: no thread to make the archive: error %lu", GetLastError());
        CloseHandle(making.lock);
        if (copy != nullptr) {
            HeapFree(GetProcessHeap(), 0, copy);
        }
    } else {
        CloseHandle(thread);
    }
}
