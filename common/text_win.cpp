#include "text_win.h"

#include <windows.h>

#include <climits>

bool toCodePage(std::u16string_view text, std::string& out) {
    out.clear();
    if (text.empty() || text.size() > INT_MAX / 4) {
        return text.empty();
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    // Where the code page is UTF-8 it carries every character, and
    // WideCharToMultiByte refuses both the flag and the question there.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* stand = utf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    BOOL* asked = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, stand, asked);
    if (size <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, flags, wide, length, out.data(), size, stand, asked);
    return !usedDefault;
}

std::u16string fromCodePage(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(length > 0 ? length : 0), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                        length);
    return wide;
}
