// Creating the virtual machine while listening to the runtime: what it
// prints, through the "vfprintf" option, and how it ends the process,
// through the "exit" and "abort" options.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <jni.h>

#include "outcome/java_outcome.h"
#include "vm_options/java_options.h"

using CreateJavaVMFn = jint(JNICALL*)(JavaVM**, void**, void*);

// The interface versions that a library is asked for; a machine must give
// 1.4 at least.
constexpr jint kJniVersion12 = 0x00010002;
constexpr jint kJniVersion14 = 0x00010004;

// How a creation listens to the runtime.
struct Listening {
    bool hooks = false;        // the three hook options go before every other
    bool blameOptions = false; // a refusal, or an ending in the creation, is the files' doing
};

// Without options from a file and without the trace, the runtime gets
// exactly the fixed options, as it always did. Only the files' options can
// be to blame for a refusal: the trace's hooks change nothing that the
// runtime decides.
Listening listeningFor(bool optionsFromFiles, bool traceOn);

// Where the hooks pass on what they hear. Every member may be null.
struct RuntimeListener {
    // Each text that the runtime prints, for the stream that it names, one
    // of the runtime's own C runtime.
    void (*forward)(const std::FILE* stream, std::string_view text) = nullptr;
    // Each whole line of it, for the trace.
    void (*line)(std::string_view line) = nullptr;
    // The runtime ends the process while the machine is being created: told
    // what the runtime printed until then, with context, and expected not to
    // return. Where it returns, or is null, the runtime ends the process its
    // own way.
    void (*endInCreation)(std::string_view printed, void* context) = nullptr;
    void* context = nullptr;
};

// The three hook options. They go before every other option: the runtime
// prints its word on an option while it reads the options, through whatever
// hook it holds by then.
std::vector<JavaVMOption> runtimeHooks();

// What a creation came to: JNI_CreateJavaVM's result and the version read
// back after it (a runtime that was asked for 1.2 does not pass, whatever it
// answered).
JavaOutcome creationOutcome(jint created, jint versionReadBack, bool blameOptions);

// Creates the machine with launch's options, which may hold the hooks, into
// vm and env. Created, or why not.
JavaOutcome createJavaMachine(CreateJavaVMFn create, JavaLaunchOptions& launch,
                              const RuntimeListener& listener, bool blameOptions, JavaVM** vm,
                              JNIEnv** env);

// What the runtime printed while the last creation ran, cut after
// kPrintedLimit bytes.
constexpr std::size_t kPrintedLimit = 4096;
std::string printedInCreation();
