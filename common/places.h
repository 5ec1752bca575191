// The places that one start of Pellix2 depends on, asked of Windows once,
// first thing, and handed on as values: every room then takes the folder it
// needs from the caller instead of asking again.
#pragma once

#include <string>

struct Places {
    std::u16string executable;    // this executable's full path; empty where none can be had
    std::u16string workingFolder; // against which the user's relative names mean something
    std::u16string roamingData;   // %APPDATA%; empty where the variable is not set
    std::u16string localData;     // %LOCALAPPDATA%; likewise
};

// In places_win.cpp.
Places findPlaces();
