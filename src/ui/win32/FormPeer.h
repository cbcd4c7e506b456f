#pragma once
// A form's top-level window, the peers of all its widgets, and its tooltips.
#include <memory>
#include <vector>

#include "ui/Form.h"
#include "ui/win32/WidgetPeer.h"

namespace tastavia::ui::win32 {

class FormPeer : public WidgetPeer {
public:
    FormPeer(Binding& binding, Form& form) : WidgetPeer(binding, form) {}
    ~FormPeer() override;

    Form& GetForm() { return static_cast<Form&>(widget_); }
    // Makes the window when there is none yet, and peers for widgets that have none.
    void Build();
    // Takes the windows down. Unless the widgets are being destroyed, they lose their peers.
    void Destroy(bool widgetsAlive);
    // The model's focused widget, or else the first tab stop.
    void FocusFirst();
    void UpdateTip(WidgetPeer& control) override;

    // Windows this form disabled while it runs modally.
    std::vector<HWND> disabledOwners;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    void Mirror(Change what) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildChildren(Widget& parent, HWND parentWindow);
    void MakeTooltip();
    RECT Placement(DWORD style, DWORD exStyle);
    void RestoreFocus();
    LRESULT DefaultButtonId();

    std::vector<std::unique_ptr<WidgetPeer>> children_;
    Window window_;
    Window tooltip_;
    UINT_PTR tipTimer_ = 0;
    HWND lastFocus_ = nullptr;
};

}  // namespace tastavia::ui::win32
