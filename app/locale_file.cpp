#include "locale_file.h"

#include <string_view>

#ifdef _WIN32
#include <share.h>
#endif

namespace {
constexpr std::string_view kKey = "locale=";
}

void readLocaleSetting(std::FILE* file, std::string& locale) {
    // Matches the key while streaming, so that no line is ever buffered
    // whole: only the value behind the key is kept. The key has no prefix
    // that repeats inside it, so a mismatch only needs to re-test the
    // current character against the key's first one.
    std::size_t matched = 0;
    int c;
    while ((c = std::getc(file)) != EOF) {
        if (c == '\n') {
            matched = 0;
            continue;
        }
        if (c == kKey[matched]) {
            if (++matched == kKey.size()) {
                break;
            }
        } else {
            matched = (c == kKey[0]) ? 1 : 0;
        }
    }
    if (matched != kKey.size()) {
        return;
    }

    std::string value;
    while ((c = std::getc(file)) != EOF && c != '\n') {
        value.push_back(static_cast<char>(c));
    }
    if (std::ferror(file)) {
        return; // the line was not read to its end
    }
    if (c == '\n' && !value.empty() && value.back() == '\r') {
        value.pop_back();
    }
    locale = std::move(value);
}

std::string readLocale(const char* fileName) {
    std::string locale = "en";
    // Read only, in text mode, and shared: other programs may read and write
    // the file meanwhile.
#ifdef _WIN32
    std::FILE* file = _fsopen(fileName, "r", _SH_DENYNO);
#else
    std::FILE* file = std::fopen(fileName, "r");
#endif
    if (file != nullptr) {
        readLocaleSetting(file, locale);
        std::fclose(file);
    }
    return locale;
}
