// Process entry of Pellix2.exe, the launcher of the Tavora application.
#include <windows.h>
#include <commctrl.h>

#include <string>

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

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    startTrace();
    if (traceEnabled) {
        traceStart();
    }
    InitCommonControls();
    // By its relative name: the file belongs to the working directory.
    LocaleFileState localeFile = LocaleFileState::NotOpened;
    const std::string locale = readLocale(kLocaleFileName, &localeFile);

    javaPromptInfo.owner = nullptr;
    javaPromptInfo.instance = instance;
    javaPromptInfo.title = L"Tavora";
    const char* language = selectPromptTexts(locale, javaPromptInfo);
    TRACE("locale file %s: %s, locale \"%s\", language %s", kLocaleFileName, stateName(localeFile),
          traceUtf8(locale.c_str()).c_str(), language);

    // Whether this is the first instance is decided inside; either way the
    // process ends with 1 once it returns.
    startApplication(kInstanceMutexName, kApplicationClassPath, nullptr, kMainClass, kMainClass,
                     kExtraJarMode);
    return 1;
}
