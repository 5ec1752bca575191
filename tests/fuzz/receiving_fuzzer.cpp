// The receiving routine and the watcher's taking, over any sequence of
// received texts: each text that gives entries becomes one list, in arrival
// order, holding exactly the first twenty fields that fit; no more than
// kMaxPendingLists wait at once, and what arrives beyond that is refused.
//
// The input is a sequence of texts separated by zero bytes, as each call
// carries one terminated text. An empty text, which adds nothing, is also
// where the watcher takes every waiting list.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/pending_files.h"

namespace {

using Expected = std::deque<fuzz::Fields>;

void takeAndCheck(Expected& expected) {
    const PendingFiles taken = takePendingFiles();
    FUZZ_CHECK(taken.size() <= kMaxPendingLists);
    FUZZ_CHECK(taken.size() == expected.size());
    for (std::size_t i = 0; i < taken.size(); ++i) {
        FUZZ_CHECK(taken[i].narrow != nullptr && taken[i].wide == nullptr);
        FUZZ_CHECK(taken[i].narrow->count > 0);
        fuzz::checkList(*taken[i].narrow, expected[i]);
    }
    expected.clear();
    FUZZ_CHECK(takePendingFiles().empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Expected expected;
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos) {
            end = input.size();
        }
        const std::string_view text = input.substr(start, end - start);
        start = end + 1;

        fuzz::Fields entries = fuzz::keptEntries(fuzz::fieldsOf(text, '|'));
        const bool room = expected.size() < kMaxPendingLists;
        const bool queued = queueForwardedText(text);
        FUZZ_CHECK(queued == (!entries.empty() && room));
        if (queued) {
            expected.push_back(std::move(entries));
        }
        if (text.empty()) {
            takeAndCheck(expected);
        }
    }
    takeAndCheck(expected);
    return 0;
}
