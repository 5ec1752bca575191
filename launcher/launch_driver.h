// The launch driver as the executable's entry calls it: with the places
// that it found once.
#pragma once

#include <cstdint>
#include <string>

#include "java_launch.h"

struct LaunchPlaces {
    JavaLaunchPlaces java;        // for the first instance's start of Java
    std::u16string workingFolder; // against which this start's relative names mean something
};

// startApplication (launcher.h) with the places found.
int32_t startApplicationIn(const LaunchPlaces& places, const char* mutexName, const char* classPath,
                           const char* mainClass, const char* laterCallsClass,
                           int32_t extraJarMode);
