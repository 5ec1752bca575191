// A start the launcher's way, natively, for the programs that need a fresh
// machine per start: the runtime's library loaded, the machine created with
// the six options and the extras, main called. 0 once main has returned.
#pragma once

#include "launcher/java/java_calls.h"
#include "launcher/java/java_options.h"

#include <dlfcn.h>

inline int launchNatively(const std::string& libjvm, std::string classPathOption,
                          const char* const* extras, int extraCount, const char* mainClass) {
    using CreateJavaVMFn = jint (*)(JavaVM**, void**, void*);
    void* library = dlopen(libjvm.c_str(), RTLD_NOW);
    const auto create = reinterpret_cast<CreateJavaVMFn>(
        library == nullptr ? nullptr : dlsym(library, "JNI_CreateJavaVM"));
    JavaLaunchOptions launch;
    fillLaunchOptions(launch, std::move(classPathOption), JNI_VERSION_1_4, extras, extraCount);
    // The machine is never destroyed, as in the launcher.
    return create == nullptr                                                           ? 3
           : create(&javaVM, reinterpret_cast<void**>(&javaEnv), &launch.initArgs) < 0 ? 4
           : callJavaMain(mainClass) == 0                                              ? 0
                                                                                       : 5;
}
