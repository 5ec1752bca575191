#include "runtime_choice.h"

#include <algorithm>
#include <limits>

#include "common/path_rules.h"
#include "java_home.h"

const FallbackPlace kFallbackPlaces[kFallbackPlaceCount] = {
    // Java 9 and later; the subkeys are versions.
    {"SOFTWARE\\JavaSoft\\JRE", "", "JavaHome", PlaceShape::CurrentOrEach, false, false},
    {"SOFTWARE\\JavaSoft\\JDK", "", "JavaHome", PlaceShape::CurrentOrEach, false, false},
    // Java 8 JDKs, whose runtime is the jre folder inside.
    {"SOFTWARE\\JavaSoft\\Java Development Kit", "", "JavaHome", PlaceShape::CurrentOrEach, true,
     false},
    // The makers' own keys, one subkey per installed version.
    {"SOFTWARE\\Eclipse Adoptium\\JRE", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    {"SOFTWARE\\Eclipse Adoptium\\JDK", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    {"SOFTWARE\\AdoptOpenJDK\\JRE", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    {"SOFTWARE\\AdoptOpenJDK\\JDK", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    {"SOFTWARE\\Eclipse Foundation\\JDK", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    {"SOFTWARE\\Eclipse Foundation\\JRE", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    // Its "JavaHome" value is a flag of the installer, not a folder.
    {"SOFTWARE\\Microsoft\\JDK", "hotspot\\MSI", "Path", PlaceShape::Each, false, false},
    {"SOFTWARE\\Semeru\\JRE", "openj9\\MSI", "Path", PlaceShape::Each, false, true},
    {"SOFTWARE\\Semeru\\JDK", "openj9\\MSI", "Path", PlaceShape::Each, false, true},
    // Subkeys named for the product ("zulu-17"), not always for a version.
    {"SOFTWARE\\Azul Systems\\Zulu", "", "InstallationPath", PlaceShape::Each, false, false},
    {"SOFTWARE\\BellSoft\\Liberica", "", "InstallationPath", PlaceShape::Each, false, false},
};

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Reads the digits at text[at...], saturating rather than wrapping: a
// number too large for a version part is still larger than every other.
uint32_t readNumber(std::string_view text, std::size_t& at) {
    uint64_t value = 0;
    constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
    while (at < text.size() && isDigit(text[at])) {
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(text[at] - '0'), kMax);
        ++at;
    }
    return static_cast<uint32_t>(value);
}

// A digit that is not the tail of a word such as "x64" or of a number.
bool startsNumber(std::string_view text, std::size_t at) {
    return isDigit(text[at]) && (at == 0 || !(isDigit(text[at - 1]) || isLetter(text[at - 1])));
}

bool joinsParts(char c) {
    return c == '.' || c == '_' || c == '+' || c == '-';
}

bool inPlace(const RuntimeCandidate& c) {
    return c.source == RuntimeSource::Registry && c.place >= 0 &&
           static_cast<std::size_t>(c.place) < kFallbackPlaceCount;
}

std::size_t rootIndex(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? 1 : 0;
}

} // namespace

JavaVersion parseJavaVersion(std::string_view text) {
    JavaVersion version;
    std::size_t at = 0;
    while (at < text.size() && !startsNumber(text, at)) {
        ++at;
    }
    if (at == text.size()) {
        return version;
    }
    uint32_t numbers[kVersionParts + 1] = {};
    std::size_t count = 0;
    for (;;) {
        const uint32_t number = readNumber(text, at);
        if (count < kVersionParts + 1) {
            numbers[count++] = number;
        }
        if (at + 1 < text.size() && joinsParts(text[at]) && isDigit(text[at + 1])) {
            ++at;
            continue;
        }
        break;
    }
    // 1.8.0_402 is Java 8; a lone 1 stays 1.
    const std::size_t first = numbers[0] == 1 && count > 1 ? 1 : 0;
    version.known = true;
    for (std::size_t i = first; i < count && i - first < kVersionParts; ++i) {
        version.parts[i - first] = numbers[i];
    }
    return version;
}

int compareVersions(const JavaVersion& a, const JavaVersion& b) {
    if (a.known != b.known) {
        return a.known ? 1 : -1;
    }
    for (std::size_t i = 0; i < kVersionParts; ++i) {
        if (a.parts[i] != b.parts[i]) {
            return a.parts[i] < b.parts[i] ? -1 : 1;
        }
    }
    return 0;
}

std::string releaseVersion(std::string_view text) {
    const std::string_view key = kReleaseVersionKey;
    for (std::size_t line = 0; line < text.size();) {
        const std::size_t end = std::min(text.find('\n', line), text.size());
        const std::string_view content = text.substr(line, end - line);
        if (content.substr(0, key.size()) == key) {
            const std::size_t close = content.find('"', key.size());
            if (close == std::string_view::npos) {
                return {};
            }
            return std::string(content.substr(key.size(), close - key.size()));
        }
        line = end + 1;
    }
    return {};
}

std::string runtimeHome(std::string_view value, bool jreFolder) {
    std::string home(withoutTrailingSeparators(value));
    if (jreFolder && !home.empty()) {
        home += "\\jre";
    }
    return home;
}

bool isAbsoluteHome(std::string_view home) {
    // Stricter than Windows, which takes any unit for a drive and three
    // separators for a UNC path: a value that names no real folder is no home.
    if (pathKind(home) != PathKind::Full) {
        return false;
    }
    return home[1] == ':' ? isLetter(home[0]) : home.size() >= 3 && !isSeparator(home[2]);
}

bool sameKeyName(std::string_view a, std::string_view b) {
    return sameIgnoringCase(a, b);
}

std::vector<std::size_t> preferenceOrder(const std::vector<RuntimeCandidate>& candidates) {
    // A place's "CurrentVersion" that names one of its subkeys names the only
    // one of that place: the others stay out, also when that one fails.
    bool named[2][kFallbackPlaceCount] = {};
    for (const RuntimeCandidate& c : candidates) {
        if (c.current && inPlace(c)) {
            named[rootIndex(c.root)][c.place] = true;
        }
    }
    std::vector<std::size_t> order;
    std::vector<JavaVersion> versions(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const RuntimeCandidate& c = candidates[i];
        const bool outvoted = !c.current && inPlace(c) && named[rootIndex(c.root)][c.place];
        if ((!c.read || (c.status == 0 && isAbsoluteHome(c.home))) && !outvoted) {
            // Inserted behind every one that ranks the same or higher, so
            // that ties keep the list's order. JAVA_HOME ranks below every
            // installed runtime, whatever its version: it is a developer's
            // setting, for a machine where nothing is installed.
            versions[i] = parseJavaVersion(c.version);
            const auto ranksBelow = [&](std::size_t a, std::size_t b) {
                const bool aLast = candidates[a].source == RuntimeSource::JavaHome;
                const bool bLast = candidates[b].source == RuntimeSource::JavaHome;
                return aLast != bLast ? aLast : compareVersions(versions[a], versions[b]) < 0;
            };
            std::size_t at = order.size();
            while (at > 0 && ranksBelow(order[at - 1], i)) {
                --at;
            }
            order.insert(order.begin() + static_cast<std::ptrdiff_t>(at), i);
        }
    }
    return order;
}

std::size_t chooseRuntime(const std::vector<RuntimeCandidate>& candidates) {
    const std::vector<std::size_t> order = preferenceOrder(candidates);
    const auto found = std::find_if(order.begin(), order.end(), [&candidates](std::size_t i) {
        return candidates[i].read && candidates[i].checked && candidates[i].libraries != 0;
    });
    return found == order.end() ? kNoCandidate : *found;
}

bool fallsBack(JavaOutcome classic, unsigned classicLibraries) {
    switch (classic) {
    case JavaOutcome::NoRuntimeKey:
    case JavaOutcome::NoCurrentVersion:
    case JavaOutcome::NoVersionedKey:
        return true;
    case JavaOutcome::HomeFound:
        return classicLibraries == 0;
    default:
        return false;
    }
}

bool replacesSearchPathFor(RuntimeSource source, const std::string& version) {
    if (source == RuntimeSource::Classic) {
        return replacesSearchPath(version.c_str());
    }
    const JavaVersion parsed = parseJavaVersion(version);
    return parsed.known && parsed.parts[0] >= 7;
}

std::string describeCandidate(const RuntimeCandidate& candidate) {
    const RuntimeCandidate& c = candidate;
    std::string text;
    switch (c.source) {
    case RuntimeSource::Shipped:
        text = "shipped runtime";
        break;
    case RuntimeSource::Classic:
        text = std::string("HKLM\\") + kRuntimeKeyName;
        break;
    case RuntimeSource::Registry:
        text = c.root == RegistryRoot::CurrentUser ? "HKCU\\" : "HKLM\\";
        if (inPlace(c)) {
            const FallbackPlace& place = kFallbackPlaces[c.place];
            text += place.keyName;
            if (!c.subkey.empty()) {
                text += "\\" + c.subkey;
                if (*place.valuePath != '\0') {
                    text += std::string("\\") + place.valuePath;
                }
                text += std::string(" \"") + place.valueName + "\"";
            }
        }
        break;
    case RuntimeSource::JavaHome:
        text = kJavaHomeVariable;
        break;
    }
    if (!c.read) {
        return text + ": not looked at";
    }
    if (c.status != 0) {
        return text + ": status " + std::to_string(c.status);
    }
    text += ": " + (c.home.empty() ? std::string("no folder") : c.home);
    if (!c.checked) {
        text += ", not looked into";
    } else if (c.libraries == 0) {
        text += ", no library";
    } else {
        static const char* const kPlaceNames[kLibraryPlaceCount] = {"client", "hotspot", "server"};
        text += ", library at";
        for (std::size_t i = 0; i < kLibraryPlaceCount; ++i) {
            if ((c.libraries & (1U << i)) != 0) {
                text += std::string(" ") + kPlaceNames[i];
            }
        }
    }
    if (!c.version.empty()) {
        text += ", version \"" + c.version + "\"";
    }
    return text;
}
