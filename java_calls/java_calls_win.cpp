#include "java_calls.h"

#include <windows.h>

#include <climits>

std::u16string systemTextToUtf16(std::string_view systemText) {
    if (systemText.empty() || systemText.size() > INT_MAX) {
        return {};
    }
    const int size = static_cast<int>(systemText.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, systemText.data(), size, nullptr, 0);
    std::u16string text(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, systemText.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                        length);
    return text;
}

void showJavaMethodError() {
    MessageBoxA(nullptr, "callJavaMethod(), ending error", "Java/C++", MB_OK);
}
