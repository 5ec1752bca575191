#include "arguments.h"

#include <algorithm>

namespace {

// The length of a terminated entry, never reading past its slot.
template <typename Char> std::size_t entryLength(const Char (&entry)[kArgumentSize]) {
    return static_cast<std::size_t>(std::find(entry, entry + kArgumentSize - 1, Char{}) - entry);
}

// Appends one entry unless the list is full or the entry too long; the
// caller has already ruled out empty entries.
template <typename Char>
void addEntry(BasicArgList<Char>& list, std::basic_string_view<Char> entry,
              DroppedFields* dropped) {
    if (entry.size() >= kArgumentSize || list.count >= kMaxArguments) {
        if (dropped != nullptr) {
            ++(entry.size() >= kArgumentSize ? dropped->tooLong : dropped->beyondLimit);
        }
        return;
    }
    Char* slot = list.entries[list.count];
    std::copy(entry.begin(), entry.end(), slot);
    slot[entry.size()] = Char{};
    ++list.count;
}

// Every maximal run of characters other than the separator is one entry.
template <typename Char>
void splitAt(std::basic_string_view<Char> text, Char separator, BasicArgList<Char>& list,
             DroppedFields* dropped = nullptr) {
    list.count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == separator) {
            ++pos;
            continue;
        }
        std::size_t end = text.find(separator, pos);
        if (end == std::basic_string_view<Char>::npos) {
            end = text.size();
        }
        addEntry(list, text.substr(pos, end - pos), dropped);
        pos = end;
    }
}

// What follows the program name. A quoted name is recognised only when the
// quote is the very first character, and the unit right behind the closing
// quote is skipped whatever it is, in UTF-16 also half of a pair: the rule
// counts units, as the narrow one counts bytes.
template <typename Char>
std::basic_string_view<Char> argumentsPart(std::basic_string_view<Char> commandLine) {
    constexpr auto npos = std::basic_string_view<Char>::npos;
    const Char quote{'"'};
    const Char space{' '};
    if (!commandLine.empty() && commandLine[0] == quote) {
        std::size_t closing = commandLine.find(quote, 1);
        if (closing == npos || closing + 2 > commandLine.size()) {
            return {};
        }
        return commandLine.substr(closing + 2);
    }
    std::size_t start = commandLine.find_first_not_of(space);
    if (start == npos) {
        return {};
    }
    std::size_t end = commandLine.find(space, start);
    if (end == npos) {
        return {};
    }
    return commandLine.substr(end);
}

template <typename Char>
std::array<const Char*, kMaxArguments> textsOf(const BasicArgList<Char>& list) {
    std::array<const Char*, kMaxArguments> texts = {};
    for (int32_t i = 0; i < list.count && i < kMaxArguments; ++i) {
        texts[static_cast<std::size_t>(i)] = list.entries[i];
    }
    return texts;
}

template <typename Char>
std::size_t join(const BasicArgList<Char>& args, Char (&text)[kJoinedSize]) {
    std::size_t length = 0;
    for (int32_t i = 0; i < args.count && i < kMaxArguments; ++i) {
        const std::size_t size = entryLength(args.entries[i]);
        if (length + size + 1 > kJoinedSize - 1) {
            break;
        }
        std::copy(args.entries[i], args.entries[i] + size, text + length);
        length += size;
        text[length++] = Char{'|'};
    }
    text[length] = Char{};
    return length;
}

} // namespace

std::array<const char*, kMaxArguments> entryTexts(const ArgList& list) {
    return textsOf(list);
}

std::array<const char16_t*, kMaxArguments> entryTexts(const WideArgList& list) {
    return textsOf(list);
}

void splitCommandLine(std::string_view commandLine, ArgList& args) {
    splitAt(argumentsPart(commandLine), ' ', args);
}

void splitCommandLine(std::u16string_view commandLine, WideArgList& args) {
    splitAt(argumentsPart(commandLine), u' ', args);
}

std::size_t joinArguments(const ArgList& args, char (&text)[kJoinedSize]) {
    return join(args, text);
}

std::size_t joinArguments(const WideArgList& args, char16_t (&text)[kJoinedSize]) {
    return join(args, text);
}

void splitArguments(std::string_view text, ArgList& list, DroppedFields* dropped) {
    splitAt(text, '|', list, dropped);
}

void splitArguments(std::u16string_view text, WideArgList& list, DroppedFields* dropped) {
    splitAt(text, u'|', list, dropped);
}
