// How Windows reads a path, for names in the system code page and in UTF-16
// alike: which folder a name depends on, and when two names are the same.
// Only the rules: nothing here looks at the file system.
#pragma once

#include <string>
#include <string_view>

template <typename Char> constexpr bool isSeparator(Char c) {
    return c == Char('\\') || c == Char('/');
}

// Windows compares file and key names without regard to case; the
// launcher's own names need ASCII's alone.
template <typename Char> constexpr Char lowerAscii(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

// What a name depends on besides itself, as Windows resolves it.
enum class PathKind {
    Full,          // "C:\x", "\\server\share\x": nothing
    OnDrive,       // "\x": the working directory's drive
    OnDriveFolder, // "C:x": the folder that drive last had, which only a command prompt keeps
    Relative,      // "x", ".\x", "..\x", and the empty name: the working directory
};
PathKind pathKind(std::string_view name);
PathKind pathKind(std::u16string_view name);

// Whether two texts are the same, ASCII letters' case aside.
bool sameIgnoringCase(std::string_view a, std::string_view b);

// Whether two folders are the same: case (ASCII) and trailing separators
// aside, "/" and "\" alike.
bool sameFolder(std::u16string_view a, std::u16string_view b);

std::string_view withoutTrailingSeparators(std::string_view path);

// "C:" of "C:\x", "\\server\share" of "\\server\share\x"; empty for a path
// of any other kind.
std::u16string_view rootOf(std::u16string_view path);

// The folder of a file's full path: "C:\App" of "C:\App\Pellix2.exe", and
// "C:\" of "C:\Pellix2.exe". Empty where the path holds no separator.
std::string folderOf(std::string_view path);
std::u16string folderOf(std::u16string_view path);

// "C:\App" + "lib\x.jar" with one separator, also where the folder is a
// root.
std::string joinPath(std::string_view folder, std::string_view name);
std::u16string joinPath(std::u16string_view folder, std::u16string_view name);
