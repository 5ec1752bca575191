// readLocaleSetting over any file content: the locale becomes the text behind
// the first "locale=" up to the end of its line (a carriage return before the
// line feed left out), and stays as it was when no line holds the key.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/locale_file.h"
#include "fuzz_check.h"

namespace {

constexpr std::string_view kKey = "locale=";
constexpr const char* kBefore = "unchanged";

// The key cannot span a line feed, so its first occurrence in the content is
// the first one in the first line that holds it.
std::string expectedLocale(std::string_view content) {
    const std::size_t key = content.find(kKey);
    if (key == std::string_view::npos) {
        return kBefore;
    }
    const std::size_t start = key + kKey.size();
    const std::size_t end = content.find('\n', start);
    std::string value(content.substr(start, end == std::string_view::npos ? end : end - start));
    if (end != std::string_view::npos && !value.empty() && value.back() == '\r') {
        value.pop_back();
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // glibc reads a buffer of size 0 as an empty file; the buffer itself
    // must not be null.
    static char empty[1];
    void* buffer = size == 0 ? static_cast<void*>(empty) : const_cast<uint8_t*>(data);
    std::FILE* file = fmemopen(buffer, size, "r");
    FUZZ_CHECK(file != nullptr);
    std::string locale = kBefore;
    readLocaleSetting(file, locale);
    std::fclose(file);

    const std::string_view content(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(locale == expectedLocale(content));
    return 0;
}
