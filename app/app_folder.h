// Where the application's files are taken from. A file association, a
// shortcut without a start folder or a command prompt elsewhere starts the
// launcher in the document's folder, where the relative class path names
// nothing.
#pragma once

#include <string>
#include <string_view>

#include "common/path_rules.h"
#include "common/places.h"
#include "launcher/launch_driver.h"

enum class AppFolderReason {
    WorkingHoldsJar,    // started in the application's folder, as always
    ExecutableHoldsJar, // started elsewhere: the executable's folder holds it
    NeitherHoldsJar,    // nothing better to go by: as always
};

struct AppFolderChoice {
    bool fromExecutable = false;       // class path taken from the executable's folder
    bool localeFromExecutable = false; // the locale file too, as the working directory has none
    AppFolderReason reason = AppFolderReason::WorkingHoldsJar;
};

// The working directory wins whenever it holds the application jar, and
// when neither folder does: then nothing changes at all.
AppFolderChoice chooseAppFolder(bool workingHasJar, bool executableHasJar, bool workingHasLocale,
                                bool executableHasLocale);

// The class path's first jar, the one whose presence says where the
// application lies: its entry as written, or empty when it names none.
std::string_view applicationJar(std::string_view classPath);

// classPath (entries each followed by ";") with every relative entry taken
// from folder: "." becomes the folder itself, ".\lib\x.jar" and "x.jar" the
// file in it. Entries with a drive, on the working directory's drive ("\x")
// or on a UNC path stay as they are.
std::string classPathIn(std::string_view classPath, std::string_view folder);

// Where this start's files are, from the places found and the executable's
// folder in the system code page: the options files beside the executable
// and in the user's roaming folder, the class-data cache in the local one;
// none where its folder is unknown.
LaunchPlaces launchPlacesFor(const Places& places, std::string executableFolder);
