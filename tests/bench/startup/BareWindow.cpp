// The floors of the start-up benchmark: a plain Win32 program that shows one window of
// the start dialog's size with one button and nothing else; built as bare-dialog, it adds
// the start dialog's system controls and the program's manifest (common controls 6),
// which shows what those cost by themselves.
#include <windows.h>

namespace {

constexpr int kClientWidth = 305;  // the start dialog's client area
constexpr int kClientHeight = 350;

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareWindow";
    if (!RegisterClassA(&wc)) return 1;
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND window = CreateWindowExA(exStyle, wc.lpszClassName, "Bare Window", style, left, top, width, height, nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 1;
    HWND button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 160, 320,
                                  65, 25, window, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
#ifdef BARE_DIALOG
    struct Control {
        const char* className;
        const char* text;
        DWORD style;
        int left, top, width, height;
    };
    const Control controls[] = {
        {"STATIC", "", SS_SUNKEN, 8, 8, 289, 193},
        {"BUTTON", " Treat this OS as ", BS_GROUPBOX, 8, 208, 121, 104},
        {"BUTTON", "Windows 98", BS_RADIOBUTTON, 16, 232, 100, 17},
        {"BUTTON", "Windows 2000", BS_RADIOBUTTON, 16, 256, 100, 17},
        {"BUTTON", "Windows XP", BS_RADIOBUTTON, 16, 280, 100, 17},
        {"BUTTON", " This OS: ", BS_GROUPBOX, 136, 208, 161, 105},
        {"STATIC", "Windows XP", 0, 144, 227, 145, 13},
        {"STATIC", "Version 5.1 (Build 2600: Service Pack 3)", 0, 144, 243, 150, 13},
        {"STATIC", "", 0, 144, 259, 145, 13},
        {"STATIC", "You must have Administrator's", 0, 144, 275, 145, 13},
        {"STATIC", "rights to make any changes!", 0, 144, 291, 145, 13},
        {"BUTTON", "Start Wizard", BS_CHECKBOX, 8, 324, 97, 17},
        {"BUTTON", "Exit", BS_PUSHBUTTON, 232, 320, 65, 25},
    };
    for (const Control& c : controls) {
        HWND control = CreateWindowExA(0, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.left, c.top, c.width,
                                       c.height, window, nullptr, instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }
#endif
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
