// One start of Java: the runtime found, its library loaded, the options
// composed once from the fixed ones, the files' and the class-data cache's,
// the machine created and the application's main called.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "outcome/java_outcome.h"

// Where a launch takes its files from, each found once by the caller.
struct JavaLaunchPlaces {
    std::string executableFolder;   // in the system code page; empty where it cannot be named
    std::u16string optionsFiles[2]; // the administrator's and the user's; empty for none
    std::u16string cacheFolder;     // the class-data cache's; empty for none
};

// How far a launch got, and what the one place that shows a failure needs
// of it.
struct JavaLaunchResult {
    JavaOutcome outcome = JavaOutcome::NoRuntimeKey;
    std::vector<std::u16string> optionsFiles; // the files that gave options
    std::u16string printed;                   // what the runtime printed while creating the machine
};

// Running once main has returned, with the class-data cache's archive made
// in the background where this start listed its classes; otherwise where it
// stopped. Where the runtime ends the process while it creates the machine
// with the files' options, reportEndInCreation is told, and the process then ends
// with 1.
JavaLaunchResult launchJava(const JavaLaunchPlaces& places, const char* classPath,
                            const char* mainClass, int32_t extraJarMode,
                            void (*reportEndInCreation)(const JavaLaunchResult& ended));
