#include "java_prompt.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

#include "common/trace.h"
#include "common/unique_handle_win.h"
#include "dialog_layout.h"
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

// The message's font where the stock one does not suit the dialog's DPI:
// released once another has replaced it, and when the dialog has ended.
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>,
                                   unique_handle_detail::Releaser<HFONT, DeleteObject>>;
UniqueFont messageFont;

// Posted on a change of DPI: the dialog is laid out again only once the
// dialog manager has done its part, after the procedure has returned.
constexpr UINT kLayOutAgain = WM_APP;

// The system's DPI, the one the stock fonts are made for: what it was at
// logon, whatever the monitors' scaling since.
int systemDpi() {
    const WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

// The DPI of the monitor the dialog is on, or 0 where Windows cannot tell
// it: before Windows 10 (1607), which lays the dialog out at the system's DPI
// instead. Resolved here, since older Windows lacks the call.
int windowDpi(HWND dialog) {
    using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return getDpiForWindow != nullptr ? static_cast<int>(getDpiForWindow(dialog)) : 0;
}

void labelButton(HWND dialog, int id, const wchar_t* label) {
    LocalTextCopy copy(label);
    SetDlgItemTextW(dialog, id, copy.text());
}

// A label measured in a fresh device context of its button: in the default
// font that the context carries, as the buttons were always sized, and in
// the font the button draws it with, the dialog's.
PromptLabel measureLabel(HWND button, const wchar_t* label) {
    const WindowDC dc(button);
    const int length = lstrlenW(label);
    SIZE inDefault = {0, 0};
    GetTextExtentPoint32W(dc.get(), label, length, &inDefault);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): WM_GETFONT answers with a handle
    HGDIOBJ buttonFont = reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0));
    HGDIOBJ previous = SelectObject(dc.get(), buttonFont);
    SIZE inButton = {0, 0};
    GetTextExtentPoint32W(dc.get(), label, length, &inButton);
    SelectObject(dc.get(), previous);
    return {{inDefault.cx, inDefault.cy}, {inButton.cx, inButton.cy}};
}

HWND createMessage(HWND dialog, const PromptBox& box, const JavaPromptInfo& info) {
    LocalTextCopy message(info.message);
    return CreateWindowExW(0, L"STATIC", message.text(), WS_CHILD | WS_VISIBLE, box.x, box.y,
                           box.width, box.height, dialog, nullptr,
                           static_cast<HINSTANCE>(info.instance), nullptr);
}

// The stock GUI font is made for the system's DPI; on a monitor of another
// scaling the message gets a copy of it made for that monitor's.
void setMessageFont(HWND message, int dpi) {
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    const int system = systemDpi();
    UniqueFont scaled;
    LOGFONTW description = {};
    if (dpi != system && GetObjectW(font, sizeof description, &description) != 0) {
        description.lfHeight = scaleToDpi(description.lfHeight, dpi, system);
        scaled.reset(CreateFontIndirectW(&description));
        if (scaled) {
            font = scaled.get();
        }
    }
    SendMessageW(message, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // The message's earlier font goes only now that it draws with another.
    messageFont = std::move(scaled);
}

void moveTo(HWND window, const PromptBox& box) {
    MoveWindow(window, box.x, box.y, box.width, box.height, TRUE);
}

// Lays the labelled dialog out at dpi, or where that is 0 at the DPI of its
// monitor: at its start, where the message is made, and again at each change
// of DPI.
void layOut(HWND dialog, int dpi, const JavaPromptInfo& info) {
    if (dpi == 0) {
        dpi = windowDpi(dialog);
    }
    if (dpi == 0) {
        dpi = systemDpi();
    }
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    HWND download = GetDlgItem(dialog, IDOK);
    RECT client = {};
    GetClientRect(dialog, &client);
    const PromptLayout layout =
        layOutPrompt(dpi, {client.right, client.bottom}, measureLabel(cancel, info.cancelLabel),
                     measureLabel(download, info.downloadLabel));
    if (layout.growth > 0) {
        RECT window = {};
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                     window.bottom - window.top + layout.growth,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    moveTo(cancel, layout.cancel);
    moveTo(download, layout.download);

    HWND message = GetDlgItem(dialog, 0);
    if (message == nullptr) {
        message = createMessage(dialog, layout.message, info);
        setMessageFont(message, dpi);
        const WindowDC dc(message);
        SetBkMode(dc.get(), TRANSPARENT);
    } else {
        moveTo(message, layout.message);
        setMessageFont(message, dpi);
    }
}

void initialiseDialog(HWND dialog, const JavaPromptInfo& info) {
    {
        LocalTextCopy title(info.title);
        SetWindowTextW(dialog, title.text());
    }
    labelButton(dialog, IDCANCEL, info.cancelLabel);
    labelButton(dialog, IDOK, info.downloadLabel);
    layOut(dialog, 0, info);

    // Centred by the client size as laid out: frame and caption are not
    // counted.
    RECT client = {};
    GetClientRect(dialog, &client);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - client.right) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2;
    SetWindowPos(dialog, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
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

INT_PTR CALLBACK javaPromptDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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
    case WM_DPICHANGED: {
        // Per-monitor v2: once this returns, the dialog manager resizes the
        // dialog for the new DPI and gives the buttons the dialog's font made
        // for it. Per-monitor awareness before it does neither, so the dialog
        // takes the size Windows suggests, and the buttons keep their font.
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the message's lParam is a RECT*
        if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
            SetWindowPos(dialog, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        PostMessageW(dialog, kLayOutAgain, LOWORD(wParam), 0);
        break;
    }
    case kLayOutAgain:
        layOut(dialog, static_cast<int>(wParam), *currentPromptInfo);
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
    const intptr_t ended =
        DialogBoxIndirectParamW(static_cast<HINSTANCE>(info.instance), &javaPromptTemplate.header,
                                static_cast<HWND>(info.owner), javaPromptDialogProc, 0);
    messageFont.reset();
    return ended;
}
