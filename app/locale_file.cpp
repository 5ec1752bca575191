#include "locale_file.h"

#include <string_view>

#ifdef _WIN32
#include <share.h>
#endif

namespace {
constexpr std::string_view kKey = "locale=";

// How much of the key the characters read so far end with, given that they
// ended with its first matched characters and c follows. The key's "l"
// repeats inside it, so "local" followed by "o" still ends with "lo".
std::size_t matchedAfter(std::size_t matched, int c) {
    for (std::size_t length = matched + 1; length > 0; --length) {
        if (kKey[length - 1] == c &&
            kKey.substr(0, length - 1) == kKey.substr(matched + 1 - length, length - 1)) {
            return length;
        }
    }
    return 0;
}

} // namespace

bool readLocaleSetting(std::FILE* file, std::string& locale) {
    // Matches the key while streaming, so that no line is ever buffered
    // whole: only the value behind the key is kept.
    std::size_t matched = 0;
    int c;
    while ((c = std::getc(file)) != EOF) {
        if (c == '\n') {
            matched = 0;
            continue;
        }
        matched = matchedAfter(matched, c);
        if (matched == kKey.size()) {
            break;
        }
    }
    if (matched != kKey.size()) {
        return false;
    }

    std::string value;
    while ((c = std::getc(file)) != EOF && c != '\n') {
        value.push_back(static_cast<char>(c));
    }
    if (std::ferror(file)) {
        return false; // the line was not read to its end
    }
    if (c == '\n' && !value.empty() && value.back() == '\r') {
        value.pop_back();
    }
    locale = std::move(value);
    return true;
}

std::string readLocale(const char* fileName, LocaleFileState* state) {
    std::string locale = "en";
    LocaleFileState found = LocaleFileState::NotOpened;
    // Read only, in text mode, and shared: other programs may read and write
    // the file meanwhile.
#ifdef _WIN32
    std::FILE* file = _fsopen(fileName, "r", _SH_DENYNO);
#else
    std::FILE* file = std::fopen(fileName, "r");
#endif
    if (file != nullptr) {
        found =
            readLocaleSetting(file, locale) ? LocaleFileState::KeyFound : LocaleFileState::NoKey;
        std::fclose(file);
    }
    if (state != nullptr) {
        *state = found;
    }
    return locale;
}
