#pragma once
// The application: its title, the error handler every command runs under, posted
// messages, modal loops and the main loop. What needs a real windowing system goes to
// a backend: the Win32 binding, or the headless one the tests drive.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "ui/Dialogs.h"
#include "ui/PictureDevice.h"

namespace tastavia {
class AppError;
}

namespace tastavia::ui {

class Form;
class PopupMenu;
class Widget;

constexpr std::uint32_t kUserMessage = 0x400;  // WM_USER

class Backend {
public:
    virtual ~Backend() = default;
    virtual void FormCreated(Form& form) = 0;
    virtual void FormDestroyed(Form& form) = 0;
    // Shows the form and runs a loop until it closes.
    virtual void RunModal(Form& form) = 0;
    // Runs the main loop with this form shown until it closes.
    virtual void RunMain(Form& form) = 0;
    virtual void CloseForm(Form& form) = 0;
    virtual void Post(Form& form, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // Opens a menu at a point of a form's client area; may run the chosen item at once.
    virtual void Popup(PopupMenu& menu, Widget& anchor, int x, int y) = 0;
    virtual void Focus(Widget& widget) = 0;
    virtual Dialogs& GetDialogs() = 0;
    virtual PictureDevice& GetPictureDevice() = 0;
    // Builds the form's window, hidden, the first time a loop waits with nothing else to
    // do, so that a window needed later is ready by then. Without windows: nothing.
    virtual void PrepareWhenIdle(Form&) {}
};

// A caption as the name of the action it starts: without its accelerator marks and
// without a trailing "..." or ">" ("INI &File..." gives "INI File").
std::string ActionName(const std::string& caption);

class Application {
public:
    explicit Application(Backend& backend) : backend_(backend) {}

    Backend& GetBackend() { return backend_; }
    Dialogs& GetDialogs() { return backend_.GetDialogs(); }
    PictureDevice& GetPictureDevice() { return backend_.GetPictureDevice(); }

    std::string title;

    // Errors no command catches reach this handler, with the name of the user action
    // that raised them (a button's caption, a menu item's); without one they are lost.
    std::function<void(const std::string& action, const AppError&)> onError;
    // Run after every outermost command, also one that failed: a window shows there
    // what the command changed.
    std::function<void()> afterCommand;
    // Runs a handler as a command: when it is the outermost one, an AppError it raises
    // ends it and goes to the error handler. Nested commands let errors pass through
    // to the outermost one, so that the whole user action ends at the failing step.
    void Guard(const std::function<void()>& handler, const std::string& action = "");
    bool InCommand() const { return depth_ > 0; }
    // A modal loop runs user actions of its own: each is a command of its own, whatever
    // command opened the loop. Returns what Resume needs to restore.
    int SuspendCommands() { return std::exchange(depth_, 0); }
    void ResumeCommands(int depth) { depth_ = depth; }

    void Post(Form& form, std::uint32_t message, std::intptr_t wParam = 0, std::intptr_t lParam = 0) {
        backend_.Post(form, message, wParam, lParam);
    }
    void Run(Form& mainForm);
    Form* MainForm() const { return mainForm_; }
    void PrepareWhenIdle(Form& form) { backend_.PrepareWhenIdle(form); }

private:
    Backend& backend_;
    Form* mainForm_ = nullptr;
    int depth_ = 0;
};

}  // namespace tastavia::ui
