// How far the launch got towards a running Java application, and what the
// user is told when it stopped short. Discovery, library loading, creation
// and the call of main each only say what they found; the launch driver
// alone turns that into what the user sees.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class JavaOutcome : int32_t {
    // On the way.
    HomeFound,     // a runtime's home directory is known
    LibraryLoaded, // its library is loaded and has both exports
    Created,       // its virtual machine exists
    Running,       // main has returned: the application is up
    // Discovery failed.
    NoRuntimeKey,     // the runtimes' registry key cannot be opened
    NoCurrentVersion, // its "CurrentVersion" cannot be read
    NoVersionedKey,   // the key of that version cannot be opened
    NoJavaHome,       // that key has no readable "JavaHome"
    // The library or its creation failed.
    NoLibrary,           // none of the three places loads
    NoDefaultArgsExport, // no "JNI_GetDefaultJavaVMInitArgs"
    NoCreateExport,      // no "JNI_CreateJavaVM"
    CreationFailed,      // JNI_CreateJavaVM returned a negative result
    VersionTooLow,       // the version read back is below 1.4
    // With options from the options files.
    OptionsRefused,  // JNI_CreateJavaVM returned a negative result
    EndedInCreation, // the runtime ended the process while creating
    // The machine exists but the application could not be run.
    MainNotCalled, // the main class, its main or the argument array is missing
};

enum class FailureReport {
    GoOn,              // nothing failed
    MissingJavaDialog, // the user must install Java: the dialog, then the end
    SilentEnd,         // the launch ends without a word
    OptionsRefusal,    // the options files' names and the runtime's words, then the end
};

// The outcome's name, for the trace.
const char* outcomeName(JavaOutcome outcome);

// What the user gets for an outcome. A runtime that is registered but has no
// home, and an application that cannot be run, end silently: installing Java
// would not help.
FailureReport reportFor(JavaOutcome outcome);

// The text of the window for OptionsRefusal: the options files that gave
// options and what the runtime printed.
std::u16string optionsRefusalText(const std::vector<std::u16string>& files,
                                  std::u16string_view printed);
