// The two options files on disk.
#include "vm_options_file.h"

#include <windows.h>

#include "common/text_win.h"
#include "common/trace_win.h"
#include "common/unique_handle_win.h"

namespace {

// The file's bytes, one beyond the bound at the most; false, traced, where
// there is no file or it cannot be read.
bool readBytes(const std::u16string& path, const std::string& name, std::string& bytes) {
    const UniqueHandle file =
        fileHandle(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    DWORD read = 0;
    if (file && GetFileSizeEx(file.get(), &size)) {
        const LONGLONG bound = static_cast<LONGLONG>(kVmOptionsFileBytes) + 1;
        bytes.resize(static_cast<std::size_t>(size.QuadPart < bound ? size.QuadPart : bound));
        if (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size()) {
            return true;
        }
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        TRACE("options file %s: none", name.c_str());
    } else {
        TRACE("options file %s: unreadable, error %lu", name.c_str(), error);
    }
    return false;
}

void readFile(const std::u16string& path, VmOptionsFiles& found) {
    const std::string name = traceUtf8(path);
    std::string bytes;
    if (!readBytes(path, name, bytes)) {
        return;
    }
    const VmOptionsText text = readVmOptions(bytes, toCodePage);
    if (text.tooLarge) {
        TRACE("options file %s: more than %lu bytes; not read", name.c_str(),
              static_cast<unsigned long>(kVmOptionsFileBytes));
        return;
    }
    TRACE("options file %s: %s, %lu bytes", name.c_str(), text.encoding,
          static_cast<unsigned long>(bytes.size()));
    bool gave = false;
    for (const VmOptionLine& line : text.lines) {
        TRACE("options file %s, line %lu: %s: %s", name.c_str(),
              static_cast<unsigned long>(line.number), verdictName(line.verdict),
              traceUtf8(line.text.c_str()).c_str());
        if (line.verdict == VmOptionVerdict::Taken) {
            found.options.push_back(line.text);
            gave = true;
        }
    }
    if (gave) {
        found.names.push_back(path);
    }
}

} // namespace

VmOptionsFiles readVmOptionsFiles(const std::u16string& administrators,
                                  const std::u16string& users) {
    VmOptionsFiles found;
    if (!administrators.empty()) {
        readFile(administrators, found);
    }
    if (users.empty()) {
        TRACE("options file of the user: APPDATA is not set");
    } else {
        readFile(users, found);
    }
    return found;
}
