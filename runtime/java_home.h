// Finding the Java runtime to use: the classic registry key, as always read,
// and where it gives none, the places of runtime_choice.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "outcome/java_outcome.h"
#include "runtime_choice.h"

constexpr std::size_t kRegistryTextSize = 4096;

// Where runtimes register, under HKEY_LOCAL_MACHINE.
constexpr const char* kRuntimeKeyName = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

// The runtime that a launch uses, as discovery found it: every fact that
// the later steps take of it, each found once.
struct JavaRuntime {
    std::string home;
    std::string version;        // as its place gave it: the key's text, or the release file's
    std::string release;        // the first kReleaseReadSize bytes of its release file
    std::string releaseVersion; // that file's JAVA_VERSION; empty without one
    RuntimeSource source = RuntimeSource::Classic;
    bool openJ9Place = false; // found under a key that only OpenJ9 runtimes use
};

// What discovery found: the runtime (HomeFound), or where the classic key's
// reading stopped and the failed registry call's status. tried holds every
// place looked at, in the order they were looked at, and chosen the index
// there of the runtime used.
struct JavaHomeLookup {
    JavaOutcome outcome = JavaOutcome::NoRuntimeKey;
    long status = 0;
    JavaRuntime runtime;
    std::vector<RuntimeCandidate> tried;
    std::size_t chosen = kNoCandidate;
};

// Finds the runtime to use: one shipped in the folder "jre" of
// executableFolder (the executable's, in the system code page; none where it
// is empty) when it holds a library; otherwise the current runtime of the
// classic key, as read always; and only where that reading would end with
// the missing-Java dialog, the best runtime of the fallback places and
// JAVA_HOME, when one holds a library. Changes nothing: the caller puts to
// use what it found.
JavaHomeLookup findJavaHome(const std::string& executableFolder);

// Replaces the process's "path" with the runtime's bin directory for
// runtimes of version 1.7 or later, before its library loads.
void useJavaHome(const JavaRuntime& runtime);

// kRuntimeKeyName, a backslash and the version text.
std::string versionedKeyName(std::string_view version);

// Whether the version text, read as a decimal number the way strtod reads
// it, is 1.7 or more: "1.10" reads as 1.1, and a text that does not start
// with a decimal number as 0.
bool replacesSearchPath(const char* version);

// Reads the text value valueName of keyName under HKEY_LOCAL_MACHINE, in
// this 64-bit process's own registry view, into text of capacity bytes, and
// closes the key right after. The value's type is not looked at. Returns 0,
// the failed registry call's status, or ERROR_MORE_DATA when the value and a
// terminator do not fit; opened says whether the key could be opened.
long readMachineText(const char* keyName, const char* valueName, char* text, std::size_t capacity,
                     bool& opened);

// Makes a value read from the registry a terminated text: values need not
// carry their terminator. size is what the read reported, capacity the
// buffer's. Returns false when no terminator fits.
bool terminateRegistryText(char* text, std::size_t size, std::size_t capacity);
