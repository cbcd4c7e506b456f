// The peers of the system's own controls: push buttons, edits, labels, check boxes,
// radio buttons and group boxes.
#include "ui/Controls.h"
#include "ui/Keyboard.h"
#include "ui/win32/Peers.h"

namespace tastavia::ui::win32 {

namespace {

// Radio buttons of one parent form a group for the arrow keys; every other control is a
// group of its own.
DWORD GroupStyle(Widget& widget) {
    if (!dynamic_cast<RadioButton*>(&widget) || !widget.Parent()) return WS_GROUP;
    for (Widget* sibling : widget.Parent()->Children())
        if (dynamic_cast<RadioButton*>(sibling)) return sibling == &widget ? WS_GROUP : 0;
    return WS_GROUP;
}

}  // namespace

HWND ButtonPeer::CreateNative(HWND parent, DWORD commonStyle) {
    auto& button = static_cast<Button&>(widget_);
    DWORD kind = button.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    return MakeControl("BUTTON", button.Caption(), commonStyle | WS_GROUP | kind, 0, parent);
}

bool ButtonPeer::OnCommand(int code) {
    if (code != BN_CLICKED) return false;
    if (!Echoing()) static_cast<Button&>(widget_).Click();
    return true;
}

HWND EditPeer::CreateNative(HWND parent, DWORD commonStyle) {
    auto& edit = static_cast<Edit&>(widget_);
    DWORD style = commonStyle | WS_GROUP | (edit.ReadOnly() ? ES_READONLY : 0) |
                  (edit.multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL);
    HWND hwnd = MakeControl("EDIT", edit.Text(), style, WS_EX_CLIENTEDGE, parent);
    if (hwnd) {
        // The model may want the keys, as the physical keyboard gives them.
        hwnd_ = hwnd;
        Subclass();
    }
    return hwnd;
}

namespace {

// WM_UNICHAR, which older headers lack: the system turns it into WM_CHAR.
constexpr UINT kUnicodeChar = 0x0109;

KeyEvent KeyEventOf(WPARAM wParam, LPARAM lParam) {
    KeyEvent key;
    key.scanCode = static_cast<std::uint8_t>((lParam >> 16) & 0xFF);
    key.extended = ((lParam >> 24) & 1) != 0;
    key.keyCode = static_cast<int>(wParam);
    key.shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    key.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    key.control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    key.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    return key;
}

// The character the system makes of a key-down the model passes on: Backspace, and Ctrl
// with a letter (the edit's copy, cut, paste and undo); 0 for the keys that make none.
WPARAM EditingCharacter(WPARAM keyCode) {
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (keyCode == VK_BACK) return control ? 0x7F : 0x08;
    if (control && keyCode >= 'A' && keyCode <= 'Z') return keyCode - 'A' + 1;
    return 0;
}

}  // namespace

LRESULT EditPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    // With the keys taken by the model, a character reaches the edit only as the system's
    // translation of a key-down the model passed on (Backspace, Ctrl+C), taken from the
    // queue at once; a character posted or sent on its own, or composed by an input
    // method, is dropped.
    const bool modelKeys = static_cast<bool>(static_cast<Edit&>(widget_).onKeyDown);
    switch (msg) {
        case WM_KEYDOWN: {
            if (!modelKeys) break;
            std::optional<std::string> typed = static_cast<Edit&>(widget_).PressKey(KeyEventOf(wParam, lParam));
            if (!typed) {
                const LRESULT result = WidgetPeer::Message(msg, wParam, lParam);
                // The translation is queued before the key-down is dispatched: the next
                // character for this window, with the key's own flags.
                const WPARAM expected = EditingCharacter(wParam);
                MSG next {};
                if (expected != 0 && PeekMessageA(&next, hwnd_, WM_CHAR, WM_CHAR, PM_NOREMOVE) &&
                    next.wParam == expected && next.lParam == lParam) {
                    PeekMessageA(&next, hwnd_, WM_CHAR, WM_CHAR, PM_REMOVE);
                    WidgetPeer::Message(WM_CHAR, next.wParam, next.lParam);
                }
                return result;
            }
            // At the caret, over the selection, as typing does; the change report that
            // follows tells the model.
            if (!typed->empty()) SendMessageA(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed->c_str()));
            return 0;
        }
        case WM_CHAR:
        case WM_DEADCHAR:
        case kUnicodeChar:
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION:
        case WM_IME_ENDCOMPOSITION:
        case WM_IME_CHAR:
            if (modelKeys) return 0;
            break;
        default: break;
    }
    return WidgetPeer::Message(msg, wParam, lParam);
}

std::string EditPeer::NativeText() const {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
    int length = GetWindowTextA(hwnd_, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void EditPeer::ShowModelText() {
    // Setting the same text again would move the caret and report a change.
    const std::string& text = static_cast<Edit&>(widget_).Text();
    if (NativeText() != text) SetWindowTextA(hwnd_, text.c_str());
}

void EditPeer::Mirror(Change what) {
    switch (what) {
        case Change::Caption: break;  // an edit shows its text
        case Change::Text: ShowModelText(); break;
        case Change::ReadOnly: SendMessageA(hwnd_, EM_SETREADONLY, static_cast<Edit&>(widget_).ReadOnly(), 0); break;
        case Change::Selection:
            if (static_cast<Edit&>(widget_).AllSelected()) SendMessageA(hwnd_, EM_SETSEL, 0, -1);
            break;
        default: WidgetPeer::Mirror(what); break;
    }
}

bool EditPeer::OnCommand(int code) {
    if (code != EN_CHANGE) return false;
    if (Echoing()) return true;
    static_cast<Edit&>(widget_).TypeText(NativeText());
    // The model may refuse what was typed; the window then shows what the model holds.
    EchoScope echo(*this);
    ShowModelText();
    return true;
}

HWND LabelPeer::CreateNative(HWND parent, DWORD commonStyle) {
    // Labels show their text as it is, but for the "&" of a label that names a field;
    // SS_NOTIFY lets the mouse reach them for hints.
    DWORD prefix = ShowsMnemonic(widget_) ? 0 : SS_NOPREFIX;
    DWORD style = (commonStyle & ~WS_TABSTOP) | WS_GROUP | SS_LEFT | prefix | SS_NOTIFY;
    return MakeControl("STATIC", widget_.Caption(), style, 0, parent);
}

void LabelPeer::Mirror(Change what) {
    WidgetPeer::Mirror(what);
    if (what == Change::Caption || what == Change::Font || what == Change::Bounds) Fit();
}

void LabelPeer::Fit() {
    if (!static_cast<Label&>(widget_).autoSize) return;
    const std::string& text = widget_.Caption();
    WindowDC dc(hwnd_);
    Selected font(dc.Get(), CurrentFont());
    RECT r{0, 0, 0, 0};
    DrawTextA(dc.Get(), text.data(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_EXPANDTABS | (ShowsMnemonic(widget_) ? 0 : DT_NOPREFIX));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right, r.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The text was drawn for the old size, wrapped where it did not fit: draw it anew.
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool CheckPeer::IsRadio() const { return dynamic_cast<RadioButton*>(&widget_) != nullptr; }

bool CheckPeer::ModelChecked() const {
    if (auto* radio = dynamic_cast<RadioButton*>(&widget_)) return radio->Checked();
    return static_cast<CheckBox&>(widget_).Checked();
}

HWND CheckPeer::CreateNative(HWND parent, DWORD commonStyle) {
    DWORD kind = IsRadio() ? BS_RADIOBUTTON : BS_CHECKBOX;
    return MakeControl("BUTTON", widget_.Caption(), commonStyle | GroupStyle(widget_) | kind, 0, parent);
}

void CheckPeer::ShowModelCheck() {
    SendMessageA(hwnd_, BM_SETCHECK, ModelChecked() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckPeer::Mirror(Change what) {
    if (what == Change::Checked)
        ShowModelCheck();
    else
        WidgetPeer::Mirror(what);
}

bool CheckPeer::OnCommand(int code) {
    if (code != BN_CLICKED) return false;
    // A radio button reports a click when it gets the focus; when the program gave it
    // the focus, nobody clicked.
    if (Echoing() || (IsRadio() && binding_.Focusing())) return true;
    if (auto* radio = dynamic_cast<RadioButton*>(&widget_))
        radio->Click();
    else
        static_cast<CheckBox&>(widget_).Click();
    EchoScope echo(*this);
    ShowModelCheck();
    return true;
}

HWND GroupBoxPeer::CreateNative(HWND parent, DWORD commonStyle) {
    DWORD style = (commonStyle & ~WS_TABSTOP) | WS_GROUP | WS_CLIPCHILDREN | BS_GROUPBOX;
    HWND hwnd = MakeControl("BUTTON", widget_.Caption(), style, WS_EX_CONTROLPARENT, parent);
    if (hwnd) {
        // The controls inside report to the group box, which passes them on.
        hwnd_ = hwnd;
        Subclass();
    }
    return hwnd;
}

LRESULT GroupBoxPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        // A group box paints only its frame and relies on the parent beneath, which
        // clips its children: the box fills its inside itself.
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return WidgetPeer::Message(msg, wParam, lParam);
}

}  // namespace tastavia::ui::win32
