// The launcher's exported functions and the result that callers compare.
// startApplication lives in app/main_win.cpp, beside the entry that finds the
// places it needs, callJavaMethod in java_calls/java_calls.cpp; this header
// includes nothing of the project, so that both may declare their export
// through it.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define PELLIX_EXPORT extern "C" __declspec(dllexport)
#else
#define PELLIX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Java cannot be reached: no runtime, no virtual machine, or a class, method
// or string array missing. The value is what callers of the exports see.
constexpr int32_t kJavaUnreachable = -5;

// Keeps the application to one instance per logon session. A second start
// forwards its arguments to the first instance and returns 0 or the
// messaging client's code (remote_calls.h); a first start launches Java and,
// when that succeeds, never returns: it waits for signals from later starts.
// A failed launch returns kJavaUnreachable.
PELLIX_EXPORT int32_t startApplication(const char* mutexName, const char* classPath, void* unused,
                                       const char* mainClass, const char* laterCallsClass,
                                       int32_t extraJarMode);

// Calls the static method "([Ljava/lang/String;)I" of className with a string
// array of count texts and returns its result, or kJavaUnreachable when the
// class, the method or the array cannot be had. Call it on the thread that
// created the virtual machine.
PELLIX_EXPORT int32_t callJavaMethod(const char* className, const char* methodName, int32_t count,
                                     const char* const* texts);
