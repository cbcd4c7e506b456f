#pragma once
// A top-level window. Forms are created once and live as long as the program; they are
// shown modally or run as the main window.
#include <cstdint>
#include <functional>
#include <string>

#include "ui/Widget.h"

namespace tastavia::ui {

class Application;

enum class BorderStyle { Single, Dialog };

enum class ModalResult { None, Ok, Cancel, Close };

class Form : public Widget {
public:
    Form(Application& app, std::string name);
    ~Form() override;

    Application& GetApplication() { return app_; }

    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    void SetClientSize(int width, int height);
    BorderStyle borderStyle = BorderStyle::Single;
    bool minimizeButton = false;
    bool showHint = true;
    bool centred = true;

    // Runs the form modally until it closes; the result is what closed it.
    ModalResult ShowModal();
    bool IsModal() const { return modal_; }
    bool Showing() const { return showing_; }
    // Closes the form: a modal one ends its loop, the main form ends the program's loop.
    void Close();
    ModalResult GetModalResult() const { return modalResult_; }
    void SetModalResult(ModalResult result) { modalResult_ = result; }

    // After the form closed (by Close, the title bar or the keyboard).
    std::function<void()> onClose;
    // Asked before the title bar, Alt+F4 or Escape closes the form; false keeps it open.
    std::function<bool()> onCloseQuery;
    // A message posted to the form: (message, first parameter, second parameter).
    std::function<void(std::uint32_t, std::intptr_t, std::intptr_t)> onMessage;

    Widget* FocusedWidget() const { return focused_; }
    void FocusWidget(Widget* widget);
    // A widget became unusable: when the focus was in it, it goes on to the next tab
    // stop, so that the keyboard never loses the form.
    void FocusAwayFrom(Widget& widget);

    // Used by the application and the binding.
    void SetShowing(bool showing) { showing_ = showing; }
    void SetModal(bool modal) { modal_ = modal; }
    void Deliver(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);
    void ClosedByUser();
    // Enter and Escape: the default or cancel button, when it is usable.
    bool PressDefault();
    bool PressCancel();

private:
    Application& app_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool modal_ = false;
    bool showing_ = false;
    ModalResult modalResult_ = ModalResult::None;
    Widget* focused_ = nullptr;
};

}  // namespace tastavia::ui
