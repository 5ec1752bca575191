// Every call from the launcher into Java.
#pragma once

#include <cstdint>

// The class on which toFront and openFiles are called, in the slash form of
// the Java Native Interface. startApplication sets it.
extern char mainClassName[512];

// Creates the virtual machine and calls the main class's main with this
// process's arguments. Returns 0, or -5 when Java cannot be reached.
int32_t launchJava(const char* classPath, const char* mainClass, int32_t extraJarMode);

// Calls the application's toFront with an empty array.
int32_t callToFront();
