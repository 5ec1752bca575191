// Every call from the launcher into Java, on the thread that created the
// virtual machine. The exported callJavaMethod, defined with them, is
// declared in launcher/launcher.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <jni.h>

#include "launcher/pending_files.h"

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

// The exported callJavaMethod for texts that the launcher holds as UTF-16:
// each reaches Java unit for unit, unpaired surrogates included.
int32_t callJavaMethodUtf16(const char* className, const char* methodName, int32_t count,
                            const char16_t* const* texts);

// Calls the application's openFiles with one handed-over list: a UTF-16 one
// as it is, a narrow one converted from the system code page as the
// exported call converts it.
int32_t callOpenFiles(const PendingList& list);

// UTF-16 as the modified UTF-8 that NewStringUTF expects, and a text of this
// process (system code page) likewise.
std::string toModifiedUtf8(std::u16string_view text);
std::string toModifiedUtf8(std::string_view systemText);

// The platform edges of the calls above, in java_calls_win.cpp.
std::u16string systemTextToUtf16(std::string_view systemText);
void showJavaMethodError();
