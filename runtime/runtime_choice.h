// The runtimes beyond the classic registry key: a runtime shipped beside the
// executable, the keys that newer runtimes and other makers' installers
// write, and JAVA_HOME; and the choice among them. Everything here but the
// functions of runtime_choice_win.cpp takes and gives plain values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "outcome/java_outcome.h"

// Where a runtime keeps its virtual machine library, relative to its home,
// in the order the launcher tries them.
constexpr std::size_t kLibraryPlaceCount = 3;
constexpr const char* kLibraryFiles[kLibraryPlaceCount] = {
    "\\bin\\client\\jvm.dll",
    "\\bin\\hotspot\\jvm.dll",
    "\\bin\\server\\jvm.dll",
};

// The folder beside the executable that holds a runtime shipped with the
// application.
constexpr const char* kShippedRuntimeFolder = "jre";
constexpr const char* kJavaHomeVariable = "JAVA_HOME";
// The file of a runtime's home that names its version, and the line there.
constexpr const char* kReleaseFile = "release";
constexpr const char* kReleaseVersionKey = "JAVA_VERSION=\"";
constexpr std::size_t kReleaseReadSize = 8192;
// More subkeys of one key are not looked at: no installer writes that many,
// and every one costs registry calls at each start.
constexpr std::size_t kMaxSubkeys = 1000;

enum class RuntimeSource : int32_t {
    Shipped,  // the folder kShippedRuntimeFolder beside the executable
    Classic,  // the runtimes' key of java_home.h
    Registry, // one of kFallbackPlaces
    JavaHome, // the environment variable, or its jre folder
};

enum class RegistryRoot : int32_t {
    None, // not from the registry
    LocalMachine,
    CurrentUser,
};

// How the subkeys of a fallback place lead to runtimes.
enum class PlaceShape : int32_t {
    // The subkey that the key's "CurrentVersion" names, when there is one;
    // otherwise each subkey.
    CurrentOrEach,
    // Each subkey is one runtime.
    Each,
};

// A registry key under which installers register runtimes, one per subkey.
struct FallbackPlace {
    const char* keyName;   // under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
    const char* valuePath; // from the subkey to the key holding the value
    const char* valueName; // the value that holds the folder
    PlaceShape shape;
    bool jreOnly; // the runtime is the folder's "jre" alone (a Java 8 JDK)
    bool openJ9;  // only OpenJ9 runtimes register here
};

// In the order that decides between runtimes of the same version.
constexpr std::size_t kFallbackPlaceCount = 14;
extern const FallbackPlace kFallbackPlaces[kFallbackPlaceCount];

// A Java version as numbers, its feature release first: "1.8.0_402" is
// 8.0.402, "17.0.9" 17.0.9. Parts that a text does not give are 0.
constexpr std::size_t kVersionParts = 6;
struct JavaVersion {
    bool known = false;
    uint32_t parts[kVersionParts] = {};
};

// The version in a text: the first number that begins the text or follows
// something other than a letter or a digit ("zulu-17", "jdk-17.0.9+9",
// "Liberica JDK 21", not the 64 of "x64"), with the numbers after it that
// ".", "_", "+" or "-" join on. The legacy "1.x" form counts as x. Unknown
// when the text holds no such number.
JavaVersion parseJavaVersion(std::string_view text);

// Negative, 0 or positive as a is lower than, equal to or higher than b;
// an unknown version is lower than every known one.
int compareVersions(const JavaVersion& a, const JavaVersion& b);

// The value of the JAVA_VERSION line of a release file's text, or empty when
// no such line is complete within the text.
std::string releaseVersion(std::string_view text);

// One place looked at and what it gave. Kept whole, also when it gave
// nothing, so that the search can be retraced: the place is the folder
// kShippedRuntimeFolder, the classic key, the key kFallbackPlaces[place]
// (with its subkey, when it has one) under root, or kJavaHomeVariable.
struct RuntimeCandidate {
    RuntimeSource source = RuntimeSource::Registry;
    RegistryRoot root = RegistryRoot::None;
    int32_t place = -1;  // index into kFallbackPlaces, for RuntimeSource::Registry
    std::string subkey;  // for RuntimeSource::Registry, the subkey's name
    bool read = true;    // whether its value was read: a subkey named for a
                         // version is read only when its turn comes
    long status = 0;     // the failed call's status; 0 once read
    std::string home;    // the runtime's folder
    std::string version; // the key name's text, or the release file's
    std::string release; // home's release file, where it was read for the version
    bool releaseRead = false;
    bool current = false;   // the subkey that its place's "CurrentVersion" names
    bool alsoJre = false;   // home's jre folder may hold the runtime instead
    bool checked = false;   // whether the library places were looked at
    unsigned libraries = 0; // bit i: kLibraryFiles[i] exists in home
};

constexpr std::size_t kNoCandidate = static_cast<std::size_t>(-1);

// The runtime's folder from a registry or environment value: without
// trailing separators (installers write "C:\...\jdk-17\"), and with
// jreFolder its "jre" folder.
std::string runtimeHome(std::string_view value, bool jreFolder);

// Whether home names a folder by itself: a drive's root path or a UNC path.
// A relative one would be looked up from the working directory, where the
// user's documents are.
bool isAbsoluteHome(std::string_view home);

// Same key name: the registry compares them without regard to ASCII case.
bool sameKeyName(std::string_view a, std::string_view b);

// The candidates that may be used, most wanted first: those not read yet
// and those that gave an absolute home, leaving out the others of a place
// whose "CurrentVersion" names one of its subkeys; the installed ones before
// JAVA_HOME, the highest version first, and among the same version the
// earlier in the list. Whether they hold a library is not looked at.
std::vector<std::size_t> preferenceOrder(const std::vector<RuntimeCandidate>& candidates);

// The first of preferenceOrder that was read and whose library places were
// checked and hold a library, or kNoCandidate.
std::size_t chooseRuntime(const std::vector<RuntimeCandidate>& candidates);

// Whether the classic key's reading ended where another place may still
// give a runtime: no key, no readable version, no versioned key, or a home
// with no library at any of its places (left by an uninstalled runtime). A
// versioned key without its "JavaHome" ends as it always did.
bool fallsBack(JavaOutcome classic, unsigned classicLibraries);

// Whether the process's "path" becomes the runtime's bin directory: for the
// classic key as java_home.h's replacesSearchPath reads the version, for the
// others from version 7 (1.7) on, which an unknown version is not.
bool replacesSearchPathFor(RuntimeSource source, const std::string& version);

// One line for the trace: the place, and what it gave (the failed call's
// status, or the folder with its library places and version).
std::string describeCandidate(const RuntimeCandidate& candidate);

// ---- Windows edge (runtime_choice_win.cpp) ---------------------------------

// Bit i set for each of kLibraryFiles that exists as a file in home: by its
// attributes, without loading it.
unsigned libraryFilesIn(const std::string& home);

// The first kReleaseReadSize bytes of folder's release file, or empty.
std::string releaseTextIn(const std::string& folder);

// The folder kShippedRuntimeFolder in the executable's folder (not the
// working directory), with its library places checked and, when one holds a
// library, its version from the release file.
RuntimeCandidate shippedRuntime(const std::string& executableFolder);

// Appends every subkey of the fallback places, in the order of
// kFallbackPlaces, under HKEY_LOCAL_MACHINE and then HKEY_CURRENT_USER, in
// the 64-bit view alone, and then JAVA_HOME; reads and checks them in
// preferenceOrder until one holds a library, and returns that one's index or
// kNoCandidate. Every text is read into a bounded buffer, and one that does
// not fit is left out whole.
std::size_t findFallbackRuntime(std::vector<RuntimeCandidate>& candidates);
