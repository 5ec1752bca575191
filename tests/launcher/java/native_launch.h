// A start the launcher's way, natively: the runtime's library loaded as
// jvm.dll is, the machine created with the six options and the launcher's
// extras, and main called. Shared by the programs that need a fresh machine
// per start (a process can create one): the class-data cycle test and the
// benchmark.
#pragma once

#include "launcher/java/java_calls.h"
#include "launcher/java/java_options.h"

#include <dlfcn.h>
#include <jni.h>

#include <string>
#include <vector>

// 0 once main has returned; 3 without the library or its exports, 4 when the
// creation fails, 5 when main cannot be called.
inline int launchNatively(const std::string& libjvm, std::string classPathOption,
                          std::vector<std::string> extras, const char* mainClass) {
    void* library = dlopen(libjvm.c_str(), RTLD_NOW);
    if (library == nullptr || dlsym(library, "JNI_GetDefaultJavaVMInitArgs") == nullptr) {
        return 3;
    }
    using CreateJavaVMFn = jint (*)(JavaVM**, void**, void*);
    auto create = reinterpret_cast<CreateJavaVMFn>(dlsym(library, "JNI_CreateJavaVM"));
    if (create == nullptr) {
        return 3;
    }
    JavaLaunchOptions launch;
    fillLaunchOptions(launch, std::move(classPathOption), JNI_VERSION_1_4, std::move(extras));
    if (create(&javaVM, reinterpret_cast<void**>(&javaEnv), &launch.initArgs) < 0) {
        return 4;
    }
    // The machine is never destroyed, as in the launcher.
    return callJavaMain(mainClass) == 0 ? 0 : 5;
}
