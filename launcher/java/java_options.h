// The options with which the launcher creates the virtual machine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <jni.h>

// The six options, the launcher's extras after them, and the initialisation
// arguments that point at them. Not copyable: initArgs points into the
// object itself.
struct JavaLaunchOptions {
    static constexpr int kMaxExtras = 4;
    std::string texts[6];
    JavaVMOption options[6 + kMaxExtras] = {};
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

// Fills the six options (heap sizes, two properties, the class path and an
// empty last option), then up to kMaxExtras extras, whose texts the caller
// keeps, and the initialisation arguments for version.
void fillLaunchOptions(JavaLaunchOptions& launch, std::string classPathOption, jint version,
                       const char* const* extras = nullptr, int extraCount = 0);
