#pragma once
// The widget model on real windows: forms get their windows when first needed, modal
// and main loops run the system's message queue, and posted messages reach the forms.
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "ui/Application.h"
#include "ui/win32/GdiPicture.h"
#include "ui/win32/Win32Dialogs.h"

namespace tastavia::ui {

namespace win32 {
class Binding;
class FormPeer;
}  // namespace win32

// Must outlive the forms it shows.
class Win32Backend : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    void FormCreated(Form& form) override;
    void FormDestroyed(Form& form) override;
    void RunModal(Form& form) override;
    void RunMain(Form& form) override;
    void CloseForm(Form& form) override;
    void Post(Form& form, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;
    void Popup(PopupMenu& menu, Widget& anchor, int x, int y) override;
    void Focus(Widget& widget) override;
    Dialogs& GetDialogs() override { return dialogs_; }
    PictureDevice& GetPictureDevice() override { return pictures_; }
    void PrepareWhenIdle(Form& form) override { idle_.push_back(&form); }

    // The window that shows a widget; its form's windows are made when needed.
    HWND WindowOf(Widget& widget);

private:
    win32::FormPeer& Prepare(Form& form);
    win32::FormPeer* FormOf(HWND hwnd);
    // The window boxes and modal forms belong to: the form the user works in.
    HWND ActiveWindow();
    void RunUntilClosed(Form& form, bool outermost);
    bool PreTranslate(MSG& msg);
    bool PressKey(win32::FormPeer& form, const MSG& msg);
    bool PressMnemonic(win32::FormPeer& form, const MSG& msg);
    void SelectFocusedRadio(HWND before);
    void SyncFocus();
    void OpenMenu(PopupMenu& menu, Widget& anchor, POINT screen);

    std::unique_ptr<win32::Binding> binding_;
    Win32Dialogs dialogs_;
    GdiPictureDevice pictures_;
    std::map<Form*, std::unique_ptr<win32::FormPeer>> forms_;
    std::vector<Form*> modal_;
    std::vector<Form*> idle_;  // to be built when a loop waits
    Form* main_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool syncingFocus_ = false;
    UINT altKey_ = 0;  // the key of the last Alt combination, by its place
};

}  // namespace tastavia::ui
