// The two options files on disk, and the code page their options go in.
#include "vm_options_file.h"

#include <windows.h>

#include <climits>

#include "common/trace_win.h"
#include "common/unique_handle_win.h"

namespace {

bool toSystemCodePage(std::u16string_view text, std::string& out) {
    out.clear();
    if (text.empty() || text.size() > INT_MAX / 4) {
        return text.empty();
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    // Where the system code page is UTF-8, it carries every character, and
    // WideCharToMultiByte refuses both the flag and the question.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* asked = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, asked);
    if (size <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, flags, wide, length, out.data(), size, nullptr, asked);
    return !usedDefault;
}

std::wstring fileBesideExecutable() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), 32768);
    path.resize(length < 32768 ? length : 0);
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring()
                                       : path.substr(0, slash + 1) + L"Pellix2.vmoptions";
}

// %APPDATA% rather than the shell's folder lookup: shell32 stays unloaded
// on every start.
std::wstring usersFile() {
    wchar_t folder[32768] = L"";
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", folder, 32768);
    if (length == 0 || length >= 32768) {
        TRACE("options file of the user: APPDATA is not set");
        return {};
    }
    return std::wstring(folder) + L"\\Tavora\\Pellix2.vmoptions";
}

// The file's bytes, one beyond the bound at the most; false, traced, where
// there is no file or it cannot be read.
bool readBytes(const std::wstring& path, const std::string& name, std::string& bytes) {
    const UniqueHandle file = fileHandle(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
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

void readFile(const std::wstring& path, VmOptionsFiles& found) {
    const std::string name = traceUtf8(path.c_str());
    std::string bytes;
    if (!readBytes(path, name, bytes)) {
        return;
    }
    const VmOptionsText text = readVmOptions(bytes, toSystemCodePage);
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
        found.names.push_back(name);
    }
}

} // namespace

VmOptionsFiles readVmOptionsFiles() {
    VmOptionsFiles found;
    for (const std::wstring& path : {fileBesideExecutable(), usersFile()}) {
        if (!path.empty()) {
            readFile(path, found);
        }
    }
    return found;
}
