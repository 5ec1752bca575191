// The runtime's virtual machine library in this process, and the creation of
// the machine from it.
#pragma once

#include <string>
#include <string_view>

#include "java_creation.h"
#include "outcome/java_outcome.h"
#include "vm_options/java_options.h"

// The library as loaded: its path, the interface version that its place is
// asked for, and its creation export.
struct JavaLibrary {
    std::string path;
    jint version = 0;
    CreateJavaVMFn createJavaVM = nullptr;
};

// Loads the first of the three places' libraries under home that loads, for
// the life of the process, and finds its two exports: LibraryLoaded, or
// where it stopped. Dependent libraries are found in home's bin directory
// from here on.
JavaOutcome loadJavaLibrary(const std::string& home, JavaLibrary& library);

// Creates the machine with launch's options into vm and env. With
// listening.hooks, what the runtime prints goes where its C runtime would
// have written it and to the trace; with listening.blameOptions, an ending
// in the creation goes to endInCreation with context.
JavaOutcome createJavaVM(const JavaLibrary& library, JavaLaunchOptions& launch,
                         const Listening& listening,
                         void (*endInCreation)(std::string_view printed, void* context),
                         void* context, JavaVM** vm, JNIEnv** env);
