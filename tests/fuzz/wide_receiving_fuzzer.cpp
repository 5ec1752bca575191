// Both receiving routines and the watcher's taking, over any sequence of
// received texts of either kind: each text that gives entries becomes one
// list of its kind, in arrival order across both kinds, holding exactly the
// first twenty fields that fit; no more than kMaxPendingLists wait at once,
// whatever their kinds, and what arrives beyond that is refused.
//
// The input's bytes, taken two by two, are UTF-16 units; a zero unit ends
// each text, as each call carries one terminated text. A text's first unit
// says its kind: odd, the rest of its units go to the UTF-16 routine (the
// call of operation 1); even, the rest of its bytes, up to a zero byte, go
// to the narrow one (operation 0). A text without even that unit adds
// nothing, and is where the watcher takes every waiting list.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/pending_files.h"

namespace {

struct ExpectedList {
    bool wide = false;
    fuzz::Fields narrow;
    fuzz::WideFields utf16;
};

using Expected = std::deque<ExpectedList>;

void takeAndCheck(Expected& expected) {
    const PendingFiles taken = takePendingFiles();
    FUZZ_CHECK(taken.size() <= kMaxPendingLists);
    FUZZ_CHECK(taken.size() == expected.size());
    for (std::size_t i = 0; i < taken.size(); ++i) {
        FUZZ_CHECK((taken[i].wide != nullptr) == expected[i].wide);
        FUZZ_CHECK((taken[i].narrow != nullptr) == !expected[i].wide);
        if (expected[i].wide) {
            FUZZ_CHECK(taken[i].wide->count > 0);
            fuzz::checkList(*taken[i].wide, expected[i].utf16);
        } else {
            FUZZ_CHECK(taken[i].narrow->count > 0);
            fuzz::checkList(*taken[i].narrow, expected[i].narrow);
        }
    }
    expected.clear();
    FUZZ_CHECK(takePendingFiles().empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::u16string units = fuzz::unitsOf(data, size);
    const std::u16string_view input(units);
    Expected expected;
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find(u'\0', start);
        if (end == std::u16string_view::npos) {
            end = input.size();
        }
        const std::u16string_view record = input.substr(start, end - start);
        const uint8_t* recordBytes = data + 2 * start;
        start = end + 1;
        if (record.empty()) {
            takeAndCheck(expected);
            continue;
        }

        ExpectedList list;
        list.wide = (record[0] & 1) != 0;
        bool hasEntries = false;
        bool queued = false;
        const bool room = expected.size() < kMaxPendingLists;
        if (list.wide) {
            const std::u16string_view text = record.substr(1);
            list.utf16 = fuzz::keptEntries(fuzz::fieldsOf(text, u'|'));
            hasEntries = !list.utf16.empty();
            queued = queueForwardedText(text);
        } else {
            std::string_view text(reinterpret_cast<const char*>(recordBytes + 2),
                                  2 * (record.size() - 1));
            text = text.substr(0, text.find('\0'));
            list.narrow = fuzz::keptEntries(fuzz::fieldsOf(text, '|'));
            hasEntries = !list.narrow.empty();
            queued = queueForwardedText(text);
        }
        FUZZ_CHECK(queued == (hasEntries && room));
        if (queued) {
            expected.push_back(std::move(list));
        }
    }
    takeAndCheck(expected);
    return 0;
}
