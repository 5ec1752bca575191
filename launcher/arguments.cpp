#include "arguments.h"

#include <cstring>

namespace {

// Appends one entry unless the list is full or the entry too long; the
// caller has already ruled out empty entries.
void addEntry(ArgList& list, std::string_view entry) {
    if (list.count >= kMaxArguments || entry.size() >= kArgumentSize) {
        return;
    }
    char* slot = list.entries[list.count];
    std::memcpy(slot, entry.data(), entry.size());
    slot[entry.size()] = '\0';
    ++list.count;
}

// Every maximal run of characters other than the separator is one entry.
void splitAt(std::string_view text, char separator, ArgList& list) {
    list.count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == separator) {
            ++pos;
            continue;
        }
        std::size_t end = text.find(separator, pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        addEntry(list, text.substr(pos, end - pos));
        pos = end;
    }
}

// What follows the program name. A quoted name is recognised only when the
// quote is the very first character, and the character right behind the
// closing quote is skipped whatever it is.
std::string_view argumentsPart(std::string_view commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        std::size_t closing = commandLine.find('"', 1);
        if (closing == std::string_view::npos || closing + 2 > commandLine.size()) {
            return {};
        }
        return commandLine.substr(closing + 2);
    }
    std::size_t start = commandLine.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return {};
    }
    std::size_t end = commandLine.find(' ', start);
    if (end == std::string_view::npos) {
        return {};
    }
    return commandLine.substr(end);
}

} // namespace

std::array<const char*, kMaxArguments> entryTexts(const ArgList& list) {
    std::array<const char*, kMaxArguments> texts = {};
    for (int32_t i = 0; i < list.count && i < kMaxArguments; ++i) {
        texts[static_cast<std::size_t>(i)] = list.entries[i];
    }
    return texts;
}

void splitCommandLine(std::string_view commandLine, ArgList& args) {
    splitAt(argumentsPart(commandLine), ' ', args);
}

std::size_t joinArguments(const ArgList& args, char (&text)[kJoinedSize]) {
    std::size_t length = 0;
    for (int32_t i = 0; i < args.count && i < kMaxArguments; ++i) {
        std::size_t entryLength = strnlen(args.entries[i], kArgumentSize - 1);
        if (length + entryLength + 1 > kJoinedSize - 1) {
            break;
        }
        std::memcpy(text + length, args.entries[i], entryLength);
        length += entryLength;
        text[length++] = '|';
    }
    text[length] = '\0';
    return length;
}

void splitArguments(std::string_view text, ArgList& list) {
    splitAt(text, '|', list);
}
