// Every call from the launcher into Java, on the thread that created the
// virtual machine. The exported callJavaMethod, defined with them, is
// declared in launcher/launcher.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <jni.h>

// Written by the creation of the virtual machine. The environment is valid
// on the creating thread alone; the machine itself is never destroyed.
extern JavaVM* javaVM;
extern JNIEnv* javaEnv;

// The class on which toFront and openFiles are called, in the slash form of
// the Java Native Interface. startApplication sets it.
extern char mainClassName[512];

// Calls mainClass's static main with this process's arguments. Returns 0,
// or kJavaUnreachable when the class, the method or the array cannot be had, or when main
// ends with an exception.
int32_t callJavaMain(const char* mainClass);

// Calls the application's toFront with an empty array.
int32_t callToFront();

// A text of this process (system code page) as the modified UTF-8 that
// NewStringUTF expects.
std::string toModifiedUtf8(std::string_view systemText);

// The platform edges of the calls above, in java_calls_win.cpp.
std::u16string systemTextToUtf16(std::string_view systemText);
void showJavaMethodError();
