// Creating the virtual machine while listening to the runtime: what it
// prints, through the "vfprintf" option, and how it ends the process,
// through the "exit" and "abort" options.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <jni.h>

#include "vm_options/java_options.h"
#include "outcome/java_outcome.h"

using CreateJavaVMFn = jint(JNICALL*)(JavaVM**, void**, void*);

// Where the hooks pass on what they hear. Every member may be null.
struct RuntimeListener {
    // Each text that the runtime prints, for the stream that it names, one
    // of the runtime's own C runtime.
    void (*forward)(const std::FILE* stream, std::string_view text) = nullptr;
    // Each whole line of it, for the trace.
    void (*line)(std::string_view line) = nullptr;
    // The runtime ends the process while the machine is being created, with
    // this outcome; expected not to return. When it returns, or is null, the
    // runtime ends the process its own way. Set, it also turns a refused
    // creation into OptionsRefused: the options files are to blame.
    void (*endedInCreation)(JavaOutcome outcome) = nullptr;
};

// The three hook options. They go before every other option: the runtime
// prints its word on an option while it reads the options, through whatever
// hook it holds by then.
std::vector<JavaVMOption> runtimeHooks();

// Creates the machine with launch's options, which may hold the hooks, and
// sets javaVM and javaEnv. Created, or why not.
JavaOutcome createJavaMachine(CreateJavaVMFn create, JavaLaunchOptions& launch,
                              const RuntimeListener& listener);

// What the runtime printed while the last creation ran, cut after
// kPrintedLimit bytes.
constexpr std::size_t kPrintedLimit = 4096;
std::string printedInCreation();
