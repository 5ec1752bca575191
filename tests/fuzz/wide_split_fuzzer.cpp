// The UTF-16 command line and forwarded text, over any units: the input's
// bytes taken two by two. Every unit is an ordinary character, unpaired
// surrogates and the fullwidth forms of the space and the bar included; only
// U+0020 separates arguments and only U+007C forwarded fields. The limits
// count units: the first twenty arguments or fields of at most 511, and
// joined texts of at most 8191.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::u16string units = fuzz::unitsOf(data, size);
    const std::u16string_view input(units);
    static WideArgList list; // 20 KB: kept off the stack, and what it held must not show through
    static WideArgList again;
    static char16_t text[kJoinedSize];
    std::size_t length = 0;

    // As a whole command line, program name included.
    list.count = kMaxArguments;
    splitCommandLine(input, list);
    fuzz::checkList(list, fuzz::expectedArguments(input));

    // As a forwarded text: zero units inside it are ordinary characters.
    list.count = kMaxArguments;
    splitArguments(input, list);
    fuzz::checkList(list, fuzz::keptEntries(fuzz::fieldsOf(input, u'|')));

    // As a received text, which the call delivers terminated: a zero unit
    // ends it. Its entries hold no bar and are not empty: those joined come
    // back.
    const std::u16string_view received = input.substr(0, input.find(u'\0'));
    list.count = kMaxArguments;
    splitArguments(received, list);
    const fuzz::WideFields fields = fuzz::keptEntries(fuzz::fieldsOf(received, u'|'));
    fuzz::checkList(list, fields);
    const std::size_t joined = fuzz::joinAndCheck(list, text, length);
    splitArguments(std::u16string_view(text, length), again);
    fuzz::checkList(again, fuzz::WideFields(fields.begin(), fields.begin() + joined));

    // Entries of any content: what comes back is the fields of the joined
    // entries, in order, as far as twenty reach.
    fuzz::fillFromInput(input, list);
    const std::size_t joinedAny = fuzz::joinAndCheck(list, text, length);
    fuzz::WideFields expected;
    for (std::size_t i = 0; i < joinedAny; ++i) {
        for (std::u16string_view field : fuzz::fieldsOf(list.entries[i], u'|')) {
            expected.push_back(field);
        }
    }
    splitArguments(std::u16string_view(text, length), again);
    fuzz::checkList(again, fuzz::keptEntries(expected));
    return 0;
}
