// The class-data archive that the launcher keeps per user and runtime build:
// a HotSpot runtime then maps the JDK classes that a start needs (AWT and
// Swing for the first window) from one file instead of loading each. The
// first start writes the list of classes it loaded, a runtime's own java.exe
// makes the archive from it in the background, and later starts use it.
// Everything here but the functions of class_data_win.cpp takes and gives
// plain values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/java_home.h"

// The files of one runtime build are kCacheFilePrefix, its key, and:
constexpr const char* kCacheFilePrefix = "cds-";
constexpr const char* kArchiveSuffix = ".jsa";         // the archive, whole
constexpr const char* kTemporarySuffix = ".jsa.tmp";   // being made
constexpr const char* kClassListSuffix = ".classlist"; // the classes a start loaded
constexpr const char* kLockSuffix = ".lock";           // held while listing and making
constexpr const char* kRuntimeSuffix = ".runtime";     // home, version, library: whose
constexpr const char* kFailedSuffix = ".failed";       // its making failed; not again

// The lowest Java feature release whose class-data options the launcher
// passes: those options are product options there, and measured.
constexpr uint32_t kFirstCachedFeature = 17;
// The first four bytes of a static archive, as HotSpot writes them.
constexpr uint32_t kStaticArchiveMagic = 0xf00baba2;
// A whole archive of the JDK's classes is megabytes; less is a cut file.
constexpr uint64_t kSmallestArchive = 65536;
// Runtime builds whose files the folder keeps, the current one included.
constexpr std::size_t kKeptRuntimes = 4;
// Files looked at per start when cleaning up; the rest wait for later starts.
constexpr std::size_t kCleanupFileLimit = 64;

// What this runtime's files in the folder allow, found in that order: the
// folder could not be made or written; an archive that looks whole; no
// archive and this start holds the lock; another start lists or makes it;
// making it failed.
enum class CacheFolderState : int32_t { Unusable, Ready, Free, Busy, Failed };

// Why the launcher adds what it adds, for the trace.
enum class CacheReason : int32_t {
    Use,           // the archive is used
    List,          // this start lists its classes; the archive follows
    UserOptions,   // the user's options name class data: theirs alone count
    NoVersion,     // a version that cannot be read
    OldRuntime,    // before kFirstCachedFeature
    OpenJ9,        // another virtual machine, with a cache of its own
    NoJavaProgram, // no bin\java.exe to make an archive with
    NoFolder,      // no %LOCALAPPDATA%: no folder for the cache
    PathUnfit,     // a path that the runtime's options cannot carry
    Unusable,      // the folder cannot be made or written
    Busy,
    Failed,
};

// Every path that the runtime is given stays below MAX_PATH, past which its
// file calls fail; a path that would not is refused, so texts of this size
// hold any of them.
constexpr std::size_t kCachePathSize = 260;
constexpr std::size_t kCacheKeySize = 17; // sixteen hex digits and the end

// What the launcher knows of the runtime, the user's options and the folder.
// The texts belong to the caller.
struct CacheFacts {
    std::string_view version; // as discovery found it
    std::string_view release; // the runtime's release file, whose version wins; empty without one
    bool openj9Key = false;   // found under a key that only OpenJ9 runtimes use
    bool javaProgram = false; // bin\java.exe exists
    const std::vector<std::string>* userOptions = nullptr;
    std::string_view folder; // the cache's folder, empty without one
    std::string_view key;    // cacheKey of the runtime build
    bool launchHeap = true;  // the launch passes kFixedMaximumHeapOption
};

// The option to add after the launcher's own (empty for none), whether to
// make the archive once main has returned and the options of its making,
// and why.
struct CachePlan {
    char option[32 + kCachePathSize] = "";
    bool makeArchive = false;
    const char* makeOptions = "";
    CacheReason reason = CacheReason::Unusable;
};

// The folder's state for the runtime of facts. Asked only where the runtime,
// the user's options and the folder's path qualify: looking takes the lock.
using LookAtFolder = CacheFolderState (*)(const CacheFacts& facts, void* context);

// The whole decision: nothing for a runtime, user or path that does not
// qualify, otherwise what the folder's state allows.
CachePlan planCache(const CacheFacts& facts, LookAtFolder look, void* context);

const char* cacheReasonText(CacheReason reason);

// The parts one after the other in out; false, and out empty, where they do
// not fit with the terminating zero.
bool joinText(char* out, std::size_t size, std::initializer_list<std::string_view> parts);

// The folder's file for key with suffix in out, which it returns; empty where
// the path would be kCachePathSize or longer.
const char* cacheFile(char (&out)[kCachePathSize], std::string_view folder, std::string_view key,
                      const char* suffix);

// Sixteen hex digits of the runtime build: its home (in any case), its
// version, and its library's size and write time. A runtime updated in place
// gets another key, so no start maps another build's archive.
void cacheKey(char (&out)[kCacheKeySize], std::string_view home, std::string_view version,
              uint64_t librarySize, uint64_t libraryTime);

// Whether the first bytes and the size of a file are those of a whole static
// archive. A foreign or cut one would cost the start its default archive.
bool archiveLooksWhole(std::string_view head, uint64_t size);

// The command line of program (java.exe) that makes the archive from the
// list: static, of the JDK's classes alone. The class path is empty: the
// application's classes stay out, and a folder with files on it would stop
// the making. Every argument is quoted, as the C runtime's splitting reads it
// back; the cache's paths hold no quote. The plan's makeOptions follow. Not
// -XX:+AOTClassLinking of newer runtimes: its archive leaves out the lambdas
// that Swing's look and feel makes, and a main that builds a panel then
// starts slower than with a plain archive (0.92x against 0.60x of java -cp).
bool archiveCommand(char* out, std::size_t size, std::string_view program, std::string_view list,
                    std::string_view temporary, std::string_view makeOptions);

// The three lines of a kRuntimeSuffix file: home, version, library.
bool readRuntimeRecord(std::string_view text, std::string_view (&lines)[3]);

// One runtime build's files in the folder, as the clean-up finds them.
struct CacheGroup {
    char key[kCacheKeySize];
    bool runtimeThere;  // its record names a library of that key
    uint64_t lastWrite; // of its newest file
};

// Whether groups[which]'s files go: those of runtimes no longer there, and
// beyond the newest kKeptRuntimes - 1 others, the oldest. The current key
// stays.
bool isStale(const CacheGroup* groups, std::size_t count, std::size_t which,
             std::string_view current);

// The key of a file of the folder, or empty for a file that is not one.
std::string_view keyOfFile(std::string_view name);

// What a start that lists keeps until the archive is made: the lock, which
// no other start can take while the list is written and the archive made,
// and where the making goes. Nothing to make while lock is null.
struct ArchiveMaking {
    void* lock = nullptr;
    char folder[kCachePathSize] = "";
    char temporary[kCachePathSize] = "";
    char archive[kCachePathSize] = "";
    char failed[kCachePathSize] = "";
    char command[4 * kCachePathSize] = "";
};

// ---- Windows edge (class_data_win.cpp) -------------------------------------

// The option for the runtime found (its archive, the list option of a first
// start, or none), and the making that follows a list. Makes the cache's
// folder (cacheFolder, empty for none), cleans it up and takes the lock of
// a first start. Never fails: whatever goes wrong adds nothing.
struct PreparedCache {
    CachePlan plan;
    ArchiveMaking making;
};
PreparedCache prepareClassData(const JavaRuntime& runtime, const std::string& library,
                               std::u16string_view cacheFolder,
                               const std::vector<std::string>& userOptions, bool launchHeap);

// Once main has returned: when this start listed, java.exe makes the archive
// in the background, at idle priority and without a window. Returns at once;
// the lock goes with the making.
void startMakingArchive(const ArchiveMaking& making) noexcept;
