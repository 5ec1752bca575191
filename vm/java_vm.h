// Creating the virtual machine of the installed runtime inside this process,
// and the launch that runs the application on it.
#pragma once

#include <cstdint>
#include <string>

#include "outcome/java_outcome.h"

// Finds the runtime, loads its virtual machine library and creates the
// machine with the class path and the options of the launcher. Created, or
// where it stopped; the library stays loaded either way.
JavaOutcome startJavaVM(const char* classPath, int32_t extraJarMode);

// Creates the machine and calls the main class's main with this process's
// arguments: Running once main has returned, or where it stopped. Where the
// runtime ends the process while it creates the machine with options from
// the options files, reportEnd is called with EndedInCreation, and the
// process then ends with 1.
JavaOutcome launchJava(const char* classPath, const char* mainClass, int32_t extraJarMode,
                       void (*reportEnd)(JavaOutcome));

// The text of the window for OptionsRefusal, for the last creation.
std::string optionsRefusalMessage();

// Appends the class-path entries of another product's jars for mode to
// option. Returns the failed registry call's status or 0; the launch goes on
// either way.
int32_t appendExtraJars(std::string& option, int32_t mode);
