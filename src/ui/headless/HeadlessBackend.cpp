#include "ui/headless/HeadlessBackend.h"

#include <utility>

#include "ui/PopupMenu.h"

namespace tastavia::ui {

Answer ScriptedDialogs::ShowMessage(MessageKind kind, MessageButtons buttons, const std::string& text) {
    shown.push_back(Shown{kind, buttons, text});
    if (buttons == MessageButtons::Ok) {
        if (!answers.empty() && answers.front() == Answer::Ok) answers.pop_front();
        return Answer::Ok;
    }
    if (answers.empty())
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoKeep ? Answer::No : Answer::Cancel;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::OpenFile(const FileDialogOptions& options) {
    fileDialogs.push_back(options);
    if (files.empty()) return std::nullopt;
    std::optional<std::string> path = files.front();
    files.pop_front();
    return path;
}

std::optional<std::string> ScriptedDialogs::SaveFile(const FileDialogOptions& options) { return OpenFile(options); }

std::vector<ScriptedDialogs::Shown> ScriptedDialogs::Take() { return std::exchange(shown, {}); }

void HeadlessBackend::RunModal(Form& form) {
    modalLog.push_back(form.Name());
    form.SetShowing(true);
    form.SetVisible(true);
    auto script = modalScripts.find(form.Name());
    if (script != modalScripts.end() && script->second) script->second(form);
    if (form.Showing()) form.Close();
}

void HeadlessBackend::RunMain(Form& form) {
    main_ = &form;
    form.SetShowing(true);
    form.SetVisible(true);
    ProcessMessages();
}

void HeadlessBackend::CloseForm(Form& form) { form.SetVisible(false); }

void HeadlessBackend::Post(Form& form, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
    queue_.push_back(Posted{&form, message, wParam, lParam});
}

void HeadlessBackend::Popup(PopupMenu& menu, Widget& anchor, int x, int y) {
    lastPopup = PopupShown{&menu, &anchor, Point{x, y}};
    if (std::optional<std::size_t> item = std::exchange(chooseOnPopup, std::nullopt)) menu.ChooseItem(*item);
}

int HeadlessBackend::ProcessMessages() {
    int delivered = 0;
    while (!queue_.empty() && MainRunning()) {
        Posted p = queue_.front();
        queue_.pop_front();
        p.form->Deliver(p.message, p.wParam, p.lParam);
        ++delivered;
    }
    return delivered;
}

}  // namespace tastavia::ui
