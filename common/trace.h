// The trace that a support desk asks for when a launch fails: off unless the
// environment variable PELLIX_TRACE names a file, and then one line per
// event, appended by every process that shares the file. When it is off, a
// trace point costs one test of a flag: its arguments are not evaluated.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

// Where a finished line goes; it holds the text alone, without a line end.
using TraceSink = void (*)(std::string_view text);

// Set once, before any other thread runs; a null sink turns the trace off.
void setTraceSink(TraceSink sink);

// Whether a sink is set. Read through TRACE.
extern bool traceEnabled;

// Formats one line as printf does and hands it to the sink.
__attribute__((format(printf, 1, 2))) void traceWrite(const char* format, ...);

// A text formatted as vprintf would print it, whatever its length; empty
// when the format is broken.
std::string formatToString(const char* format, va_list args);

// A build for the benchmarks compiles every trace point out, so that what
// they cost while off can be measured against nothing.
#ifdef PELLIX_NO_TRACE
#define TRACE(...)                                                                                 \
    do {                                                                                           \
        if (false) {                                                                               \
            traceWrite(__VA_ARGS__);                                                               \
        }                                                                                          \
    } while (false)
#else
#define TRACE(...)                                                                                 \
    do {                                                                                           \
        if (traceEnabled) {                                                                        \
            traceWrite(__VA_ARGS__);                                                               \
        }                                                                                          \
    } while (false)
#endif
