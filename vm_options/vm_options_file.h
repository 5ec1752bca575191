// The files in which an administrator and a user give the virtual machine
// options of their own, one a line, as Notepad saves them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Bounds that keep a stray file from slowing a start or flooding the
// runtime. A larger file is not read at all: a cut one would end in half an
// option.
constexpr std::size_t kVmOptionsFileBytes = 65536;
constexpr std::size_t kVmOptionLength = 4096; // characters, after trimming
constexpr std::size_t kVmOptionsPerFile = 256;

enum class VmOptionVerdict {
    Taken,
    BeyondCount,       // kVmOptionsPerFile options came before it
    TooLong,           // longer than kVmOptionLength
    ReplacesClassPath, // the application would lose its own class path
    NotInCodePage,     // a character that the system code page cannot carry
};

struct VmOptionLine {
    std::size_t number; // from 1, counting every line of the file
    VmOptionVerdict verdict;
    std::string text; // in the system code page; empty where it cannot be
};

struct VmOptionsText {
    const char* encoding = "";
    bool tooLarge = false;
    std::vector<VmOptionLine> lines; // every line that holds an option
};

// UTF-16 to the system code page; false where a character has no
// counterpart there (a best fit would pass another option than written).
using ToSystemCodePage = bool (*)(std::u16string_view text, std::string& out);

// The options of one file's bytes: UTF-16 with its mark, UTF-8 with or
// without, else the system code page; LF or CR LF; blanks around an option
// trimmed, blank lines and lines starting with # skipped.
VmOptionsText readVmOptions(std::string_view bytes, ToSystemCodePage toSystem);

const char* verdictName(VmOptionVerdict verdict);

// ---- Windows edge (vm_options_file_win.cpp) ----------------------------------

struct VmOptionsFiles {
    std::vector<std::string> options;  // taken, the administrator's first
    std::vector<std::u16string> names; // the files that gave any
};

// Reads the administrator's file and then the user's (none where a path is
// empty: the user's is, where APPDATA is not set), tracing every file and
// line. Options go to the runtime in the system code page.
VmOptionsFiles readVmOptionsFiles(const std::u16string& administrators,
                                  const std::u16string& users);
