#include "app_folder.h"

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// "C:\x", "C:/x", "\\server\share", "\x": nothing in them depends on the
// working directory's folder.
bool isRooted(std::string_view entry) {
    return (!entry.empty() && isSeparator(entry[0])) || (entry.size() >= 2 && entry[1] == ':');
}

} // namespace

AppFolderChoice chooseAppFolder(bool workingHasJar, bool executableHasJar, bool workingHasLocale,
                                bool executableHasLocale) {
    AppFolderChoice choice;
    if (workingHasJar) {
        return choice;
    }
    if (!executableHasJar) {
        choice.reason = AppFolderReason::NeitherHoldsJar;
        return choice;
    }
    choice.fromExecutable = true;
    choice.localeFromExecutable = !workingHasLocale && executableHasLocale;
    choice.reason = AppFolderReason::ExecutableHoldsJar;
    return choice;
}

std::string_view applicationJar(std::string_view classPath) {
    while (!classPath.empty()) {
        const std::size_t end = classPath.find(';');
        const std::string_view entry = classPath.substr(0, end);
        if (entry.size() > 4 && entry.substr(entry.size() - 4) == ".jar") {
            return entry;
        }
        if (end == std::string_view::npos) {
            break;
        }
        classPath.remove_prefix(end + 1);
    }
    return {};
}

std::string folderOf(std::string_view modulePath) {
    const std::size_t last = modulePath.find_last_of("\\/");
    if (last == std::string_view::npos) {
        return {};
    }
    // Keep the separator of a root: "C:" alone means that drive's current
    // folder.
    const bool root = last == 2 && modulePath[1] == ':';
    return std::string(modulePath.substr(0, root ? last + 1 : last));
}

std::string joinPath(std::string_view folder, std::string_view relative) {
    std::string path(folder);
    if (!path.empty() && !isSeparator(path.back())) {
        path += '\\';
    }
    path += relative;
    return path;
}

std::string classPathIn(std::string_view classPath, std::string_view folder) {
    std::string result;
    while (!classPath.empty()) {
        const std::size_t end = classPath.find(';');
        std::string_view entry = classPath.substr(0, end);
        if (entry.empty()) {
            // Nothing to resolve: whatever the runtime makes of it, as before.
        } else if (entry == ".") {
            result += folder;
        } else if (isRooted(entry)) {
            result += entry;
        } else {
            if (entry.size() >= 2 && entry[0] == '.' && isSeparator(entry[1])) {
                entry.remove_prefix(2);
            }
            result += joinPath(folder, entry);
        }
        if (end == std::string_view::npos) {
            break;
        }
        result += ';';
        classPath.remove_prefix(end + 1);
    }
    return result;
}
