// Where the application's files are taken from. A file association, a
// shortcut without a start folder or a command prompt elsewhere starts the
// launcher in the document's folder, where the relative class path names
// nothing.
#pragma once

#include <string>
#include <string_view>

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

// The folder of a module's full path: "C:\App" of "C:\App\Pellix2.exe", and
// "C:\" of "C:\Pellix2.exe". Empty where the path holds no separator.
std::string folderOf(std::string_view modulePath);

// classPath (entries each followed by ";") with every relative entry taken
// from folder: "." becomes the folder itself, ".\lib\x.jar" and "x.jar" the
// file in it. Entries with a drive or a UNC path stay as they are.
std::string classPathIn(std::string_view classPath, std::string_view folder);

// "C:\App" + "lib\x.jar" with one separator, also where the folder is a root.
std::string joinPath(std::string_view folder, std::string_view relative);
