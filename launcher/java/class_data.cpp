#include "class_data.h"

#include <algorithm>

#include "runtime_choice.h"

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

bool namesClassData(std::string_view option) {
    if (startsWith(option, "-Xshare")) {
        return true;
    }
    if (!startsWith(option, "-XX:")) {
        return false;
    }
    option.remove_prefix(4);
    if (!option.empty() && (option[0] == '+' || option[0] == '-')) {
        option.remove_prefix(1);
    }
    return std::any_of(std::begin(kUserClassDataOptions), std::end(kUserClassDataOptions),
                       [option](const char* name) { return startsWith(option, name); });
}

bool containsOpenJ9(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    // IBM's own runtimes are OpenJ9 too, whatever their variant line says.
    return lower.find("openj9") != std::string::npos ||
           lower.find("implementor=\"ibm") != std::string::npos;
}

// A path that HotSpot takes as one file: "?" stands for a character that the
// code page lacks, ";" separates two archives, "%" may be expanded. Past
// MAX_PATH its file calls fail.
bool fitsRuntime(std::string_view path) {
    return path.size() < 260 && path.find_first_of("?;%\"") == std::string_view::npos;
}

} // namespace

CacheReason cacheRefusal(const CacheFacts& facts) {
    if (std::any_of(facts.userOptions.begin(), facts.userOptions.end(), namesClassData)) {
        return CacheReason::UserOptions;
    }
    const std::string released = releaseVersion(facts.release);
    const JavaVersion version = parseJavaVersion(released.empty() ? facts.version : released);
    if (!version.known) {
        return CacheReason::NoVersion;
    }
    if (version.parts[0] < kFirstCachedFeature) {
        return CacheReason::OldRuntime;
    }
    if (facts.openj9Key || containsOpenJ9(facts.release)) {
        return CacheReason::OpenJ9;
    }
    if (!facts.javaProgram) {
        return CacheReason::NoJavaProgram;
    }
    if (facts.folder.empty()) {
        return CacheReason::NoFolder;
    }
    // The longest of the names passed to the runtime.
    if (!fitsRuntime(cacheFile(facts.folder, facts.key, kClassListSuffix))) {
        return CacheReason::PathUnfit;
    }
    return CacheReason::Look;
}

CachePlan planCache(const CacheFacts& facts) {
    CachePlan plan;
    plan.reason = cacheRefusal(facts);
    if (plan.reason != CacheReason::Look) {
        return plan;
    }
    switch (facts.state) {
    case CacheFolder::Ready:
        plan.options.push_back("-XX:SharedArchiveFile=" +
                               cacheFile(facts.folder, facts.key, kArchiveSuffix));
        plan.reason = CacheReason::Use;
        break;
    case CacheFolder::Free:
        plan.options.push_back("-XX:DumpLoadedClassList=" +
                               cacheFile(facts.folder, facts.key, kClassListSuffix));
        plan.makeArchive = true;
        plan.reason = CacheReason::List;
        break;
    case CacheFolder::Busy:
        plan.reason = CacheReason::Busy;
        break;
    case CacheFolder::Failed:
        plan.reason = CacheReason::Failed;
        break;
    case CacheFolder::Unusable:
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
    case CacheReason::Look:
        return "the runtime qualifies";
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

std::string cacheFile(std::string_view folder, std::string_view key, const char* suffix) {
    std::string path(folder);
    path += '\\';
    path += kCacheFilePrefix;
    path += key;
    path += suffix;
    return path;
}

std::string cacheKey(std::string_view home, std::string_view version, uint64_t librarySize,
                     uint64_t libraryTime) {
    // FNV-1a: the key names files, it guards nothing.
    uint64_t hash = 0xcbf29ce484222325ULL;
    const auto add = [&hash](std::string_view text) {
        for (char c : text) {
            const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
            hash = (hash ^ static_cast<unsigned char>(lower)) * 0x100000001b3ULL;
        }
        hash = (hash ^ 0xffU) * 0x100000001b3ULL; // ends each part
    };
    add(home);
    add(version);
    add(std::to_string(librarySize));
    add(std::to_string(libraryTime));
    // By hand: a printf of MinGW's would add its whole formatter to the
    // executable.
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0; hash >>= 4) {
        text[i] = "0123456789abcdef"[hash & 0xf];
    }
    return text;
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

std::vector<std::string> archiveArguments(std::string_view list, std::string_view temporary) {
    return {"-Xshare:dump", "-XX:SharedClassListFile=" + std::string(list),
            "-XX:SharedArchiveFile=" + std::string(temporary), "-cp", ""};
}

std::string commandLine(std::string_view program, const std::vector<std::string>& arguments) {
    // The launcher's own names hold no quote, and none ends in a backslash.
    std::string line = "\"" + std::string(program) + "\"";
    for (const std::string& argument : arguments) {
        const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        line += quote ? " \"" + argument + "\"" : " " + argument;
    }
    return line;
}

std::string runtimeRecord(std::string_view home, std::string_view version,
                          std::string_view library) {
    return std::string(home) + "\n" + std::string(version) + "\n" + std::string(library) + "\n";
}

bool readRuntimeRecord(std::string_view text, std::string& home, std::string& version,
                       std::string& library) {
    for (std::string* line : {&home, &version, &library}) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return false;
        }
        line->assign(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return true;
}

std::vector<std::string> staleKeys(std::vector<CacheGroup> groups, std::string_view current) {
    std::sort(groups.begin(), groups.end(),
              [](const CacheGroup& a, const CacheGroup& b) { return a.lastWrite > b.lastWrite; });
    std::vector<std::string> stale;
    std::size_t kept = 1; // the current runtime's
    for (const CacheGroup& group : groups) {
        if (group.key == current) {
            continue;
        }
        if (group.runtimeThere && kept < kKeptRuntimes) {
            ++kept;
        } else {
            stale.push_back(group.key);
        }
    }
    return stale;
}

std::string keyOfFile(std::string_view name) {
    const std::size_t keyLength = 16;
    if (!startsWith(name, kCacheFilePrefix) || name.size() <= 4 + keyLength ||
        name[4 + keyLength] != '.') {
        return {};
    }
    const std::string_view key = name.substr(4, keyLength);
    return key.find_first_not_of("0123456789abcdef") == std::string_view::npos ? std::string(key)
                                                                               : std::string();
}
