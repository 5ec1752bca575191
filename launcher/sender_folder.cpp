#include "sender_folder.h"

#include <vector>

#include "arguments.h"

namespace {

bool isSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

std::u16string_view withoutTrailingSeparators(std::u16string_view folder) {
    while (!folder.empty() && isSeparator(folder.back())) {
        folder.remove_suffix(1);
    }
    return folder;
}

// "C:" of "C:\x", "\\server\share" of "\\server\share\x"; empty for any
// other folder, which cannot be a working directory.
std::u16string_view rootOf(std::u16string_view folder) {
    if (folder.size() >= 2 && folder[1] == u':') {
        return folder.substr(0, 2);
    }
    if (folder.size() >= 2 && isSeparator(folder[0]) && isSeparator(folder[1])) {
        std::size_t at = 2;
        for (int parts = 0; at < folder.size(); ++at) {
            if (isSeparator(folder[at]) && ++parts == 2) {
                break;
            }
        }
        return folder.substr(0, at);
    }
    return {};
}

// The folders and the file of path after parts, with "." dropped and ".."
// taking back the folder before it, but never the root.
void appendParts(std::vector<std::u16string_view>& parts, std::u16string_view path) {
    while (!path.empty()) {
        std::size_t end = 0;
        while (end < path.size() && !isSeparator(path[end])) {
            ++end;
        }
        const std::u16string_view part = path.substr(0, end);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        path.remove_prefix(end < path.size() ? end + 1 : end);
    }
}

} // namespace

bool sameFolder(std::u16string_view a, std::u16string_view b) {
    a = withoutTrailingSeparators(a);
    b = withoutTrailingSeparators(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool same = lower(a[i]) == lower(b[i]) || (isSeparator(a[i]) && isSeparator(b[i]));
        if (!same) {
            return false;
        }
    }
    return true;
}

bool isRelativeName(std::u16string_view entry) {
    const bool hasDrive = entry.size() >= 2 && entry[1] == u':';
    const bool unc = entry.size() >= 2 && isSeparator(entry[0]) && isSeparator(entry[1]);
    return !entry.empty() && !hasDrive && !unc;
}

std::u16string handedOverPath(std::u16string_view entry, std::u16string_view senderFolder,
                              std::u16string_view ownFolder) {
    const std::u16string_view root = rootOf(senderFolder);
    if (!isRelativeName(entry) || root.empty() || sameFolder(senderFolder, ownFolder)) {
        return {};
    }
    // "\x" lies on the sender's drive, anything else below its folder.
    std::u16string_view rest = senderFolder.substr(root.size());
    if (isSeparator(entry[0])) {
        rest = {};
    }
    std::vector<std::u16string_view> parts;
    appendParts(parts, rest);
    appendParts(parts, entry);
    std::u16string path(root);
    for (const std::u16string_view part : parts) {
        path += u'\\';
        path += part;
    }
    if (parts.empty()) {
        path += u'\\';
    }
    // A cut path would name another file: the entry then stays as given.
    return path.size() < kArgumentSize ? path : std::u16string();
}
