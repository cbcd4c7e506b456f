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

void Application::Guard(const std::function<void()>& handler) {
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
        if (onError) onError(error);
    }
}

void Application::Run(Form& mainForm) {
    mainForm_ = &mainForm;
    backend_.RunMain(mainForm);
}

}  // namespace tastavia::ui
