// A UTF-16 text for a failure report, natively and under Wine: printable
// ASCII as it is, any other unit as \uXXXX, the form the tests write
// expected texts in.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

template <typename Text> std::string printable(const Text& text) {
    std::string out;
    for (const auto unit : text) {
        if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
            out += escape;
        }
    }
    return out;
}

template <typename Char> std::string printable(const Char* text) {
    return printable(std::basic_string_view<Char>(text));
}
