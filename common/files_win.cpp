#include "files_win.h"

#include <windows.h>

#include "unique_handle_win.h"

bool isFile(const char* path, uint64_t* size, uint64_t* time) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    if (size != nullptr) {
        *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    if (time != nullptr) {
        *time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
    }
    return true;
}

std::string_view readHead(const char* path, char* buffer, unsigned long size,
                          WhileWritten whileWritten) noexcept {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE |
                        (whileWritten == WhileWritten::Read ? FILE_SHARE_WRITE : 0);
    const UniqueHandle file = fileHandle(CreateFileA(
        path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    if (!file || !ReadFile(file.get(), buffer, size, &read, nullptr)) {
        read = 0;
    }
    return {buffer, read};
}
