#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Keyboard.h"

namespace tastavia::ui {

Form::Form(Application& app, std::string name) : Widget(nullptr, std::move(name)), app_(app) {
    SetVisible(false);
    app_.GetBackend().FormCreated(*this);
}

Form::~Form() { app_.GetBackend().FormDestroyed(*this); }

void Form::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    Notify(Change::Bounds);
}

ModalResult Form::ShowModal() {
    modalResult_ = ModalResult::None;
    struct Modal {
        Form& form;
        int commands;
        explicit Modal(Form& f) : form(f), commands(f.app_.SuspendCommands()) { form.modal_ = true; }
        ~Modal() {
            form.modal_ = false;
            form.app_.ResumeCommands(commands);
        }
    } modal(*this);
    app_.GetBackend().RunModal(*this);
    return modalResult_;
}

void Form::Close() {
    if (!showing_) return;
    if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Close;
    if (onClose) onClose();
    showing_ = false;
    app_.GetBackend().CloseForm(*this);
}

void Form::ClosedByUser() {
    app_.Guard(
        [this] {
            if (onCloseQuery && !onCloseQuery()) return;
            if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
            Close();
        },
        "Close");
}

void Form::Deliver(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
    if (onMessage) app_.Guard([&] { onMessage(message, wParam, lParam); }, ActionName(Caption()));
}

void Form::FocusWidget(Widget* widget) {
    focused_ = widget;
    if (!widget) return;
    if (auto* speed = dynamic_cast<SpeedButton*>(widget)) speed->TakeGroupTabStop();
    app_.GetBackend().Focus(*widget);
}

void Form::FocusAwayFrom(Widget& widget) {
    if (&widget == this || !focused_) return;
    bool inside = false;
    for (Widget* w = focused_; w && !inside; w = w->Parent()) inside = w == &widget;
    if (!inside || focused_->Usable()) return;
    if (Widget* next = NextTabStop(*this, focused_, false)) FocusWidget(next);
}

namespace {

Button* FindButton(Widget& root, bool wantDefault) {
    for (Widget* child : root.Children()) {
        if (auto* button = dynamic_cast<Button*>(child))
            if ((wantDefault ? button->isDefault : button->isCancel) && button->Usable()) return button;
        if (Button* found = FindButton(*child, wantDefault)) return found;
    }
    return nullptr;
}

}  // namespace

bool Form::PressDefault() {
    Button* button = FindButton(*this, true);
    if (button) button->Click();
    return button != nullptr;
}

bool Form::PressCancel() {
    Button* button = FindButton(*this, false);
    if (button) button->Click();
    return button != nullptr;
}

}  // namespace tastavia::ui
