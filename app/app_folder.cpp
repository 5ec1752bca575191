#include "app_folder.h"

#include "launch_settings.h"

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

std::string classPathIn(std::string_view classPath, std::string_view folder) {
    std::string result;
    while (!classPath.empty()) {
        const std::size_t end = classPath.find(';');
        std::string_view entry = classPath.substr(0, end);
        if (entry.empty()) {
            // Nothing to resolve: whatever the runtime makes of it, as before.
        } else if (entry == ".") {
            result += folder;
        } else if (pathKind(entry) != PathKind::Relative) {
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

LaunchPlaces launchPlacesFor(const Places& places, std::string executableFolder) {
    LaunchPlaces launch;
    const std::u16string folder = folderOf(places.executable);
    if (!folder.empty()) {
        launch.java.optionsFiles[0] = joinPath(folder, kVmOptionsFileName);
    }
    if (!places.roamingData.empty()) {
        launch.java.optionsFiles[1] =
            joinPath(joinPath(places.roamingData, kProductName), kVmOptionsFileName);
    }
    if (!places.localData.empty()) {
        launch.java.cacheFolder = joinPath(places.localData, kProductName);
    }
    launch.java.executableFolder = std::move(executableFolder);
    launch.workingFolder = places.workingFolder;
    return launch;
}
