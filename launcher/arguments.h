// The launcher's command-line arguments and the text in which a second
// instance forwards them to the first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr int32_t kMaxArguments = 20;
constexpr std::size_t kArgumentSize = 512; // 511 characters and a terminator
constexpr std::size_t kJoinedSize = 8192;  // 8191 characters and a terminator

// A count and up to 20 narrow texts in the system code page. Also the shape
// of one forwarded list on the receiving side.
struct ArgList {
    int32_t count = 0;
    char entries[kMaxArguments][kArgumentSize] = {};
};

// The entries as the array of texts that the calls into Java take; the
// pointers are valid while list lives.
std::array<const char*, kMaxArguments> entryTexts(const ArgList& list);

// Splits a whole command line (program name included) at spaces only.
// Quotes, tabs and backslashes are ordinary characters. Arguments beyond the
// twentieth, and any argument longer than 511 characters, are dropped whole:
// a cut path would name another file.
void splitCommandLine(std::string_view commandLine, ArgList& args);

// This process's own command line, split as above.
void parseCommandLine(ArgList& args);

// Writes every entry followed by "|" into text and returns the length. The
// text ends before the first entry that does not fit whole.
std::size_t joinArguments(const ArgList& args, char (&text)[kJoinedSize]);

// Replaces list with the non-empty "|"-separated fields of text, with the
// same limits as splitCommandLine.
void splitArguments(std::string_view text, ArgList& list);
