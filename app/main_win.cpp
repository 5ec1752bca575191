// Process entry of Pellix2.exe, the launcher of the Tavora application.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app_folder.h"
#include "common/files_win.h"
#include "common/text_win.h"
#include "common/trace_win.h"
#include "launch_settings.h"
#include "launcher/launcher.h"
#include "locale_file.h"
#include "prompt/java_prompt.h"
#include "prompt/prompt_texts.h"
#include "version.h"

namespace {

void traceStart(const Places& places) {
    TRACE("Pellix2 %s, %s", PELLIX_VERSION_TEXT, traceUtf8(places.executable).c_str());
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

// The executable's folder in the system code page; empty where it holds
// characters that the code page lacks, and such a folder is then never
// found to hold anything.
std::string executableFolder(const Places& places) {
    std::string path;
    return toCodePage(places.executable, path) ? folderOf(path) : std::string();
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

AppFiles findAppFiles(const std::string& executableFolder) {
    AppFiles files;
    const std::string jar(applicationJar(kApplicationClassPath));
    const bool workingHasJar = isFile(jar.c_str());
    const std::string folder = workingHasJar ? std::string() : executableFolder;
    const bool executableHasJar = !folder.empty() && isFile(joinPath(folder, jar).c_str());
    const std::string executableLocale = joinPath(folder, kLocaleFileName);
    const AppFolderChoice choice = chooseAppFolder(
        workingHasJar, executableHasJar, executableHasJar && isFile(kLocaleFileName),
        executableHasJar && isFile(executableLocale.c_str()));
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
    const Places places = findPlaces();
    if (traceEnabled) {
        traceStart(places);
    }
    InitCommonControls();
    std::string folder = executableFolder(places);
    const AppFiles appFiles = findAppFiles(folder);
    LocaleFileState localeFile = LocaleFileState::NotOpened;
    const std::string locale = readLocale(appFiles.localeFile.c_str(), &localeFile);

    javaPromptInfo.owner = nullptr;
    javaPromptInfo.instance = instance;
    javaPromptInfo.title = reinterpret_cast<const wchar_t*>(kProductName);
    const char* language = selectPromptTexts(locale, javaPromptInfo);
    TRACE("locale file %s: %s, locale \"%s\", language %s",
          traceUtf8(appFiles.localeFile.c_str()).c_str(), stateName(localeFile),
          traceUtf8(locale.c_str()).c_str(), language);

    // Whether this is the first instance is decided inside; either way the
    // process ends with 1 once it returns.
    startApplicationIn(launchPlacesFor(places, std::move(folder)), kInstanceMutexName,
                       appFiles.classPath.c_str(), kMainClass, kMainClass, kExtraJarMode);
    return 1;
}

// For another program that loads the executable and starts the application
// through it: the places are its own.
int32_t startApplication(const char* mutexName, const char* classPath, void* /*unused*/,
                         const char* mainClass, const char* laterCallsClass, int32_t extraJarMode) {
    const Places places = findPlaces();
    return startApplicationIn(launchPlacesFor(places, executableFolder(places)), mutexName,
                              classPath, mainClass, laterCallsClass, extraJarMode);
}
