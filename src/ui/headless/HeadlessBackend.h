#pragma once
// The widget model without windows, for tests: posted messages wait in a queue, modal
// forms run a script the test gives, message boxes and file dialogs answer from queues.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Form.h"

namespace tastavia::ui {

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        MessageKind kind;
        MessageButtons buttons;
        std::string text;
    };

    // Answers in order; a box without a queued answer gets Ok, or Cancel (No for Yes/No).
    std::deque<Answer> answers;
    // Chosen paths in order; nothing queued, or an empty optional, is a cancelled dialog.
    std::deque<std::optional<std::string>> files;

    std::vector<Shown> shown;
    std::vector<FileDialogOptions> fileDialogs;

    Answer ShowMessage(MessageKind kind, MessageButtons buttons, const std::string& text) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;

    // The texts shown so far, and forgets them.
    std::vector<Shown> Take();
};

class HeadlessBackend : public Backend {
public:
    ScriptedDialogs dialogs;
    RecordingPictureDevice pictures;
    // Run while a form is shown modally, by form name; the form closes when the script
    // returns if the script did not close it.
    std::map<std::string, std::function<void(Form&)>> modalScripts;
    std::vector<std::string> modalLog;  // names of the forms shown modally, in order

    struct PopupShown {
        PopupMenu* menu;
        Widget* anchor;
        Point at;
    };
    std::optional<PopupShown> lastPopup;
    // The item the user chooses while the next menu is open, as a real menu does it:
    // within the command that opened it.
    std::optional<std::size_t> chooseOnPopup;

    void FormCreated(Form&) override {}
    void FormDestroyed(Form&) override {}
    void RunModal(Form& form) override;
    void RunMain(Form& form) override;
    void CloseForm(Form& form) override;
    void Post(Form& form, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;
    void Popup(PopupMenu& menu, Widget& anchor, int x, int y) override;
    void Focus(Widget&) override {}
    Dialogs& GetDialogs() override { return dialogs; }
    PictureDevice& GetPictureDevice() override { return pictures; }

    // Delivers the posted messages, also those posted meanwhile, while the main form
    // runs; returns how many were delivered.
    int ProcessMessages();
    std::size_t Pending() const { return queue_.size(); }
    bool MainRunning() const { return main_ && main_->Showing(); }

private:
    struct Posted {
        Form* form;
        std::uint32_t message;
        std::intptr_t wParam, lParam;
    };
    std::deque<Posted> queue_;
    Form* main_ = nullptr;
};

}  // namespace tastavia::ui
