#include "sender_folder.h"

#include <vector>

#include "arguments.h"
#include "common/path_rules.h"

namespace {

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

bool isRelativeName(std::u16string_view entry) {
    const PathKind kind = pathKind(entry);
    return !entry.empty() && (kind == PathKind::Relative || kind == PathKind::OnDrive);
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

std::u16string_view folderToSend(bool namesRelativeFiles, std::u16string_view workingFolder) {
    return namesRelativeFiles && workingFolder.size() < kArgumentSize ? workingFolder
                                                                      : std::u16string_view();
}
