#include "java_calls.h"

#include <windows.h>

#include "common/text_win.h"

std::u16string systemTextToUtf16(std::string_view systemText) {
    return fromCodePage(systemText);
}

void showJavaMethodError() {
    MessageBoxA(nullptr, "callJavaMethod(), ending error", "Java/C++", MB_OK);
}
