// What the fuzz targets share: a check that traps, so that libFuzzer keeps
// the input that broke a property, and the limits of an argument list stated
// over the fields of a text, in either width.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
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

template <typename Char> using FieldsOf = std::vector<std::basic_string_view<Char>>;
using Fields = FieldsOf<char>;
using WideFields = FieldsOf<char16_t>;

// Keeps a parameter out of template deduction, so that a character array
// or a literal converts to the view of the separator's width.
template <typename T> struct Plain { using type = T; };

// The maximal runs of characters other than separator, in order.
template <typename Char>
FieldsOf<Char> fieldsOf(typename Plain<std::basic_string_view<Char>>::type text, Char separator) {
    FieldsOf<Char> fields;
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
template <typename Char> FieldsOf<Char> keptEntries(const FieldsOf<Char>& fields) {
    FieldsOf<Char> kept;
    for (std::basic_string_view<Char> field : fields) {
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
template <typename Char>
void checkList(const BasicArgList<Char>& list, const FieldsOf<Char>& expected) {
    FUZZ_CHECK(list.count >= 0 && list.count <= kMaxArguments);
    FUZZ_CHECK(static_cast<std::size_t>(list.count) == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(expected[i].size() < kArgumentSize);
        FUZZ_CHECK(std::equal(expected[i].begin(), expected[i].end(), list.entries[i]));
        FUZZ_CHECK(list.entries[i][expected[i].size()] == Char{});
    }
}

// The arguments of a command line as arguments.h describes them, found
// another way: over the fields of the line rather than by scanning past the
// program name.
template <typename Char> FieldsOf<Char> expectedArguments(std::basic_string_view<Char> line) {
    const Char space{' '};
    if (!line.empty() && line[0] == Char{'"'}) {
        const std::size_t closing = line.find(Char{'"'}, 1);
        if (closing == std::basic_string_view<Char>::npos || closing + 2 > line.size()) {
            return {};
        }
        return keptEntries(fieldsOf(line.substr(closing + 2), space));
    }
    FieldsOf<Char> fields = fieldsOf(line, space);
    if (fields.empty()) {
        return {};
    }
    fields.erase(fields.begin()); // the program name
    return keptEntries(fields);
}

// Joins list and checks the text: the entries' texts, each followed by a
// bar, for the longest run of leading entries that fits in 8191 units.
// Returns how many entries the text holds, and its length in length.
template <typename Char>
std::size_t joinAndCheck(const BasicArgList<Char>& list, Char (&text)[kJoinedSize],
                         std::size_t& length) {
    std::fill(std::begin(text), std::end(text), Char{0x5A}); // terminated by the join itself
    length = joinArguments(list, text);
    FUZZ_CHECK(length <= kJoinedSize - 1);
    FUZZ_CHECK(text[length] == Char{});

    std::size_t offset = 0;
    std::size_t joined = 0;
    for (; joined < static_cast<std::size_t>(list.count); ++joined) {
        const Char* entry = list.entries[joined];
        const std::size_t entryLength =
            static_cast<std::size_t>(std::find(entry, entry + kArgumentSize, Char{}) - entry);
        FUZZ_CHECK(entryLength < kArgumentSize);
        if (offset + entryLength + 1 > kJoinedSize - 1) {
            break; // ends before the first entry that does not fit whole
        }
        FUZZ_CHECK(std::equal(entry, entry + entryLength, text + offset));
        FUZZ_CHECK(text[offset + entryLength] == Char{'|'});
        offset += entryLength + 1;
    }
    FUZZ_CHECK(offset == length);
    // Fifteen entries of the greatest length take 15 * 512 = 7680 units:
    // any list of up to fifteen entries is joined whole.
    FUZZ_CHECK(list.count > 15 || joined == static_cast<std::size_t>(list.count));
    return joined;
}

// Entries of any content taken from the input: cut at its zero units, at
// most twenty of at most 511 units. They may be empty or hold bars, as a
// command-line argument such as x|y does.
template <typename Char>
void fillFromInput(std::basic_string_view<Char> input, BasicArgList<Char>& list) {
    list.count = 0;
    std::size_t start = 0;
    while (start <= input.size() && list.count < kMaxArguments) {
        std::size_t end = input.find(Char{}, start);
        if (end == std::basic_string_view<Char>::npos) {
            end = input.size();
        }
        const std::size_t length = std::min(end - start, kArgumentSize - 1);
        Char* slot = list.entries[list.count++];
        std::fill(slot, slot + kArgumentSize, Char{0x5A}); // behind the terminator: not the entry
        std::copy(input.data() + start, input.data() + start + length, slot);
        slot[length] = Char{};
        start = end + 1;
    }
}

// The input as UTF-16 units, two bytes each, low byte first; an odd last
// byte is left out.
inline std::u16string unitsOf(const uint8_t* data, std::size_t size) {
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    return units;
}

} // namespace fuzz
