#include "trace.h"

#include <cstdarg>
#include <cstdio>
#include <string>

bool traceEnabled = false;

namespace {

TraceSink traceSink = nullptr;

} // namespace

void setTraceSink(TraceSink sink) {
    traceSink = sink;
    traceEnabled = sink != nullptr;
}

namespace {

// The length of the formatted text, and the text into a buffer of size
// bytes when it fits with its terminator. On Windows by the C runtime's own
// functions: the C99 vsnprintf of MinGW brings its whole printf (about
// 17 KB) into the executable for a trace that is mostly off.
int formatText(char* buffer, std::size_t size, const char* format, va_list args) {
#ifdef _WIN32
    va_list measured;
    va_copy(measured, args);
    const int length = _vscprintf(format, measured);
    va_end(measured);
    if (length >= 0 && static_cast<std::size_t>(length) < size) {
        _vsnprintf(buffer, size, format, args);
        buffer[length] = '\0';
    }
    return length;
#else
    return std::vsnprintf(buffer, size, format, args);
#endif
}

} // namespace

std::string formatToString(const char* format, va_list args) {
    char small[512];
    va_list measured;
    va_copy(measured, args);
    const int length = formatText(small, sizeof small, format, measured);
    va_end(measured);
    if (length < 0) {
        return {};
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        return std::string(small, static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    formatText(text.data(), text.size(), format, args);
    text.pop_back();
    return text;
}

// A printf-like interface on purpose: a trace point then costs no template
// instance of its own, and the compiler checks each format against its
// arguments.
// NOLINTNEXTLINE(cert-dcl50-cpp)
void traceWrite(const char* format, ...) {
    if (traceSink == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    try {
        // A class path or a command line is written at its full length: a
        // trace is read for exactly the texts that would be cut.
        traceSink(formatToString(format, args));
    } catch (...) {
        // Out of memory: the trace never stops a launch.
    }
    va_end(args);
}
