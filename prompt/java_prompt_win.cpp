#include "java_prompt.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>

#include "common/trace.h"
#include "common/unique_handle_win.h"
#include "wide_copy.h"

JavaPromptInfo javaPromptInfo;

namespace {

// The dialog procedure reaches the record only through this pointer: the
// dialog is created with a creation parameter of 0.
const JavaPromptInfo* currentPromptInfo = nullptr;

// The in-memory template: a plain DLGTEMPLATE with two DLGITEMTEMPLATE
// items, each starting on a DWORD boundary. The caption and button texts
// are placeholders that initialisation replaces before the dialog shows.
#pragma pack(push, 2)
struct PromptTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WCHAR caption[6];
    WORD pointSize;
    WCHAR typeface[14];
    DLGITEMTEMPLATE download;
    WORD downloadClass[2];
    WCHAR downloadText[4];
    WORD downloadCreationData;
    DLGITEMTEMPLATE cancel;
    WORD cancelClass[2];
    WCHAR cancelText[8];
    WORD cancelCreationData;
};
#pragma pack(pop)

static_assert(offsetof(PromptTemplate, download) % 4 == 0, "item must be DWORD-aligned");
static_assert(offsetof(PromptTemplate, cancel) % 4 == 0, "item must be DWORD-aligned");

constexpr WORD kButtonClass = 0x0080;

alignas(4) const PromptTemplate javaPromptTemplate = {
    {WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK, 0, 2,
     0, 0, 220, 60},
    0,
    0,
    L"Ttile",
    7,
    L"MS Sans Serif",
    {WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, WS_EX_NOPARENTNOTIFY, 140,
     110, 50, 14, IDOK},
    {0xFFFF, kButtonClass},
    L"&OK",
    0,
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, WS_EX_NOPARENTNOTIFY, 196, 110, 50, 14,
     IDCANCEL},
    {0xFFFF, kButtonClass},
    L"&Cancel",
    0,
};

static_assert(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                  DS_3DLOOK == 0x90C800C4,
              "dialog style");

// Each text is shown through a LocalAlloc'ed copy of its own. Should the
// block not be had, the record's own constant text is shown instead.
class LocalTextCopy {
  public:
    explicit LocalTextCopy(const wchar_t* text)
        : text_(text),
          block_(LocalAlloc(LPTR, (static_cast<SIZE_T>(lstrlenW(text)) + 2) * sizeof(WCHAR))) {
        if (block_) {
            auto* copy = static_cast<wchar_t*>(block_.get());
            if (copyWideString(copy, LocalSize(block_.get()) / sizeof(WCHAR), text) == kCopyOk) {
                text_ = copy;
            }
        }
    }

    const wchar_t* text() const { return text_; }

  private:
    const wchar_t* text_;
    UniqueLocal block_;
};

// Sets a button's label and returns its size in the button's own device
// context, which carries the default font, not the dialog's.
SIZE labelButton(HWND dialog, int id, const wchar_t* label) {
    LocalTextCopy copy(label);
    SetDlgItemTextW(dialog, id, copy.text());
    SIZE size = {0, 0};
    WindowDC dc(GetDlgItem(dialog, id));
    GetTextExtentPoint32W(dc.get(), copy.text(), lstrlenW(copy.text()), &size);
    return size;
}

void initialiseDialog(HWND dialog, const JavaPromptInfo& info) {
    RECT client = {};
    GetClientRect(dialog, &client);
    const LONG right = client.right;
    const LONG bottom = client.bottom;

    // Centred by the client size: frame and caption are not counted.
    const int x = (GetSystemMetrics(SM_CXSCREEN) - right) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - bottom) / 2;
    SetWindowPos(dialog, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);

    {
        LocalTextCopy title(info.title);
        SetWindowTextW(dialog, title.text());
    }
    {
        LocalTextCopy message(info.message);
        HWND text = CreateWindowExW(0, L"STATIC", message.text(), WS_CHILD | WS_VISIBLE, 10, 20,
                                    (right - client.left) - 20, 40, dialog, nullptr,
                                    static_cast<HINSTANCE>(info.instance), nullptr);
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     TRUE);
        WindowDC dc(text);
        SetBkMode(dc.get(), TRANSPARENT);
    }

    const SIZE cancel = labelButton(dialog, IDCANCEL, info.cancelLabel);
    MoveWindow(GetDlgItem(dialog, IDCANCEL), right - cancel.cx - 20, bottom - cancel.cy - 20,
               cancel.cx + 10, cancel.cy + 10, TRUE);

    const SIZE download = labelButton(dialog, IDOK, info.downloadLabel);
    MoveWindow(GetDlgItem(dialog, IDOK), right - cancel.cx - download.cx - 35,
               bottom - download.cy - 20, download.cx + 10, download.cy + 10, TRUE);
}

// shell32 is loaded here, when the user asks for the download, and not as
// an import: that would load it, and what it pulls in, in every start of the
// launcher (about 10 ms each under Wine). By its full path, whatever the
// search path is by then. Deliberately never freed: what ShellExecuteA
// started may still run in this process.
void openDownloadPage(const std::string& url) {
    constexpr char kFileName[] = "\\shell32.dll";
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof kFileName > MAX_PATH) {
        return;
    }
    std::memcpy(path + length, kFileName, sizeof kFileName);
    HMODULE shell32 = LoadLibraryA(path);
    if (shell32 == nullptr) {
        return;
    }
    auto shellExecute = reinterpret_cast<decltype(&ShellExecuteA)>(
        reinterpret_cast<void*>(GetProcAddress(shell32, "ShellExecuteA")));
    if (shellExecute != nullptr) {
        const auto started = reinterpret_cast<INT_PTR>(
            shellExecute(nullptr, "open", "iexplore", url.c_str(), nullptr, SW_SHOWNORMAL));
        TRACE("download page: iexplore started with %ld", static_cast<long>(started));
        // 32 or less: no iexplore here (removed as an optional feature, or a
        // server installation). The user still asked for the page, so the
        // browser that the system opens web addresses with gets it.
        if (started <= 32) {
            const auto opened = reinterpret_cast<INT_PTR>(
                shellExecute(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
            TRACE("download page: default browser started with %ld", static_cast<long>(opened));
        }
    }
}

INT_PTR CALLBACK javaPromptDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        initialiseDialog(dialog, *currentPromptInfo);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            openDownloadPage(currentPromptInfo->downloadUrl);
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            break;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        break;
    default:
        break;
    }
    // FALSE for every message: the dialog manager's default processing runs
    // for all of them, and for WM_INITDIALOG it then sets no keyboard focus.
    return FALSE;
}

} // namespace

intptr_t showJavaPrompt(const JavaPromptInfo& info) {
    currentPromptInfo = &info;
    return DialogBoxIndirectParamW(static_cast<HINSTANCE>(info.instance),
                                   &javaPromptTemplate.header, static_cast<HWND>(info.owner),
                                   javaPromptDialogProc, 0);
}
