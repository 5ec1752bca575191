// What the fuzz targets share: a check that traps, so that libFuzzer keeps
// the input that broke a property, and the limits of an argument list stated
// over the fields of a text.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "launcher/arguments.h"

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,             \
                         #condition);                                                              \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

namespace fuzz {

using Fields = std::vector<std::string_view>;

// The maximal runs of characters other than separator, in order.
inline Fields fieldsOf(std::string_view text, char separator) {
    Fields fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            if (i > start) {
                fields.push_back(text.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return fields;
}

// What a list keeps of these fields: the first twenty that fit, an over-long
// one dropped whole and not counted.
inline Fields keptEntries(const Fields& fields) {
    Fields kept;
    for (std::string_view field : fields) {
        if (kept.size() == static_cast<std::size_t>(kMaxArguments)) {
            break;
        }
        if (field.size() < kArgumentSize) {
            kept.push_back(field);
        }
    }
    return kept;
}

// The list holds exactly these entries, each whole and terminated in its slot.
inline void checkList(const ArgList& list, const Fields& expected) {
    FUZZ_CHECK(list.count >= 0 && list.count <= kMaxArguments);
    FUZZ_CHECK(static_cast<std::size_t>(list.count) == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(expected[i].size() < kArgumentSize);
        FUZZ_CHECK(std::memcmp(list.entries[i], expected[i].data(), expected[i].size()) == 0);
        FUZZ_CHECK(list.entries[i][expected[i].size()] == '\0');
    }
}

} // namespace fuzz
