// The missing-Java dialog as a user meets it, observed from outside the real
// executable: what it says in each language, where its parts lie, and what
// each way of closing it starts.
//
// Pellix2 ends with 1 however the dialog was closed, and the dialog's own end
// code never leaves the process: the download is told from the cancel only by
// whether the browser was started.
#include "wine_test.h"

using namespace winetest;

namespace {

std::string launcher;
std::string recorder;

// The stand-in browser appends its command line to the file this names; the
// launcher passes its environment on to what it starts.
const char* const kLogVariable = "PELLIX_IEXPLORE_LOG";

struct Language {
    const wchar_t* message;
    const wchar_t* downloadLabel;
    const wchar_t* cancelLabel;
    const char* url;
};

// Written with escapes, so that a wrong source encoding or a look-alike
// character in the product shows up here.
const Language kEnglish = {L"To use Tavora, you must install Java(64-bit).", L"Download Java...",
                           L"Cancel", "http://www.java.com/en/download/manual.jsp"};
const Language kFrench = {L"Vous devez installer Java(64 bits) pour utiliser Tavora.",
                          L"T\u00e9l\u00e9charger Java\u2026", L"Annuler",
                          "http://www.java.com/fr/download/manual.jsp"};
const Language kItalian = {L"Per utilizzare Tavora, \u00e8 necessario installare Java(64 bit).",
                           L"Scarica Java...", L"Annulla",
                           "http://www.java.com/it/download/manual.jsp"};
const Language kGerman = {
    L"Damit Sie Tavora verwenden k\u00f6nnen, m\u00fcssen Sie Java(64-Bit) installieren.",
    L"Java herunterladen...", L"Abbrechen", "http://www.java.com/de/download/manual.jsp"};
const Language kSpanish = {L"Para poder utilizar Tavora, debe instalar Java(64 bits).",
                           L"Descargar Java...", L"Cancelar",
                           "http://www.java.com/es/download/manual.jsp"};
const Language kPortuguese = {
    L"Para utilizar o Tavora, voc\u00ea precisa instalar o Java(64 bits).", L"Baixar Java...",
    L"Cancelar", "http://www.java.com/pt_BR/download/manual.jsp"};
const Language kJapanese = {
    L"Tavora\u3092\u4f7f\u7528\u3059\u308b\u306b\u306fJava(64\u30d3\u30c3\u30c8)\u3092\u30a4\u30f3"
    L"\u30b9\u30c8\u30fc\u30eb\u3059\u308b\u5fc5\u8981\u304c\u3042\u308a\u307e\u3059\u3002",
    L"Java\u3092\u30c0\u30a6\u30f3\u30ed\u30fc\u30c9...", L"\u30ad\u30e3\u30f3\u30bb\u30eb",
    "http://www.java.com/ja/download/manual.jsp"};
const Language kChinese = {L"\u8981\u4f7f\u7528 Tavora\uff0c\u60a8\u5fc5\u987b\u5b89\u88c5 "
                           L"Java\uff0864 \u4f4d\uff09\u3002",
                           L"\u4e0b\u8f7d Java...", L"\u53d6\u6d88",
                           "http://www.java.com/zh_CN/download/manual.jsp"};
const Language kDutch = {L"Om Tavora te gebruiken, moet u Java(64-bits) installeren.",
                         L"Download Java...", L"Annuleren",
                         "http://www.java.com/nl/download/manual.jsp"};

enum class Ending { DownloadButton, EnterKey, CancelButton, EscapeKey, CloseBox, CloseMessage };

const char* nameOf(Ending ending) {
    switch (ending) {
    case Ending::DownloadButton:
        return "download button";
    case Ending::EnterKey:
        return "Enter";
    case Ending::CancelButton:
        return "cancel button";
    case Ending::EscapeKey:
        return "Esc";
    case Ending::CloseBox:
        return "close box";
    case Ending::CloseMessage:
        return "WM_CLOSE";
    }
    return "?";
}

bool startsBrowser(Ending ending) {
    return ending == Ending::DownloadButton || ending == Ending::EnterKey;
}

// Every language is shown once; each start ends another way, so that each
// way is seen with a language or two. The keys mix short and long names.
struct Case {
    const char* locale; // the value written into dxr_tavora
    const Language& language;
    Ending ending;
};

const Case kCases[] = {
    {"en", kEnglish, Ending::DownloadButton},  {"french", kFrench, Ending::EnterKey},
    {"it", kItalian, Ending::CancelButton},    {"german", kGerman, Ending::EscapeKey},
    {"es", kSpanish, Ending::CloseBox},        {"pt_br", kPortuguese, Ending::CloseMessage},
    {"ja", kJapanese, Ending::DownloadButton}, {"zh_cn", kChinese, Ending::EnterKey},
    {"dutch", kDutch, Ending::CancelButton},
};

// Pellix2 started in a fresh working directory that holds the locale file
// (none for a null locale) and the stand-in browser; what is left running
// is ended with it.
class Launch {
  public:
    explicit Launch(const char* locale, bool withIexplore = true) : directory_("pellix-dialog") {
        if (locale != nullptr) {
            ok(writeFile(directory_.file("dxr_tavora"), std::string("locale=") + locale + "\n"),
               "could not write dxr_tavora in %s", directory_.path().c_str());
        }
        // Wine's ShellExecute first looks for "iexplore" as CreateProcess
        // would: beside Pellix2.exe, in the working directory, then in
        // system32, which holds Wine's own iexplore.exe. It consults App Paths
        // only when that fails, and then only under the name as given, without
        // ".exe". A recorder registered in App Paths is thus never reached;
        // one in the working directory, which Windows too searches before App
        // Paths, is.
        if (withIexplore) {
            ok(CopyFileA(recorder.c_str(), directory_.file("iexplore.exe").c_str(), FALSE),
               "set-up: could not copy %s: %lu", recorder.c_str(), GetLastError());
        }
        SetEnvironmentVariableA(kLogVariable, directory_.file("iexplore.log").c_str());

        if (!ok(start(process_, "\"" + launcher + "\"", directory_.path()),
                "could not start %s: %lu", launcher.c_str(), GetLastError())) {
            return;
        }
        ok(processes_.add(process_), "could not follow the processes it starts: %lu",
           GetLastError());
        dialog_ = findDialog(process_.id());
    }

    HWND dialog() const { return dialog_; }
    const Process& process() const { return process_; }
    const ProcessGroup& processes() const { return processes_; }

    // The command lines the stand-in browsers were started with, in order.
    std::vector<std::string> browserStarts() const {
        std::vector<std::string> lines;
        std::string log;
        readFile(directory_.file("iexplore.log"), log);
        std::size_t begin = 0;
        for (std::size_t end; (end = log.find('\n', begin)) != std::string::npos; begin = end + 1) {
            lines.push_back(log.substr(begin, end - begin));
        }
        return lines;
    }

  private:
    // Destroyed in reverse: the processes end before their directory goes.
    TempDirectory directory_;
    Process process_;
    ProcessGroup processes_;
    HWND dialog_ = nullptr;
};

std::string describe(const RECT& rect) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", rect.left, rect.top, rect.right,
                  rect.bottom);
    return text;
}

// A label's size as the launcher measures it: in a fresh device context of
// the button, which carries the default font, not the button's own.
SIZE labelExtent(HWND button, const wchar_t* label) {
    SIZE size = {0, 0};
    const WindowDC dc(button);
    GetTextExtentPoint32W(dc.get(), label, lstrlenW(label), &size);
    return size;
}

// The program that a command line starts, without directory and ".exe",
// lower-cased: the shell passes "iexplore" on as it was given.
std::string programOf(const std::string& commandLine) {
    const bool quoted = !commandLine.empty() && commandLine[0] == '"';
    std::string program = commandLine.substr(
        quoted ? 1 : 0, commandLine.find(quoted ? '"' : ' ', 1) - (quoted ? 1 : 0));
    program = program.substr(program.find_last_of("\\/") + 1);
    CharLowerA(program.data());
    if (program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0) {
        program.resize(program.size() - 4);
    }
    return program;
}

// What follows the program name on a command line.
std::string parametersOf(const std::string& commandLine) {
    std::size_t end;
    if (!commandLine.empty() && commandLine[0] == '"') {
        end = commandLine.find('"', 1);
        end = end == std::string::npos ? commandLine.size() : end + 1;
    } else {
        end = commandLine.find_first_of(" \t");
    }
    const std::size_t begin = commandLine.find_first_not_of(" \t", end);
    return begin == std::string::npos ? std::string() : commandLine.substr(begin);
}

void testTexts(HWND dialog, const Case& c) {
    group = "texts";
    const Language& expected = c.language;
    ok(windowText(dialog) == L"Tavora", "%s: title \"%s\"", c.locale,
       printable(windowText(dialog)).c_str());

    HWND message = GetDlgItem(dialog, 0);
    char className[16] = "";
    GetClassNameA(message, className, sizeof className);
    ok(message != nullptr && lstrcmpiA(className, "Static") == 0,
       "%s: the message is no STATIC control with id 0 (class \"%s\")", c.locale, className);
    ok(windowText(message) == expected.message, "%s: message \"%s\", expected \"%s\"", c.locale,
       printable(windowText(message)).c_str(), printable(expected.message).c_str());

    const std::wstring download = windowText(GetDlgItem(dialog, IDOK));
    ok(download == expected.downloadLabel, "%s: download button \"%s\", expected \"%s\"", c.locale,
       printable(download).c_str(), printable(expected.downloadLabel).c_str());
    const std::wstring cancel = windowText(GetDlgItem(dialog, IDCANCEL));
    ok(cancel == expected.cancelLabel, "%s: cancel button \"%s\", expected \"%s\"", c.locale,
       printable(cancel).c_str(), printable(expected.cancelLabel).c_str());
}

// In client pixels of the dialog: the message in a band across the top, the
// buttons side by side in the bottom right corner, each sized by its label.
void testLayout(HWND dialog, const Case& c) {
    group = "layout";
    RECT client = {};
    GetClientRect(dialog, &client);

    const RECT message = rectInClient(GetDlgItem(dialog, 0), dialog);
    const RECT expectedMessage = {10, 20, client.right - 10, 60};
    ok(EqualRect(&message, &expectedMessage), "%s: message at %s, expected %s", c.locale,
       describe(message).c_str(), describe(expectedMessage).c_str());

    HWND cancelButton = GetDlgItem(dialog, IDCANCEL);
    const RECT cancel = rectInClient(cancelButton, dialog);
    const SIZE cancelLabel = labelExtent(cancelButton, c.language.cancelLabel);
    ok(cancel.right - cancel.left == cancelLabel.cx + 10 &&
           cancel.bottom - cancel.top == cancelLabel.cy + 10,
       "%s: cancel button %s for a label of %ldx%ld, expected 10 px more each way", c.locale,
       describe(cancel).c_str(), cancelLabel.cx, cancelLabel.cy);
    ok(cancel.right == client.right - 10 && cancel.bottom == client.bottom - 10,
       "%s: cancel button %s in a client of %ldx%ld, expected 10 px off its right and bottom",
       c.locale, describe(cancel).c_str(), client.right, client.bottom);

    HWND downloadButton = GetDlgItem(dialog, IDOK);
    const RECT download = rectInClient(downloadButton, dialog);
    const SIZE downloadLabel = labelExtent(downloadButton, c.language.downloadLabel);
    ok(download.right - download.left == downloadLabel.cx + 10 &&
           download.bottom - download.top == downloadLabel.cy + 10,
       "%s: download button %s for a label of %ldx%ld, expected 10 px more each way", c.locale,
       describe(download).c_str(), downloadLabel.cx, downloadLabel.cy);
    ok(download.right == cancel.left - 5 && download.bottom == client.bottom - 10,
       "%s: download button %s, cancel button %s, client %ldx%ld: expected 5 px left of cancel "
       "and 10 px off the bottom",
       c.locale, describe(download).c_str(), describe(cancel).c_str(), client.right, client.bottom);
}

// Centred by the client size alone: frame and caption are left out.
void testPlacement(HWND dialog, const Case& c) {
    group = "placement";
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT window = {};
    GetWindowRect(dialog, &window);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(client.right)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(client.bottom)) / 2;
    ok(window.left == x && window.top == y, "%s: dialog at (%ld,%ld), expected (%d,%d)", c.locale,
       window.left, window.top, x, y);
}

// Whether text in font, wrapped within box less a margin, fits in with it.
bool fits(const LOGFONTW& font, const wchar_t* text, const RECT& box, int margin) {
    const WindowDC dc(nullptr);
    HGDIOBJ previous = SelectObject(dc.get(), CreateFontIndirectW(&font));
    RECT drawn = {0, 0, box.right - box.left - margin, 0};
    DrawTextW(dc.get(), text, -1, &drawn, DT_CALCRECT | DT_WORDBREAK);
    DeleteObject(SelectObject(dc.get(), previous));
    return drawn.right + margin <= box.right - box.left &&
           drawn.bottom + margin <= box.bottom - box.top;
}

// At any DPI: the amounts of 96 DPI scaled, the buttons below the message;
// the labels within the margins in the template's 7 points as the dialog
// manager makes them; the message whole, as at 96 in every language.
void testScaling(HWND dialog, const Case& c, int dpi) {
    group = "scaling";
    const auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    RECT client = {};
    GetClientRect(dialog, &client);
    const RECT message = rectInClient(GetDlgItem(dialog, 0), dialog);
    const RECT cancel = rectInClient(GetDlgItem(dialog, IDCANCEL), dialog);
    const RECT download = rectInClient(GetDlgItem(dialog, IDOK), dialog);
    const RECT scaled = {px(10), px(20), client.right - px(10), px(60)};
    ok(EqualRect(&message, &scaled) && cancel.right == scaled.right &&
           cancel.bottom == client.bottom - px(10) && download.bottom == cancel.bottom &&
           download.right == cancel.left - px(5) && cancel.top >= scaled.bottom,
       "%s at %d DPI: message %s, cancel %s, download %s", c.locale, dpi, describe(message).c_str(),
       describe(cancel).c_str(), describe(download).c_str());
    LOGFONTW font = {
        -MulDiv(7, dpi, 72), 0, 0, 0, FW_DONTCARE, 0, 0, 0, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, 0,
        L"MS Sans Serif"};
    ok(fits(font, c.language.cancelLabel, cancel, px(10)) &&
           fits(font, c.language.downloadLabel, download, px(10)),
       "%s at %d DPI: a label outgrows its button", c.locale, dpi);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, dpi, 96);
    ok(fits(font, c.language.message, message, 0), "%s at %d DPI: the message is cut", c.locale,
       dpi);
}

void end(HWND dialog, Ending ending) {
    // A BM_CLICK may be lost on a dialog that is not active; the launcher
    // lets any process bring its windows to the front.
    SetForegroundWindow(dialog);
    switch (ending) {
    case Ending::DownloadButton:
        PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        break;
    case Ending::EnterKey:
        // The dialog sets no focus itself, but once active it has the
        // dialog manager give it to the first tab stop: the download button.
        pressKey(dialog, VK_RETURN);
        break;
    case Ending::CancelButton:
        PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        break;
    case Ending::EscapeKey:
        pressKey(dialog, VK_ESCAPE);
        break;
    case Ending::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case Ending::CloseMessage:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    }
}

void testEnding(const Launch& launch, const Case& c) {
    group = "ending";
    const char* how = nameOf(c.ending);
    end(launch.dialog(), c.ending);
    const DWORD code = launch.process().wait(10000);
    ok(code == 1, "%s, %s: exit code %lu, expected 1", c.locale, how, code);
    ok(launch.processes().waitForAll(10000), "%s, %s: what it started still runs", c.locale, how);

    if (startsBrowser(c.ending)) {
        const std::vector<std::string> starts = launch.browserStarts();
        ok(starts.size() == 1 && programOf(starts.back()) == "iexplore",
           "%s, %s: not iexplore alone was started, once (%zu starts, the last [%s])", c.locale,
           how, starts.size(), starts.empty() ? "" : starts.back().c_str());
        const std::string parameters = starts.empty() ? "" : parametersOf(starts.back());
        ok(parameters == c.language.url, "%s, %s: the browser got [%s], expected [%s]", c.locale,
           how, parameters.c_str(), c.language.url);
    } else {
        const DWORD started = launch.processes().everStarted();
        ok(started == 1, "%s, %s: %lu processes in all, expected the launcher alone", c.locale, how,
           started);
    }
}

void testLanguage(const Case& c, int dpi) {
    group = "start";
    Launch launch(c.locale);
    if (!ok(launch.dialog() != nullptr, "%s: no dialog", c.locale)) {
        return;
    }
    testTexts(launch.dialog(), c);
    if (dpi == 96) {
        testLayout(launch.dialog(), c);
    }
    testScaling(launch.dialog(), c, dpi);
    testPlacement(launch.dialog(), c);
    testEnding(launch, c);
}

// Where "iexplore" cannot be started, the download button gives the page to
// the browser that the system opens web addresses with, and the dialog ends
// as after any download.
void testWithoutIexplore() {
    group = "no iexplore";
    // Wine's own iexplore.exe in system32 would be found; it is moved aside
    // for this start. A Windows installation is not altered by the test.
    if (!onWine()) {
        std::printf("skipping the start without iexplore: only under Wine can it be removed\n");
        return;
    }
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string iexplore = std::string(system) + "\\iexplore.exe";
    const std::string aside = iexplore + ".aside";
    if (!SETUP(MoveFileExA(iexplore.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))) {
        return;
    }
    {
        Launch launch("de", false);
        if (ok(launch.dialog() != nullptr, "no dialog")) {
            end(launch.dialog(), Ending::DownloadButton);
            const DWORD code = launch.process().wait(10000);
            ok(code == 1, "exit code %lu, expected 1", code);
            ok(launch.processes().waitForAll(10000), "what it started still runs");
            const std::vector<std::string> starts = launch.browserStarts();
            ok(starts.size() == 1 && programOf(starts.back()) == "browser",
               "not the default browser alone was started, once (%zu starts, the last [%s])",
               starts.size(), starts.empty() ? "" : starts.back().c_str());
            // The association's command line quotes its %1.
            const std::string expected = std::string("\"") + kGerman.url + "\"";
            const std::string parameters = starts.empty() ? "" : parametersOf(starts.back());
            ok(parameters == expected, "the browser got [%s], expected [%s]", parameters.c_str(),
               expected.c_str());
        }
    }
    SETUP(MoveFileExA(aside.c_str(), iexplore.c_str(), MOVEFILE_REPLACE_EXISTING));
}

// Without a locale file in the working directory the dialog speaks English.
void testWithoutLocaleFile() {
    group = "no locale file";
    Launch launch(nullptr);
    if (!ok(launch.dialog() != nullptr, "no dialog")) {
        return;
    }
    const std::wstring message = windowText(GetDlgItem(launch.dialog(), 0));
    ok(message == kEnglish.message, "message \"%s\", expected the English one",
       printable(message).c_str());
    PostMessageA(launch.dialog(), WM_CLOSE, 0, 0);
    launch.process().wait(10000);
}

// Wine only: without a window manager, hiding a window that Wine deems
// managed waits two seconds for a manager that never answers, once per
// closed dialog. The launcher's windows go unmanaged for this test, unless
// the prefix already has settings for it; the key goes again at the end.
class UnmanagedLauncherWindows {
  public:
    UnmanagedLauncherWindows() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            const UniqueKey existing(key);
            return;
        }
        if (RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + "\\X11 Driver").c_str(), 0,
                            nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
            const UniqueKey settings(key);
            created_ = true;
            RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        }
    }
    ~UnmanagedLauncherWindows() {
        if (created_) {
            RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        }
    }
    UnmanagedLauncherWindows(const UnmanagedLauncherWindows&) = delete;
    UnmanagedLauncherWindows& operator=(const UnmanagedLauncherWindows&) = delete;

  private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Pellix2.exe";
    bool created_ = false;
};

// The stand-in browser, as browser.exe, is what the system opens web
// addresses with while this lives: so every test sees whether the launcher
// started it. Windows consults the user's choice before HKCR\http; Wine reads
// HKCR\http alone, which this sets.
class DefaultBrowser {
  public:
    DefaultBrowser() : directory_("pellix-browser") {
        const std::string program = directory_.file("browser.exe");
        SETUP(CopyFileA(recorder.c_str(), program.c_str(), FALSE));
        HKEY key = nullptr;
        if (!SETUP(RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0,
                                   KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                                   nullptr) == ERROR_SUCCESS)) {
            return;
        }
        key_.reset(key);
        DWORD size = sizeof earlier_;
        hadValue_ = RegQueryValueExA(key, nullptr, nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(earlier_), &size) == ERROR_SUCCESS;
        const std::string command = "\"" + program + "\" \"%1\"";
        SETUP(RegSetValueExA(key, nullptr, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS);
    }
    ~DefaultBrowser() {
        if (!key_) {
            return;
        }
        if (hadValue_) {
            RegSetValueExA(key_.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(earlier_),
                           static_cast<DWORD>(lstrlenA(earlier_) + 1));
        } else {
            RegDeleteValueA(key_.get(), nullptr);
        }
    }
    DefaultBrowser(const DefaultBrowser&) = delete;
    DefaultBrowser& operator=(const DefaultBrowser&) = delete;

  private:
    static constexpr const char* kKey = "http\\shell\\open\\command";
    TempDirectory directory_;
    UniqueKey key_;
    char earlier_[1024] = "";
    bool hadValue_ = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: dialog_test PELLIX2.EXE IEXPLORE_RECORDER.EXE\n");
        return 2;
    }
    launcher = windowsPath(argv[1]);
    recorder = windowsPath(argv[2]);
    // Wine starts its desktop process with the first window of a prefix;
    // started from here, it stays out of the launcher's process group.
    GetDesktopWindow();
    {
        UnmanagedLauncherWindows unmanaged;
        const DefaultBrowser browser;
        // Wine reads the DPI at each start, Windows at logon. 96 last, as before.
        for (const int dpi : {144, 192, 96}) {
            for (const Case& c : kCases) {
                if (onWine() ? SETUP(RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop",
                                                     "LogPixels", REG_DWORD, &dpi,
                                                     sizeof dpi) == ERROR_SUCCESS)
                             : dpi == 96) {
                    testLanguage(c, dpi);
                }
            }
        }
        testWithoutLocaleFile();
        testWithoutIexplore();
    }
    return finish("dialog_test");
}
