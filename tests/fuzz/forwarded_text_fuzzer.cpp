// The forwarded text both ways. Splitting any text keeps exactly the first
// twenty bar-separated fields that fit. Joining writes whole entries, each
// followed by a bar, as many as fit in 8191 characters; splitting the joined
// text gives back every joined entry that holds no bar and is not empty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/arguments.h"

namespace {

constexpr std::size_t kMaxJoinedLength = kJoinedSize - 1;

// Joins list and checks the text: the entries' texts, each followed by a
// bar, for the longest run of leading entries that fits. Returns how many
// entries the text holds.
std::size_t joinAndCheck(const ArgList& list, char (&text)[kJoinedSize], std::size_t& length) {
    std::memset(text, 0x5A, sizeof text); // the text must be terminated by the join itself
    length = joinArguments(list, text);
    FUZZ_CHECK(length <= kMaxJoinedLength);
    FUZZ_CHECK(text[length] == '\0');

    std::size_t offset = 0;
    std::size_t joined = 0;
    for (; joined < static_cast<std::size_t>(list.count); ++joined) {
        const char* entry = list.entries[joined];
        const std::size_t entryLength = strnlen(entry, kArgumentSize);
        FUZZ_CHECK(entryLength < kArgumentSize);
        if (offset + entryLength + 1 > kMaxJoinedLength) {
            break; // ends before the first entry that does not fit whole
        }
        FUZZ_CHECK(std::memcmp(text + offset, entry, entryLength) == 0);
        FUZZ_CHECK(text[offset + entryLength] == '|');
        offset += entryLength + 1;
    }
    FUZZ_CHECK(offset == length);
    // Fifteen entries of the greatest length take 15 * 512 = 7680
    // characters: any list of up to fifteen entries is joined whole.
    FUZZ_CHECK(list.count > 15 || joined == static_cast<std::size_t>(list.count));
    return joined;
}

// Entries of any content taken from the input: cut at its zero bytes, at
// most twenty of at most 511 characters. They may be empty or hold bars, as
// a command-line argument such as x|y does.
void fillFromInput(std::string_view input, ArgList& list) {
    list.count = 0;
    std::size_t start = 0;
    while (start <= input.size() && list.count < kMaxArguments) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos) {
            end = input.size();
        }
        const std::size_t length = std::min(end - start, kArgumentSize - 1);
        char* slot = list.entries[list.count++];
        std::memset(slot, 0x5A, kArgumentSize); // behind the terminator: not part of the entry
        std::memcpy(slot, input.data() + start, length);
        slot[length] = '\0';
        start = end + 1;
    }
}

} // namespace

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
    const std::size_t joined = joinAndCheck(list, text, length);
    splitArguments(std::string_view(text, length), again);
    fuzz::checkList(again, fuzz::Fields(fields.begin(), fields.begin() + joined));

    // Entries of any content: what comes back is the fields of the joined
    // entries, in order, as far as twenty reach.
    fillFromInput(input, list);
    const std::size_t joinedAny = joinAndCheck(list, text, length);
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
