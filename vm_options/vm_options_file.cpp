#include "vm_options_file.h"

#include <algorithm>
#include <iterator>

namespace {

// The code point of one UTF-8 sequence at the start of bytes, and its
// length; a length of 0 for bytes that are no UTF-8: overlong forms,
// surrogates, beyond U+10FFFF, cut sequences.
char32_t utf8Point(std::string_view bytes, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t follow = lead < 0x80   ? 0
                               : lead < 0xC2 ? 4
                               : lead < 0xE0 ? 1
                               : lead < 0xF0 ? 2
                               : lead < 0xF5 ? 3
                                             : 4;
    length = 0;
    if (follow >= bytes.size() || follow == 4) {
        return 0;
    }
    char32_t value = follow == 0 ? lead : lead & (0x3F >> follow);
    bool whole = true;
    for (std::size_t k = 1; k <= follow; ++k) {
        const auto next = static_cast<unsigned char>(bytes[k]);
        whole = whole && (next & 0xC0) == 0x80;
        value = (value << 6) | (next & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    const bool valid =
        whole && value >= least[follow] && value <= 0x10FFFF && (value < 0xD800 || value >= 0xE000);
    length = valid ? follow + 1 : 0;
    return value;
}

// UTF-8 as UTF-16; false for bytes that are no UTF-8.
bool utf8ToUtf16(std::string_view bytes, std::u16string& out) {
    out.clear();
    for (std::size_t i = 0, length = 0; i < bytes.size(); i += length) {
        const char32_t value = utf8Point(bytes.substr(i), length);
        if (length == 0) {
            return false;
        }
        if (value >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
    }
    return true;
}

bool isBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Whether the option would put other files in place of the application's:
// the property itself, or the java command's forms that a runtime may take.
bool replacesClassPath(std::u16string_view option) {
    std::size_t end = 0;
    while (end < option.size() && !isBlank(option[end]) && option[end] != '=') {
        ++end;
    }
    const std::u16string_view word = option.substr(0, end);
    const std::string_view forms[] = {"-Djava.class.path", "-cp", "-classpath", "--class-path"};
    return std::any_of(std::begin(forms), std::end(forms), [word](std::string_view form) {
        return word.size() == form.size() &&
               std::equal(word.begin(), word.end(), form.begin(),
                          [](char16_t a, char b) { return a == static_cast<unsigned char>(b); });
    });
}

// Text in the system code page comes here a byte a unit.
bool narrowBytes(std::u16string_view text, std::string& out) {
    out.clear();
    for (const char16_t unit : text) {
        out += static_cast<char>(unit);
    }
    return true;
}

void readLines(std::u16string_view text, ToSystemCodePage toSystem, VmOptionsText& out) {
    std::size_t number = 0;
    std::size_t taken = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(char16_t('\n'), start);
        end = end == std::u16string_view::npos ? text.size() : end;
        std::u16string_view option = text.substr(start, end - start);
        start = end + 1;
        ++number;
        while (!option.empty() && (isBlank(option.back()) || option.back() == char16_t('\r'))) {
            option.remove_suffix(1);
        }
        while (!option.empty() && isBlank(option.front())) {
            option.remove_prefix(1);
        }
        if (option.empty() || option.front() == char16_t('#')) {
            continue;
        }
        VmOptionLine line{number, VmOptionVerdict::Taken, {}};
        // A NUL would end the option early on its way to the runtime.
        const bool carried = option.size() <= kVmOptionLength &&
                             option.find(char16_t(0)) == std::u16string_view::npos &&
                             toSystem(option, line.text);
        if (taken == kVmOptionsPerFile) {
            line.verdict = VmOptionVerdict::BeyondCount;
        } else if (option.size() > kVmOptionLength) {
            line.verdict = VmOptionVerdict::TooLong;
        } else if (replacesClassPath(option)) {
            line.verdict = VmOptionVerdict::ReplacesClassPath;
        } else if (!carried) {
            line.verdict = VmOptionVerdict::NotInCodePage;
        }
        if (!carried) {
            line.text.clear();
        }
        taken += line.verdict == VmOptionVerdict::Taken ? 1 : 0;
        out.lines.push_back(std::move(line));
    }
}

void fromUtf16(std::string_view bytes, bool bigEndian, std::u16string& text) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
}

bool startsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

} // namespace

VmOptionsText readVmOptions(std::string_view bytes, ToSystemCodePage toSystem) {
    VmOptionsText out;
    if (bytes.size() > kVmOptionsFileBytes) {
        out.tooLarge = true;
        return out;
    }
    std::u16string wide;
    if (startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        out.encoding = bigEndian ? "UTF-16 BE" : "UTF-16 LE";
        fromUtf16(bytes.substr(2), bigEndian, wide);
    } else if (const bool marked = startsWith(bytes, "\xEF\xBB\xBF");
               utf8ToUtf16(bytes.substr(marked ? 3 : 0), wide)) {
        out.encoding = marked ? "UTF-8 with its mark" : "UTF-8";
    } else {
        // Notepad's "ANSI": the bytes are already what the runtime takes.
        out.encoding = "the system code page";
        wide.clear();
        for (const char byte : bytes) {
            wide += static_cast<char16_t>(static_cast<unsigned char>(byte));
        }
        toSystem = narrowBytes;
    }
    readLines(std::u16string_view(wide), toSystem, out);
    return out;
}

const char* verdictName(VmOptionVerdict verdict) {
    switch (verdict) {
    case VmOptionVerdict::Taken:
        return "taken";
    case VmOptionVerdict::BeyondCount:
        return "skipped, more options than the 256 a file may give";
    case VmOptionVerdict::TooLong:
        return "skipped, longer than 4096 characters";
    case VmOptionVerdict::ReplacesClassPath:
        return "skipped, it would replace the application's class path";
    case VmOptionVerdict::NotInCodePage:
        return "skipped, a character that the system code page cannot carry";
    }
    return "?";
}
