// The platform edge systemTextToUtf16 of the launcher's calls into Java, for
// the programs that run them natively, where the system's encoding is UTF-8.
// Invalid sequences become U+FFFD, as the Windows conversion makes them.
#include "java_calls/java_calls.h"

std::u16string systemTextToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t point = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, point = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, point = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, point = lead & 0x07, least = 0x10000;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        std::size_t n = 1;
        while (n < length && i + n < text.size() &&
               (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) {
            point = (point << 6) | (static_cast<unsigned char>(text[i + n]) & 0x3F);
            ++n;
        }
        i += n;
        if (n < length || point < least || point > 0x10FFFF ||
            (point >= 0xD800 && point <= 0xDFFF)) {
            out += u'\uFFFD';
        } else if (point < 0x10000) {
            out += static_cast<char16_t>(point);
        } else {
            out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    return out;
}
