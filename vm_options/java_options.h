// The options with which the launcher creates the virtual machine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <jni.h>

// The options and the initialisation arguments that point at them. Not
// copyable: initArgs points into the object itself.
struct JavaLaunchOptions {
    std::vector<std::string> texts;
    std::vector<JavaVMOption> options;
    JavaVMInitArgs initArgs = {};

    JavaLaunchOptions() = default;
    JavaLaunchOptions(const JavaLaunchOptions&) = delete;
    JavaLaunchOptions& operator=(const JavaLaunchOptions&) = delete;
};

// "-Djava.class.path=" followed by the application's class path (which ends
// in its own separator), the runtime's lib directory and rt.jar, and then the
// extra jars. Composed whole, whatever the lengths: a cut class path would
// name other files.
std::string buildClassPathOption(std::string_view classPath, std::string_view javaHome,
                                 std::string_view extraJars);

// The class-path entries of another product's jars in directory: mode 1 the
// single jar "briscaCombo.jar", mode 2 that product's 22 module jars (the
// last without a trailing ";"), any other mode nothing. An empty directory
// gives nothing either: a bare jar name would be looked up in the working
// directory.
std::string extraJarEntries(std::string_view directory, int32_t mode);

// Which of the fixed heap options stay beside the files' options. Each gives
// way where those set that heap in a form that the runtime honours only
// without it: a share or an amount of memory (-XX:MaxRAMPercentage,
// -XX:MaxRAM...), or a size that the fixed one would contradict (an initial
// heap above 364 MB, a maximum below 40 MB), which the runtime refuses.
struct FixedHeap {
    bool initial = true; // -Xms40m
    bool maximum = true; // kFixedMaximumHeapOption
};
constexpr const char* kFixedMaximumHeapOption = "-Xmx364m";
FixedHeap fixedHeapBeside(const std::vector<std::string>& fileOptions);

// Everything that a launch adds to the six fixed options, each in its place.
struct AddedOptions {
    // First of all: the runtime takes its hooks before it reads any option.
    std::vector<JavaVMOption> hooks;
    // The fixed heap options that stay: fixedHeapBeside(userOptions).
    FixedHeap heap;
    // The class-data cache's, after the six; empty for none.
    std::string cacheOption;
    // The options files', last: where the runtime takes the last of an
    // option, theirs is in force.
    std::vector<std::string> userOptions;
};

// Fills the options, the hooks, the six fixed ones (the heap sizes that
// stay, two properties, the class path and an empty option), the cache's and
// the files' options, and the initialisation arguments for version.
void composeLaunchOptions(JavaLaunchOptions& launch, std::string classPathOption, jint version,
                          const AddedOptions& added);

// ---- Windows edge (java_options_win.cpp) ------------------------------------

// Appends the class-path entries of another product's jars for mode to
// option. Returns the failed registry call's status or 0; the launch goes on
// either way.
int32_t appendExtraJars(std::string& option, int32_t mode);
