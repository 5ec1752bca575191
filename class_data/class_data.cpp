#include "class_data.h"

#include <cstring>
#include <iterator>

#include "common/path_rules.h"
#include "runtime/runtime_choice.h"
#include "vm_options/java_options.h"

namespace {

// The options, after "-XX:" and a "+" or "-", by which a user takes class
// data into their own hands; "-Xshare" counts whatever follows it.
const char* const kUserClassDataOptions[] = {
    "SharedArchiveFile",    "SharedClassListFile",     "DumpLoadedClassList",
    "ArchiveClassesAtExit", "AutoCreateSharedArchive", "AOT",
    "UseSharedSpaces",
};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool namesClassData(const std::string& option) {
    const char* name = option.c_str();
    if (std::strncmp(name, "-Xshare", 7) == 0) {
        return true;
    }
    if (std::strncmp(name, "-XX:", 4) != 0) {
        return false;
    }
    name += name[4] == '+' || name[4] == '-' ? 5 : 4;
    const char* const* known = std::begin(kUserClassDataOptions);
    while (known != std::end(kUserClassDataOptions) &&
           std::strncmp(name, *known, std::strlen(*known)) != 0) {
        ++known;
    }
    return known != std::end(kUserClassDataOptions);
}

bool containsOpenJ9(std::string_view text) {
    // IBM's own runtimes are OpenJ9 too, whatever their variant line says.
    for (std::string_view word : {"openj9", "implementor=\"ibm"}) {
        for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
            std::size_t i = 0;
            while (i < word.size() && lowerAscii(text[at + i]) == word[i]) {
                ++i;
            }
            if (i == word.size()) {
                return true;
            }
        }
    }
    return false;
}

// Why nothing is added before the folder is looked at; false where the
// runtime, the user's options and the folder's path qualify.
bool refused(const CacheFacts& facts, CacheReason& why) {
    const auto refuse = [&why](CacheReason reason) {
        why = reason;
        return true;
    };
    for (std::size_t i = 0; facts.userOptions != nullptr && i < facts.userOptions->size(); ++i) {
        if (namesClassData((*facts.userOptions)[i])) {
            return refuse(CacheReason::UserOptions);
        }
    }
    // The release file speaks for the build; a key's name may be any text.
    const std::string released = releaseVersion(facts.release);
    const JavaVersion version = parseJavaVersion(released.empty() ? facts.version : released);
    if (!version.known) {
        return refuse(CacheReason::NoVersion);
    }
    if (version.parts[0] < kFirstCachedFeature) {
        return refuse(CacheReason::OldRuntime);
    }
    if (facts.openj9Key || containsOpenJ9(facts.release)) {
        return refuse(CacheReason::OpenJ9);
    }
    if (!facts.javaProgram) {
        return refuse(CacheReason::NoJavaProgram);
    }
    if (facts.folder.empty()) {
        return refuse(CacheReason::NoFolder);
    }
    // The longest of the names passed to the runtime. "?" stands for a
    // character that the code page lacks, ";" separates two archives, "%"
    // may be expanded, and a quote would end the maker's argument.
    char list[kCachePathSize];
    if (*cacheFile(list, facts.folder, facts.key, kClassListSuffix) == '\0' ||
        facts.folder.find_first_of("?;%\"") != std::string_view::npos) {
        return refuse(CacheReason::PathUnfit);
    }
    return false;
}

} // namespace

CachePlan planCache(const CacheFacts& facts, LookAtFolder look, void* context) {
    CachePlan plan;
    if (refused(facts, plan.reason)) {
        return plan;
    }
    char path[kCachePathSize];
    switch (look(facts, context)) {
    case CacheFolderState::Ready:
        joinText(
            plan.option, sizeof plan.option,
            {"-XX:SharedArchiveFile=", cacheFile(path, facts.folder, facts.key, kArchiveSuffix)});
        plan.reason = CacheReason::Use;
        break;
    case CacheFolderState::Free:
        joinText(plan.option, sizeof plan.option,
                 {"-XX:DumpLoadedClassList=",
                  cacheFile(path, facts.folder, facts.key, kClassListSuffix)});
        plan.makeArchive = true;
        // The making sizes its heap as the launch does: a runtime maps an
        // archive only where both point to objects alike, and on a machine
        // of 128 GB or more the default heap would point to them otherwise.
        plan.makeOptions = facts.launchHeap ? kFixedMaximumHeapOption : "";
        plan.reason = CacheReason::List;
        break;
    case CacheFolderState::Busy:
        plan.reason = CacheReason::Busy;
        break;
    case CacheFolderState::Failed:
        plan.reason = CacheReason::Failed;
        break;
    case CacheFolderState::Unusable:
        plan.reason = CacheReason::Unusable;
        break;
    }
    return plan;
}

const char* cacheReasonText(CacheReason reason) {
    switch (reason) {
    case CacheReason::Use:
        return "archive used";
    case CacheReason::List:
        return "no archive yet: this start lists its classes, the archive is made after main";
    case CacheReason::UserOptions:
        return "skipped: the user's options name class data";
    case CacheReason::NoVersion:
        return "skipped: the runtime's version cannot be read";
    case CacheReason::OldRuntime:
        return "skipped: a runtime before 17";
    case CacheReason::OpenJ9:
        return "skipped: an OpenJ9 runtime";
    case CacheReason::NoJavaProgram:
        return "skipped: the runtime has no bin\\java.exe";
    case CacheReason::NoFolder:
        return "skipped: no LOCALAPPDATA";
    case CacheReason::PathUnfit:
        return "skipped: a folder path that the runtime cannot take";
    case CacheReason::Unusable:
        return "skipped: the folder cannot be made or written";
    case CacheReason::Busy:
        return "skipped: another start lists or makes the archive";
    case CacheReason::Failed:
        return "skipped: making this runtime's archive failed before";
    }
    return "?";
}

bool joinText(char* out, std::size_t size, std::initializer_list<std::string_view> parts) {
    std::size_t length = 0;
    for (std::string_view part : parts) {
        if (part.size() >= size - length) {
            out[0] = '\0';
            return false;
        }
        std::memcpy(out + length, part.data(), part.size());
        length += part.size();
    }
    out[length] = '\0';
    return true;
}

const char* cacheFile(char (&out)[kCachePathSize], std::string_view folder, std::string_view key,
                      const char* suffix) {
    joinText(out, kCachePathSize, {folder, "\\", kCacheFilePrefix, key, suffix});
    return out;
}

void cacheKey(char (&out)[kCacheKeySize], std::string_view home, std::string_view version,
              uint64_t librarySize, uint64_t libraryTime) {
    // The numbers in decimal, by hand: a printf of MinGW's would add its
    // whole formatter to the executable.
    char digits[2][20];
    std::string_view parts[] = {home, version, {}, {}};
    for (int n = 0; n < 2; ++n) {
        char* first = std::end(digits[n]);
        uint64_t value = n == 0 ? librarySize : libraryTime;
        do {
            *--first = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        parts[2 + n] =
            std::string_view(first, static_cast<std::size_t>(std::end(digits[n]) - first));
    }
    // FNV-1a: the key names files, it guards nothing.
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::string_view text : parts) {
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(lowerAscii(c));
            hash = (hash ^ byte) * 0x100000001b3ULL;
        }
        hash = (hash ^ 0xffU) * 0x100000001b3ULL; // ends each part
    }
    for (std::size_t i = kCacheKeySize - 1; i-- > 0; hash >>= 4) {
        out[i] = "0123456789abcdef"[hash & 0xf];
    }
    out[kCacheKeySize - 1] = '\0';
}

bool archiveLooksWhole(std::string_view head, uint64_t size) {
    if (head.size() < 4 || size < kSmallestArchive) {
        return false;
    }
    // Written in the machine's order, which is little-endian on x64.
    uint32_t magic = 0;
    for (int i = 3; i >= 0; --i) {
        magic = (magic << 8) | static_cast<unsigned char>(head[static_cast<std::size_t>(i)]);
    }
    return magic == kStaticArchiveMagic;
}

bool archiveCommand(char* out, std::size_t size, std::string_view program, std::string_view list,
                    std::string_view temporary, std::string_view makeOptions) {
    return joinText(out, size,
                    {"\"", program, "\" -Xshare:dump \"-XX:SharedClassListFile=", list,
                     "\" \"-XX:SharedArchiveFile=", temporary, "\" -cp \"\"",
                     makeOptions.empty() ? "" : " ", makeOptions});
}

bool readRuntimeRecord(std::string_view text, std::string_view (&lines)[3]) {
    for (std::string_view& line : lines) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return false;
        }
        line = text.substr(0, end);
        text.remove_prefix(end + 1);
    }
    return true;
}

bool isStale(const CacheGroup* groups, std::size_t count, std::size_t which,
             std::string_view current) {
    const CacheGroup& group = groups[which];
    if (group.key == current) {
        return false;
    }
    // Kept are the current runtime's and the newest others that are there.
    std::size_t newer = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const CacheGroup& other = groups[i];
        newer += other.runtimeThere && other.key != current &&
                 (other.lastWrite > group.lastWrite ||
                  (other.lastWrite == group.lastWrite && i < which));
    }
    return !group.runtimeThere || newer >= kKeptRuntimes - 1;
}

std::string_view keyOfFile(std::string_view name) {
    const std::size_t keyLength = kCacheKeySize - 1;
    if (!startsWith(name, kCacheFilePrefix) || name.size() <= 4 + keyLength ||
        name[4 + keyLength] != '.') {
        return {};
    }
    const std::string_view key = name.substr(4, keyLength);
    return key.find_first_not_of("0123456789abcdef") == std::string_view::npos ? key
                                                                               : std::string_view();
}
