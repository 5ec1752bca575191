#include "java_home.h"

#include <cstdlib>

std::string versionedKeyName(std::string_view version) {
    std::string name(kRuntimeKeyName);
    name += '\\';
    name += version;
    return name;
}

bool replacesSearchPath(const char* version) {
    // strtod reads the decimal point of the "C" locale, which a GUI process
    // keeps unless it asks for another.
    return std::strtod(version, nullptr) >= 1.7;
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
