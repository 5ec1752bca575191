// The texts of the missing-Java prompt in nine languages.
#pragma once

#include <string>

// The prompt's texts are UTF-16: wchar_t on Windows, char16_t where wchar_t
// is wider, so that the same table is tested natively.
#ifdef _WIN32
using PromptChar = wchar_t;
#define PROMPT_TEXT(text) L##text
#else
using PromptChar = char16_t;
#define PROMPT_TEXT(text) u##text
#endif

// The one record the missing-Java dialog shows. The texts are constants that
// live for the whole process; the record points at them and frees nothing.
struct JavaPromptInfo {
    void* owner = nullptr;    // owner window (HWND), none in this launcher
    void* instance = nullptr; // process instance handle (HINSTANCE)
    const PromptChar* title = nullptr;
    const PromptChar* message = nullptr;
    const PromptChar* downloadLabel = nullptr;
    const PromptChar* cancelLabel = nullptr;
    std::string downloadUrl;
};

// Picks the language whose key equals the locale once lowered (English when
// none does) and stores its message, labels and download URL into info.
// Leaves owner, instance and title alone. Returns the language's first key,
// for the trace.
const char* selectPromptTexts(std::string locale, JavaPromptInfo& info);
