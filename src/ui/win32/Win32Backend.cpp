#include "ui/win32/Win32Backend.h"

#include <algorithm>

#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Keyboard.h"
#include "ui/PopupMenu.h"
#include "ui/win32/FormPeer.h"

namespace tastavia::ui {

using win32::FormPeer;
using win32::WidgetPeer;

Win32Backend::Win32Backend()
    : binding_(std::make_unique<win32::Binding>()), dialogs_([this] { return ActiveWindow(); }),
      pictures_([this] { return ActiveWindow(); }) {
    binding_->openMenu = [this](PopupMenu& menu, Widget& anchor, POINT at) { OpenMenu(menu, anchor, at); };
}

Win32Backend::~Win32Backend() {
    for (auto& [form, peer] : forms_) peer->Destroy(true);
}

void Win32Backend::FormCreated(Form&) {}  // the windows wait until the form is needed

void Win32Backend::FormDestroyed(Form& form) {
    auto found = forms_.find(&form);
    if (found != forms_.end()) {
        found->second->Destroy(false);
        forms_.erase(found);
    }
    modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end());
    idle_.erase(std::remove(idle_.begin(), idle_.end(), &form), idle_.end());
    if (main_ == &form) main_ = nullptr;
}

FormPeer& Win32Backend::Prepare(Form& form) {
    std::unique_ptr<FormPeer>& peer = forms_[&form];
    if (!peer) peer = std::make_unique<FormPeer>(*binding_, form);
    peer->Build();
    return *peer;
}

FormPeer* Win32Backend::FormOf(HWND hwnd) { return dynamic_cast<FormPeer*>(WidgetPeer::Of(hwnd)); }

HWND Win32Backend::WindowOf(Widget& widget) {
    Form* form = widget.OwnerForm();
    if (!form) return nullptr;
    Prepare(*form);
    auto* peer = dynamic_cast<WidgetPeer*>(widget.GetPeer());
    return peer ? peer->Handle() : nullptr;
}

HWND Win32Backend::ActiveWindow() {
    if (!modal_.empty()) return Prepare(*modal_.back()).Handle();
    if (main_ && main_->Showing()) return Prepare(*main_).Handle();
    return GetActiveWindow();
}

void Win32Backend::RunMain(Form& form) {
    main_ = &form;
    FormPeer& peer = Prepare(form);
    form.SetShowing(true);
    form.SetVisible(true);
    peer.FocusFirst();
    RunUntilClosed(form, true);
}

void Win32Backend::RunModal(Form& form) {
    HWND owner = ActiveWindow();
    HWND focus = GetFocus();
    FormPeer& peer = Prepare(form);
    HWND self = peer.Handle();
    // Owned by the form it was opened from, so that it stays above it.
    if (owner != self) SetWindowLongPtrA(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    for (auto& [other, otherPeer] : forms_) {
        HWND h = otherPeer->Handle();
        if (other != &form && h && IsWindowVisible(h) && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            peer.disabledOwners.push_back(h);
        }
    }
    modal_.push_back(&form);
    form.SetShowing(true);
    form.SetVisible(true);
    peer.FocusFirst();
    RunUntilClosed(form, false);
    if (form.Showing()) form.Close();  // the loop ended because the program quits
    modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end());
    if (focus && IsWindow(focus) && IsWindowVisible(focus) && IsWindowEnabled(focus)) binding_->FocusQuietly(focus);
}

void Win32Backend::CloseForm(Form& form) {
    auto found = forms_.find(&form);
    if (found != forms_.end()) {
        // The owners come back before the form hides, so that they get the activation.
        for (HWND h : found->second->disabledOwners)
            if (IsWindow(h)) EnableWindow(h, TRUE);
        found->second->disabledOwners.clear();
    }
    form.SetVisible(false);
}

void Win32Backend::Post(Form& form, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
    PostMessageA(Prepare(form).Handle(), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

void Win32Backend::Popup(PopupMenu& menu, Widget& anchor, int x, int y) {
    POINT at{x, y};
    if (Form* form = anchor.OwnerForm()) ClientToScreen(Prepare(*form).Handle(), &at);
    OpenMenu(menu, anchor, at);
}

void Win32Backend::OpenMenu(PopupMenu& menu, Widget& anchor, POINT screen) {
    Form* form = anchor.OwnerForm();
    HWND owner = form ? Prepare(*form).Handle() : ActiveWindow();
    win32::Menu native;
    for (std::size_t i = 0; i < menu.items.size(); ++i) {
        const std::string& caption = menu.items[i].caption;
        if (caption == "-")
            AppendMenuA(native.Get(), MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuA(native.Get(), MF_STRING, i + 1, caption.c_str());
    }
    UINT flags = TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_TOPALIGN |
                 (menu.alignment == MenuAlignment::Right ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
    int chosen = TrackPopupMenu(native.Get(), flags, screen.x, screen.y, 0, owner, nullptr);
    if (chosen <= 0) return;
    auto choose = [&menu, chosen] { menu.ChooseItem(static_cast<std::size_t>(chosen - 1)); };
    if (Application* app = anchor.App()) {
        // The item is a command of its own, not part of the button's that opened the
        // menu: a failure names the item.
        const int outer = app->SuspendCommands();
        app->Guard(choose, ActionName(menu.items[static_cast<std::size_t>(chosen - 1)].caption));
        app->ResumeCommands(outer);
    } else {
        choose();
    }
}

void Win32Backend::Focus(Widget& widget) {
    if (syncingFocus_) return;
    Form* form = widget.OwnerForm();
    auto* peer = dynamic_cast<WidgetPeer*>(widget.GetPeer());
    // A form not on the screen takes the focus when it shows: FocusFirst asks the model.
    if (!form || !form->Showing() || !peer || !peer->Handle() || !IsWindowVisible(peer->Handle())) return;
    binding_->FocusQuietly(peer->Handle());
    auto* edit = dynamic_cast<Edit*>(&widget);
    if (edit && edit->AllSelected()) SendMessageA(peer->Handle(), EM_SETSEL, 0, -1);
}

void Win32Backend::RunUntilClosed(Form& form, bool outermost) {
    MSG msg;
    while (form.Showing()) {
        // Nothing waiting, not even a paint: the windows shown are drawn, and the time
        // until the user's next step builds a window that will be wanted.
        if (!idle_.empty() && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            Form* next = idle_.front();
            idle_.erase(idle_.begin());
            win32::Safely([&] { Prepare(*next); });
            continue;
        }
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program quits: the loops around this one end too.
            if (!outermost) PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (got < 0) return;
        bool handled = false;
        win32::Safely([&] { handled = PreTranslate(msg); });
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        win32::Safely([&] { SyncFocus(); });
    }
}

bool Win32Backend::PreTranslate(MSG& msg) {
    // Posted to a form: straight to the model. The window procedure would have to tell
    // these from the dialog manager's own messages of the same numbers.
    if (msg.message >= WM_USER && msg.hwnd) {
        FormPeer* target = FormOf(msg.hwnd);
        if (target && target->Handle() == msg.hwnd) {
            target->GetForm().Deliver(msg.message, static_cast<std::intptr_t>(msg.wParam),
                                      static_cast<std::intptr_t>(msg.lParam));
            return true;
        }
    }
    switch (msg.message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_CHAR:
        case WM_SYSCHAR: break;
        default: return false;
    }
    HWND root = win32::RootWindow(msg.hwnd);
    FormPeer* form = FormOf(root);
    if (!form) return false;
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE))
        return PressKey(*form, msg);
    if (msg.message == WM_SYSKEYDOWN) altKey_ = static_cast<UINT>(msg.wParam);
    if (msg.message == WM_SYSCHAR || msg.message == WM_CHAR) return PressMnemonic(*form, msg);
    // Tab and the arrow keys in radio groups.
    const HWND before = GetFocus();
    if (IsDialogMessageA(root, &msg) == FALSE) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN) SelectFocusedRadio(before);
    return true;
}

void Win32Backend::SelectFocusedRadio(HWND before) {
    // The arrow keys select within a group of option buttons, as in any dialog: the
    // dialog manager only moves the focus to a button that is no automatic one.
    const HWND focus = GetFocus();
    if (focus == before) return;
    if (WidgetPeer* peer = WidgetPeer::Of(focus))
        if (auto* radio = dynamic_cast<RadioButton*>(&peer->Model())) radio->Click();
}

bool Win32Backend::PressMnemonic(FormPeer& peer, const MSG& msg) {
    // The model knows which captions mark a letter: the dialog manager would also take
    // an "&" that a label shows as text. A letter alone is a mnemonic where the focused
    // control takes no characters (a button), as in any dialog; Alt with a letter that
    // none has goes on to the window, for the system's menu or its beep.
    const auto letter = static_cast<char>(msg.wParam);
    if (msg.message == WM_SYSCHAR) {
        if (ui::PressMnemonic(peer.GetForm(), letter)) return true;
        // A Cyrillic layout gives Alt+N a Cyrillic letter: the key's Latin letter counts.
        const bool latinKey = (altKey_ >= 'A' && altKey_ <= 'Z') || (altKey_ >= '0' && altKey_ <= '9');
        return latinKey && ui::PressMnemonic(peer.GetForm(), static_cast<char>(altKey_));
    }
    if (static_cast<unsigned char>(letter) < ' ') return IsDialogMessageA(peer.Handle(), const_cast<MSG*>(&msg)) != FALSE;
    LPARAM query = reinterpret_cast<LPARAM>(&msg);
    if (msg.hwnd != peer.Handle() && (SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, query) & DLGC_WANTCHARS))
        return false;
    ui::PressMnemonic(peer.GetForm(), letter);
    return true;
}

bool Win32Backend::PressKey(FormPeer& peer, const MSG& msg) {
    Form& form = peer.GetForm();
    if (msg.wParam == VK_ESCAPE) {
        if (form.PressCancel()) return true;
        // A dialog without a cancel button closes, as Windows users expect.
        if (form.IsModal()) {
            form.ClosedByUser();
            return true;
        }
        return false;
    }
    LPARAM query = reinterpret_cast<LPARAM>(&msg);
    if (SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, query) & DLGC_WANTALLKEYS) return false;
    // Enter on a push button presses that button, as in any dialog.
    if (WidgetPeer* focused = WidgetPeer::Of(msg.hwnd))
        if (auto* button = dynamic_cast<Button*>(&focused->Model())) {
            button->Click();
            return true;
        }
    return form.PressDefault();
}

void Win32Backend::SyncFocus() {
    HWND focus = GetFocus();
    if (focus == lastFocus_) return;
    lastFocus_ = focus;
    // The model learns which widget the user moved the focus to.
    for (HWND h = focus; h; h = GetParent(h)) {
        WidgetPeer* peer = WidgetPeer::Of(h);
        if (!peer) continue;
        Form* form = peer->Model().OwnerForm();
        if (form && &peer->Model() != form && form->FocusedWidget() != &peer->Model()) {
            syncingFocus_ = true;
            form->FocusWidget(&peer->Model());
            syncingFocus_ = false;
        }
        return;
    }
}

}  // namespace tastavia::ui
