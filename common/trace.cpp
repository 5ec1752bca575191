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

void traceWrite(const char* format, ...) {
    if (traceSink == nullptr) {
        return;
    }
    // Most lines fit the first try; a class path or a command line may not,
    // and is then formatted again at its full length: a trace is read for
    // exactly the texts that would be cut.
    char small[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        traceSink(std::string_view(small, static_cast<std::size_t>(length)));
        return;
    }
    try {
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        va_start(args, format);
        std::vsnprintf(text.data(), text.size(), format, args);
        va_end(args);
        text.pop_back();
        traceSink(text);
    } catch (...) {
        // Out of memory: the trace never stops a launch.
    }
}
