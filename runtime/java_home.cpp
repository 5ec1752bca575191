#include "java_home.h"

#include <cstdlib>

#ifdef _WIN32
// The C runtime's own strtod, through its import: MinGW's headers put a C99
// reading of their own in its place, 19 KB of the executable for the
// hexadecimal, "inf" and "nan" forms, which no version text is.
extern "C" double(__cdecl* __imp_strtod)(const char*, char**);
#define PELLIX_STRTOD (*__imp_strtod)
#else
#define PELLIX_STRTOD std::strtod
#endif

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading decimal number of text as strtod takes it: blanks, a sign,
// digits with a point among them, an exponent. "0" where there is none: a
// text that does not start with a number, "inf", "nan" and "0x" among them,
// reads as 0 on every platform.
std::string leadingDecimal(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
        ++text;
    }
    const char* end = text + (*text == '+' || *text == '-' ? 1 : 0);
    const char* digits = end;
    while (isDigit(*end)) {
        ++end;
    }
    std::size_t count = static_cast<std::size_t>(end - digits);
    if (*end == '.') {
        const char* fraction = ++end;
        while (isDigit(*end)) {
            ++end;
        }
        count += static_cast<std::size_t>(end - fraction);
    }
    if (count == 0) {
        return "0";
    }
    if (*end == 'e' || *end == 'E') {
        const char* exponent = end + (end[1] == '+' || end[1] == '-' ? 2 : 1);
        if (isDigit(*exponent)) {
            for (end = exponent; isDigit(*end);) {
                ++end;
            }
        }
    }
    return std::string(text, end);
}

} // namespace

std::string versionedKeyName(std::string_view version) {
    std::string name(kRuntimeKeyName);
    name += '\\';
    name += version;
    return name;
}

bool replacesSearchPath(const char* version) {
    // strtod reads the decimal point of the "C" locale, which a GUI process
    // keeps unless it asks for another, and rounds as the version was always
    // compared.
    return PELLIX_STRTOD(leadingDecimal(version).c_str(), nullptr) >= 1.7;
}

bool terminateRegistryText(char* text, std::size_t size, std::size_t capacity) {
    if (size > 0 && size <= capacity && text[size - 1] == '\0') {
        return true;
    }
    if (size >= capacity) {
        return false;
    }
    text[size] = '\0';
    return true;
}
