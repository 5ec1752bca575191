// The hand-over queue's lists as the tests write them, for the native tests
// of the queue and the Wine test of both sides of a call.
#pragma once

#include <string>
#include <vector>

#include "launcher/pending_files.h"

// A taken list: its kind, and its entries, narrow ones widened unit for
// byte (the tests' narrow texts are ASCII or compared byte for byte).
struct Taken {
    bool wide = false;
    std::vector<std::u16string> entries;
    bool operator==(const Taken& other) const {
        return wide == other.wide && entries == other.entries;
    }
};

inline std::u16string widened(const std::string& text) {
    std::u16string out;
    for (unsigned char c : text) {
        out += static_cast<char16_t>(c);
    }
    return out;
}

inline Taken narrowList(const std::vector<std::string>& entries) {
    Taken taken;
    for (const auto& entry : entries) {
        taken.entries.push_back(widened(entry));
    }
    return taken;
}

inline Taken wideList(const std::vector<std::u16string>& entries) {
    return Taken{true, entries};
}

// Takes every queued list; oneKindEach, when given, says whether each list
// held exactly one of the two kinds.
inline std::vector<Taken> takeAll(bool* oneKindEach = nullptr) {
    std::vector<Taken> lists;
    for (const PendingList& list : takePendingFiles()) {
        if (oneKindEach != nullptr && (list.narrow == nullptr) == (list.wide == nullptr)) {
            *oneKindEach = false;
        }
        Taken taken;
        if (list.wide != nullptr) {
            taken.wide = true;
            taken.entries.assign(list.wide->entries, list.wide->entries + list.wide->count);
        } else if (list.narrow != nullptr) {
            for (int32_t i = 0; i < list.narrow->count; ++i) {
                taken.entries.push_back(widened(list.narrow->entries[i]));
            }
        }
        lists.push_back(std::move(taken));
    }
    return lists;
}
