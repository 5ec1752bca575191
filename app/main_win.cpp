// Process entry of Pellix2.exe, the launcher of the Tavora application.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app_folder.h"
#include "common/trace_win.h"
#include "launch_settings.h"
#include "launcher/launcher.h"
#include "locale_file.h"
#include "prompt/java_prompt.h"
#include "prompt/prompt_texts.h"
#include "version.h"

namespace {

void traceStart() {
    wchar_t path[MAX_PATH * 4] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    TRACE("Pellix2 %s, %s", PELLIX_VERSION_TEXT, traceUtf8(path).c_str());
    TRACE("command line: %s", traceUtf8(GetCommandLineW()).c_str());
}

const char* stateName(LocaleFileState state) {
    switch (state) {
    case LocaleFileState::NotOpened:
        return "not found";
    case LocaleFileState::NoKey:
        return "found, without locale=";
    case LocaleFileState::KeyFound:
        return "found";
    }
    return "?";
}

bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The executable's folder in the system code page; empty when its name does
// not fit or holds characters that the code page lacks (they come back as
// "?", and such a folder is then never found to hold anything).
std::string executableFolder() {
    char path[MAX_PATH * 4] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length == 0 || length >= sizeof path ? std::string() : folderOf(path);
}

const char* reasonText(AppFolderReason reason) {
    switch (reason) {
    case AppFolderReason::WorkingHoldsJar:
        return "the working directory holds";
    case AppFolderReason::ExecutableHoldsJar:
        return "only the executable's folder holds";
    case AppFolderReason::NeitherHoldsJar:
        return "neither folder holds";
    }
    return "?";
}

// Where the application's files lie: by their relative names, in the
// working directory, as always; taken from the executable's folder where
// only that one holds the application jar. The working directory itself
// stays, so that Java's user.dir and the names given to main mean what the
// user meant.
struct AppFiles {
    std::string classPath = kApplicationClassPath;
    std::string localeFile = kLocaleFileName;
};

AppFiles findAppFiles() {
    AppFiles files;
    const std::string jar(applicationJar(kApplicationClassPath));
    const bool workingHasJar = isFile(jar);
    const std::string folder = workingHasJar ? std::string() : executableFolder();
    const bool executableHasJar = !folder.empty() && isFile(joinPath(folder, jar));
    const std::string executableLocale = joinPath(folder, kLocaleFileName);
    const AppFolderChoice choice = chooseAppFolder(workingHasJar, executableHasJar,
                                                   executableHasJar && isFile(kLocaleFileName),
                                                   executableHasJar && isFile(executableLocale));
    if (choice.fromExecutable) {
        files.classPath = classPathIn(kApplicationClassPath, folder);
    }
    if (choice.localeFromExecutable) {
        files.localeFile = executableLocale;
    }
    TRACE("application folder: %s, as %s %s",
          choice.fromExecutable ? traceUtf8(folder.c_str()).c_str() : "the working directory",
          reasonText(choice.reason), jar.c_str());
    return files;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    startTrace();
    if (traceEnabled) {
        traceStart();
    }
    InitCommonControls();
    const AppFiles appFiles = findAppFiles();
    LocaleFileState localeFile = LocaleFileState::NotOpened;
    const std::string locale = readLocale(appFiles.localeFile.c_str(), &localeFile);

    javaPromptInfo.owner = nullptr;
    javaPromptInfo.instance = instance;
    javaPromptInfo.title = L"Tavora";
    const char* language = selectPromptTexts(locale, javaPromptInfo);
    TRACE("locale file %s: %s, locale \"%s\", language %s",
          traceUtf8(appFiles.localeFile.c_str()).c_str(), stateName(localeFile),
          traceUtf8(locale.c_str()).c_str(), language);

    // Whether this is the first instance is decided inside; either way the
    // process ends with 1 once it returns.
    startApplication(kInstanceMutexName, appFiles.classPath.c_str(), nullptr, kMainClass,
                     kMainClass, kExtraJarMode);
    return 1;
}
