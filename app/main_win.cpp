// Process entry of Pellix2.exe, the launcher of the Tavora application.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "launch_settings.h"
#include "launcher/launcher.h"
#include "locale_file.h"
#include "prompt/java_prompt.h"
#include "prompt/prompt_texts.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    // By its relative name: the file belongs to the working directory.
    const std::string locale = readLocale(kLocaleFileName);

    javaPromptInfo.owner = nullptr;
    javaPromptInfo.instance = instance;
    javaPromptInfo.title = L"Tavora";
    selectPromptTexts(locale, javaPromptInfo);

    // Whether this is the first instance is decided inside; either way the
    // process ends with 1 once it returns.
    startApplication(kInstanceMutexName, kApplicationClassPath, nullptr, kMainClass,
                     kMainClass, kExtraJarMode);
    return 1;
}
