// The launcher's command-line arguments and the text in which a second
// instance forwards them to the first, in both widths: narrow texts in the
// system code page, and UTF-16, which holds every file name that Windows
// allows, unpaired surrogates included. Both are split and joined by the
// same rules; only the unit differs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr int32_t kMaxArguments = 20;
constexpr std::size_t kArgumentSize = 512; // 511 units and a terminator
constexpr std::size_t kJoinedSize = 8192;  // 8191 units and a terminator

// A count and up to 20 terminated texts. Also the shape of one forwarded
// list on the receiving side.
template <typename Char> struct BasicArgList {
    int32_t count = 0;
    Char entries[kMaxArguments][kArgumentSize] = {};
};

// Narrow texts in the system code page.
using ArgList = BasicArgList<char>;
// UTF-16 texts, as Windows holds the command line and file names.
using WideArgList = BasicArgList<char16_t>;

// The entries as the array of texts that the calls into Java take; the
// pointers are valid while list lives.
std::array<const char*, kMaxArguments> entryTexts(const ArgList& list);
std::array<const char16_t*, kMaxArguments> entryTexts(const WideArgList& list);

// Splits a whole command line (program name included) at spaces (U+0020)
// only. Quotes, tabs and backslashes are ordinary characters. Arguments
// beyond the twentieth, and any argument longer than 511 units, are dropped
// whole: a cut path would name another file.
void splitCommandLine(std::string_view commandLine, ArgList& args);
void splitCommandLine(std::u16string_view commandLine, WideArgList& args);

// This process's own command line, split as above: as the system code page
// gives it, or as UTF-16.
void parseCommandLine(ArgList& args);
void parseCommandLine(WideArgList& args);

// Writes every entry followed by "|" into text and returns the length. The
// text ends before the first entry that does not fit whole.
std::size_t joinArguments(const ArgList& args, char (&text)[kJoinedSize]);
std::size_t joinArguments(const WideArgList& args, char16_t (&text)[kJoinedSize]);

// The fields that a split left out, for the trace.
struct DroppedFields {
    int32_t tooLong = 0;     // longer than 511 units
    int32_t beyondLimit = 0; // of a length that fits, after the twentieth
};

// Replaces list with the non-empty "|"-separated fields of text, with the
// same limits as splitCommandLine, and counts into dropped what it left
// out. Only U+007C separates.
void splitArguments(std::string_view text, ArgList& list, DroppedFields* dropped = nullptr);
void splitArguments(std::u16string_view text, WideArgList& list, DroppedFields* dropped = nullptr);
