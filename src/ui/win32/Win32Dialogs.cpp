#include "ui/win32/Win32Dialogs.h"

#include <commdlg.h>

#include "ui/win32/WinHandles.h"

namespace tastavia::ui {

namespace {

UINT IconFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information: return MB_ICONINFORMATION;
        case MessageKind::Warning: return MB_ICONWARNING;
        case MessageKind::Error: return MB_ICONERROR;
        case MessageKind::Confirmation: return MB_ICONQUESTION;
    }
    return 0;
}

UINT ButtonsFor(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok: return MB_OK;
        case MessageButtons::OkCancel: return MB_OKCANCEL;
        case MessageButtons::YesNo: return MB_YESNO;
        case MessageButtons::YesNoCancel: return MB_YESNOCANCEL;
        case MessageButtons::YesNoKeep: return MB_YESNO | MB_DEFBUTTON2;
    }
    return MB_OK;
}

// A Yes/No box takes no Escape of its own: while one that keeps on "No" is up, Escape
// in it answers "No", as Cancel would in a box that has one.
HHOOK g_escapeHook = nullptr;

LRESULT CALLBACK EscapeMeansNo(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
        HWND box = msg->hwnd;
        while (box && (GetWindowLongA(box, GWL_STYLE) & WS_CHILD)) box = GetParent(box);
        if (box) {
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            return 1;
        }
    }
    return CallNextHookEx(g_escapeHook, code, wParam, lParam);
}

struct EscapeHook {
    explicit EscapeHook(bool wanted) {
        if (wanted && !g_escapeHook)
            g_escapeHook = SetWindowsHookExA(WH_MSGFILTER, EscapeMeansNo, nullptr, GetCurrentThreadId());
        installed = wanted && g_escapeHook;
    }
    ~EscapeHook() {
        if (!installed) return;
        UnhookWindowsHookEx(g_escapeHook);
        g_escapeHook = nullptr;
    }
    EscapeHook(const EscapeHook&) = delete;
    EscapeHook& operator=(const EscapeHook&) = delete;
    bool installed = false;
};

// The size of the structure before Windows 2000 added to it: Windows 98 refuses more.
const DWORD kOpenFileNameSize = OPENFILENAME_SIZE_VERSION_400A;

}  // namespace

Answer Win32Dialogs::ShowMessage(MessageKind kind, MessageButtons buttons, const std::string& text) {
    HWND owner = owner_ ? owner_() : nullptr;
    UINT type = IconFor(kind) | ButtonsFor(buttons) | (owner ? MB_APPLMODAL : MB_TASKMODAL);
    EscapeHook escape(buttons == MessageButtons::YesNoKeep);
    switch (MessageBoxA(owner, text.c_str(), MessageTitle(kind), type)) {
        case IDOK: return Answer::Ok;
        case IDYES: return Answer::Yes;
        case IDNO: return Answer::No;
        default:
            // Closed without a button, or the box could not be shown.
            if (buttons == MessageButtons::Ok) return Answer::Ok;
            return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoKeep ? Answer::No
                                                                                            : Answer::Cancel;
    }
}

std::string Win32Dialogs::NativeFilter(const std::string& filter) {
    if (filter.empty()) return {};
    std::string native = filter;
    for (char& c : native)
        if (c == '|') c = '\0';
    native.append(2, '\0');
    return native;
}

std::optional<std::string> Win32Dialogs::OpenFile(const FileDialogOptions& options) { return FileDialog(options, false); }

std::optional<std::string> Win32Dialogs::SaveFile(const FileDialogOptions& options) { return FileDialog(options, true); }

std::optional<std::string> Win32Dialogs::FileDialog(const FileDialogOptions& options, bool save) {
    std::string filter = NativeFilter(options.filter);
    std::string extension = options.defaultExtension;
    if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
    char path[2 * MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = kOpenFileNameSize;
    dialog.hwndOwner = owner_ ? owner_() : nullptr;
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // Opening a file that is not there yet is allowed, and saving over one asks nothing:
    // the program decides what either means.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING;
    // The common dialogs, and all they load in turn, come in with the first file dialog
    // instead of slowing every start.
    static const win32::Library commonDialogs("comdlg32.dll");
    using Choose = BOOL(WINAPI*)(LPOPENFILENAMEA);
    Choose choose = commonDialogs.Find<Choose>(save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    if (!choose || !choose(&dialog)) return std::nullopt;
    return std::string(path);
}

}  // namespace tastavia::ui
