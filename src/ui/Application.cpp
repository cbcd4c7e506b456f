#include "ui/Application.h"

#include "platform/Errors.h"
#include "ui/Form.h"

namespace tastavia::ui {

const char* MessageTitle(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information: return "Information";
        case MessageKind::Warning: return "Warning";
        case MessageKind::Error: return "Error";
        case MessageKind::Confirmation: return "Confirm";
    }
    return "";
}

void Application::Guard(const std::function<void()>& handler, const std::string& action) {
    if (!handler) return;
    if (depth_ > 0) {
        handler();
        return;
    }
    struct Depth {
        int& d;
        explicit Depth(int& depth) : d(depth) { ++d; }
        ~Depth() { --d; }
    } depth(depth_);
    try {
        handler();
    } catch (const AppError& error) {
        if (onError) onError(action, error);
    }
    if (afterCommand) afterCommand();
}

std::string ActionName(const std::string& caption) {
    std::string name;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        // "&&" shows one "&"; a lone "&" only underlines the next letter.
        if (caption[i] == '&' && ++i >= caption.size()) break;
        name += caption[i];
    }
    while (!name.empty() && (name.back() == '.' || name.back() == '>' || name.back() == ' ')) name.pop_back();
    return name;
}

void Application::Run(Form& mainForm) {
    mainForm_ = &mainForm;
    backend_.RunMain(mainForm);
}

}  // namespace tastavia::ui
