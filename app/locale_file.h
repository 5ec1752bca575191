// The locale settings file "dxr_tavora": the only setting read at run time.
#pragma once

#include <cstdio>
#include <string>

// What became of the settings file, for the trace.
enum class LocaleFileState { NotOpened, NoKey, KeyFound };

// The locale that the settings file gives: the text behind the first
// "locale=" in it, or "en" when the file is missing, unreadable or holds no
// key. The name is relative to the working directory.
std::string readLocale(const char* fileName, LocaleFileState* state = nullptr);

// Reads the file line by line until the first line that holds "locale=" and
// stores the text behind the key into locale. Leaves locale as it was, and
// returns false, when no line holds the key or reading fails before one does.
// Lines may be of any length; a carriage return before the line feed is not
// part of the line.
bool readLocaleSetting(std::FILE* file, std::string& locale);
