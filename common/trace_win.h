// The Windows side of the trace: the file that PELLIX_TRACE names.
#pragma once

#include <string>

#include "trace.h"

// Opens the file that PELLIX_TRACE names, for appending, and turns the trace
// on; leaves it off, silently, when the variable is unset or empty or the
// file cannot be opened. Called once, first thing in the process.
void startTrace();

// A text for the trace file, which is UTF-8: from UTF-16, or from the
// system's code page in which the launcher holds its narrow texts.
std::string traceUtf8(const wchar_t* text);
std::string traceUtf8(const char* systemText);
std::string traceUtf8(const std::u16string& text);
