// The forwarded text both ways. Splitting any text keeps exactly the first
// twenty bar-separated fields that fit. Joining writes whole entries, each
// followed by a bar, as many as fit in 8191 characters; splitting the joined
// text gives back every joined entry that holds no bar and is not empty.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static ArgList list;
    static ArgList again;
    static char text[kJoinedSize];
    std::size_t length = 0;

    // Any text: zero bytes inside it are ordinary characters.
    list.count = kMaxArguments;
    splitArguments(input, list);
    fuzz::checkList(list, fuzz::keptEntries(fuzz::fieldsOf(input, '|')));

    // A received text, which the call delivers terminated: a zero byte ends it.
    const std::string_view received = input.substr(0, input.find('\0'));
    list.count = kMaxArguments;
    splitArguments(received, list);
    const fuzz::Fields fields = fuzz::keptEntries(fuzz::fieldsOf(received, '|'));
    fuzz::checkList(list, fields);

    // Its entries hold no bar and are not empty: those joined come back.
    const std::size_t joined = fuzz::joinAndCheck(list, text, length);
    splitArguments(std::string_view(text, length), again);
    fuzz::checkList(again, fuzz::Fields(fields.begin(), fields.begin() + joined));

    // Entries of any content: what comes back is the fields of the joined
    // entries, in order, as far as twenty reach.
    fuzz::fillFromInput(input, list);
    const std::size_t joinedAny = fuzz::joinAndCheck(list, text, length);
    fuzz::Fields expected;
    for (std::size_t i = 0; i < joinedAny; ++i) {
        for (std::string_view field : fuzz::fieldsOf(list.entries[i], '|')) {
            expected.push_back(field);
        }
    }
    splitArguments(std::string_view(text, length), again);
    fuzz::checkList(again, fuzz::keptEntries(expected));
    return 0;
}
