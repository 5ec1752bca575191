// Creating the virtual machine of the installed runtime inside this process,
// and the launch that runs the application on it.
#pragma once

#include <cstdint>
#include <string>

#include "java_outcome.h"

// Finds the runtime, loads its virtual machine library and creates the
// machine with the class path and the options of the launcher. Created, or
// where it stopped; the library stays loaded either way.
JavaOutcome startJavaVM(const char* classPath, int32_t extraJarMode);

// Creates the machine and calls the main class's main with this process's
// arguments: Running once main has returned, or where it stopped.
JavaOutcome launchJava(const char* classPath, const char* mainClass, int32_t extraJarMode);

// Appends the class-path entries of another product's jars for mode to
// option. Returns the failed registry call's status or 0; the launch goes on
// either way.
int32_t appendExtraJars(std::string& option, int32_t mode);
