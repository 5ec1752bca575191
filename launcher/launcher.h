// The launcher's exported functions.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define PELLIX_EXPORT extern "C" __declspec(dllexport)
#else
#define PELLIX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Keeps the application to one instance per logon session. A second start
// forwards its arguments to the first instance and returns 0 or the
// messaging client's code (-1 to -4); a first start launches Java and, when
// that succeeds, never returns: it waits for signals from later starts. A
// failed launch returns -5.
PELLIX_EXPORT int32_t startApplication(const char* mutexName, const char* classPath, void* unused,
                                       const char* mainClass, const char* laterCallsClass,
                                       int32_t extraJarMode);

// Calls the static method "([Ljava/lang/String;)I" of className with a string
// array of count texts and returns its result, or -5 when the class, the
// method or the array cannot be had. Call it on the thread that created the
// virtual machine.
PELLIX_EXPORT int32_t callJavaMethod(const char* className, const char* methodName, int32_t count,
                                     const char* const* texts);
