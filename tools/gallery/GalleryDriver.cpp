// gallery-driver OUT-FOLDER TASTAVIA.EXE: starts the program and walks it, as a user
// would, through every window and wizard page, saving a picture of each window with its
// title bar as OUT-FOLDER\<name>.bmp. Run by scripts/gallery in a prefix of its own.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "ui/Keyboard.h"

namespace {

constexpr DWORD kPatienceMs = 15000;
constexpr DWORD kSettleMs = 500;  // for the last controls to paint
constexpr int kRowHeight = 16;  // the language dialogs' rows in the dialog font
// Long enough to be cut in the lists, where its marks must still show.
const char* const kLongName = "Bulgarian (Phonetic, traditional layout for typewriters)";

std::string g_out;
DWORD g_process = 0;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

// Asked of the control itself: another process's edit does not tell its text otherwise.
std::string TextOf(HWND hwnd) {
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kPatienceMs,
                        &length);
    return text;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

struct Search {
    std::string text;
    std::string className;
    HWND found = nullptr;
};

BOOL CALLBACK TakeTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != g_process || !IsWindowVisible(hwnd)) return TRUE;
    if (!search->text.empty() && TextOf(hwnd) != search->text) return TRUE;
    if (!search->className.empty() && ClassOf(hwnd) != search->className) return TRUE;
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK TakeChild(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (!search->text.empty() && tastavia::ui::PlainCaption(TextOf(hwnd)) != search->text) return TRUE;
    if (!search->className.empty() && _stricmp(ClassOf(hwnd).c_str(), search->className.c_str()) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The program's visible window of that title (or class), once it has painted.
HWND WaitWindow(const std::string& title, const std::string& className = "") {
    for (DWORD waited = 0; waited < kPatienceMs; waited += 20) {
        Search search{title, className};
        EnumWindows(TakeTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found && !GetUpdateRect(search.found, nullptr, FALSE)) {
            Sleep(kSettleMs);
            return search.found;
        }
        Sleep(20);
    }
    Fail("no window \"" + title + className + "\"");
}

void WaitGone(HWND window) {
    for (DWORD waited = 0; IsWindow(window) && IsWindowVisible(window); waited += 20) {
        if (waited > kPatienceMs) Fail("window \"" + TextOf(window) + "\" stays open");
        Sleep(20);
    }
}

// A visible control of the window with that caption (and class).
HWND Control(HWND window, const std::string& text, const std::string& className = "") {
    Search search{text, className};
    EnumChildWindows(window, TakeChild, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Fail("no control \"" + text + "\" in \"" + TextOf(window) + "\"");
    return search.found;
}

// Posted, so that a handler that opens a modal window does not hold the driver up.
void Click(HWND control) {
    PostMessageA(control, BM_CLICK, 0, 0);
    Sleep(300);
}

void Press(HWND window, const std::string& caption) { Click(Control(window, caption)); }

void Type(HWND edit, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kPatienceMs, &result);
}

void ClickAt(HWND control, int x, int y) {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Sleep(300);
}

// Answers the message box the program shows now.
void Answer(int button) {
    HWND box = WaitWindow("", "#32770");
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    WaitGone(box);
}

// The window as the screen shows it, title bar and frame included, as a 24-bit .bmp.
void Shot(HWND window, const std::string& name) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(height);
    const std::string path = g_out + "\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, stride, static_cast<std::size_t>(height), out);
        std::fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s\n", name.c_str());
}

void Walk() {
    HWND start = WaitWindow("Select Operation System");
    Shot(start, "start-dialog");
    Press(start, "Windows 98");  // the language dialogs exist for Windows 9x layout files only
    Press(start, "Start Wizard");
    Press(start, "OK");

    HWND main = WaitWindow("Tastavia v1.1");
    Shot(main, "main-window-empty");
    Press(main, "New");
    Type(Control(main, "Bulgarian (New)", "Edit"), kLongName);
    POINT key{64 + 15, 88 + 16};  // the first key of the third row
    ClickAt(ChildWindowFromPoint(main, key), 15, 16);
    Press(main, "Save");
    Answer(IDYES);  // the check's findings: save all the same
    Answer(IDOK);
    Sleep(kSettleMs);
    Shot(main, "main-window");

    Press(main, "Check");
    HWND check = WaitWindow("Layout Check");
    Shot(check, "check-window");
    Press(check, "Close");
    WaitGone(check);

    Press(main, "Try");
    HWND trying = WaitWindow("Try Layout");
    HWND typed = Control(trying, "", "Edit");
    // The top letter row from its left, a key at a time as a typist's keys come.
    const std::pair<unsigned, unsigned> keys[] = {{'Q', 0x10}, {'W', 0x11}, {'E', 0x12}, {'R', 0x13}, {'T', 0x14}};
    for (const auto& [virtualKey, scanCode] : keys) {
        PostMessageA(typed, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1 | (scanCode << 16)));
        Sleep(100);
    }
    Sleep(kSettleMs);
    Shot(trying, "try-window");
    Press(trying, "Close");
    WaitGone(trying);

    Press(main, "?");
    HWND about = WaitWindow("About Tastavia");
    Shot(about, "start-dialog-information");
    Press(about, "Close");
    WaitGone(about);

    // A second language whose default layout is the new one, which other languages then
    // may not choose: the editor marks it.
    Press(main, "BG Lang");
    HWND list = WaitWindow("BG Languges Modify");
    Press(list, "Add New...");
    HWND editor = WaitWindow("Add New Language");
    Type(Control(editor, "New Language"), "Bulgarian (Second keyboard)");
    ClickAt(Control(editor, "", "SysListView32"), 20, 2 * kRowHeight + kRowHeight / 2);
    Press(editor, "Save");
    Answer(IDOK);
    WaitGone(editor);
    Press(list, "Add New...");
    editor = WaitWindow("Add New Language");
    Shot(editor, "language-editor-add");
    Press(editor, "Cancel");
    WaitGone(editor);
    HWND rows = Control(list, "", "SysListView32");
    RECT header{0, 0, 0, 0};
    if (HWND headerWindow = GetWindow(rows, GW_CHILD)) GetWindowRect(headerWindow, &header);
    ClickAt(rows, 20, (header.bottom - header.top) + kRowHeight + kRowHeight / 2);
    Shot(WaitWindow("BG Languges Modify"), "language-list");
    Press(list, "Edit...");
    editor = WaitWindow("Edit Language");
    Shot(editor, "language-editor-edit");
    Press(editor, "Cancel");
    WaitGone(editor);
    Press(list, "Close");
    WaitGone(list);

    Press(main, "Wizard");
    HWND wizard = WaitWindow("The Wizard");
    Shot(wizard, "wizard-1");
    Press(wizard, "Next >");
    Shot(WaitWindow("The Wizard"), "wizard-2");
    Press(wizard, "< Back");
    Press(wizard, "Ask me for everything");
    Press(wizard, "Next >");
    Shot(WaitWindow("The Wizard"), "wizard-3");
    Press(wizard, "Next >");
    Shot(WaitWindow("The Wizard"), "wizard-4");
    Press(wizard, "Next >");
    // The base language's name: the language step fails and the wizard says why.
    Type(Control(wizard, "", "Edit"), "Bulgarian");
    Shot(WaitWindow("The Wizard"), "wizard-5");
    Press(wizard, "Finish");
    Shot(WaitWindow("The Wizard"), "wizard-6");
    Press(wizard, "Next >");
    Shot(WaitWindow("The Wizard"), "wizard-100");
    Press(wizard, "Do it");  // "Close Application"
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gallery-driver OUT-FOLDER TASTAVIA.EXE\n");
        return 2;
    }
    g_out = argv[1];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = std::string("\"") + argv[2] + "\"";
    if (!CreateProcessA(argv[2], &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "gallery-driver: cannot start %s\n", argv[2]);
        return 1;
    }
    g_process = process.dwProcessId;
    int status = 0;
    try {
        Walk();
        if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0) Fail("the program did not end");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gallery-driver: %s\n", e.what());
        TerminateProcess(process.hProcess, 1);
        status = 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}
