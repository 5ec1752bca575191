#include "path_rules.h"

namespace {

template <typename Char> PathKind kindOf(std::basic_string_view<Char> name) {
    if (name.size() >= 2 && isSeparator(name[0]) && isSeparator(name[1])) {
        return PathKind::Full; // UNC, and the device forms "\\?\" and "\\.\"
    }
    if (!name.empty() && isSeparator(name[0])) {
        return PathKind::OnDrive;
    }
    // Windows takes any unit before the colon for a drive.
    if (name.size() >= 2 && name[1] == Char(':')) {
        return name.size() >= 3 && isSeparator(name[2]) ? PathKind::Full : PathKind::OnDriveFolder;
    }
    return PathKind::Relative;
}

template <typename Char> std::basic_string_view<Char> trimmed(std::basic_string_view<Char> path) {
    while (!path.empty() && isSeparator(path.back())) {
        path.remove_suffix(1);
    }
    return path;
}

template <typename Char> std::basic_string<Char> folderPart(std::basic_string_view<Char> path) {
    std::size_t last = path.size();
    while (last > 0 && !isSeparator(path[last - 1])) {
        --last;
    }
    if (last == 0) {
        return {};
    }
    // The separator of a root stays: "C:" alone means that drive's current
    // folder.
    const bool root = last == 3 && path[1] == Char(':');
    return std::basic_string<Char>(path.substr(0, root ? last : last - 1));
}

template <typename Char>
std::basic_string<Char> joined(std::basic_string_view<Char> folder,
                               std::basic_string_view<Char> name) {
    std::basic_string<Char> path(folder);
    if (!path.empty() && !isSeparator(path.back())) {
        path += Char('\\');
    }
    path += name;
    return path;
}

} // namespace

PathKind pathKind(std::string_view name) {
    return kindOf(name);
}

PathKind pathKind(std::u16string_view name) {
    return kindOf(name);
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool sameFolder(std::u16string_view a, std::u16string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]) && !(isSeparator(a[i]) && isSeparator(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string_view withoutTrailingSeparators(std::string_view path) {
    return trimmed(path);
}

std::u16string_view rootOf(std::u16string_view path) {
    if (pathKind(path) != PathKind::Full) {
        return {};
    }
    if (path[1] == u':') {
        return path.substr(0, 2);
    }
    std::size_t at = 2;
    for (int parts = 0; at < path.size(); ++at) {
        if (isSeparator(path[at]) && ++parts == 2) {
            break;
        }
    }
    return path.substr(0, at);
}

std::string folderOf(std::string_view path) {
    return folderPart(path);
}

std::u16string folderOf(std::u16string_view path) {
    return folderPart(path);
}

std::string joinPath(std::string_view folder, std::string_view name) {
    return joined(folder, name);
}

std::u16string joinPath(std::u16string_view folder, std::u16string_view name) {
    return joined(folder, name);
}
