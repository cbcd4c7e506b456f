#pragma once
// Message boxes and the common open and save dialogs, owned by the active form.
#include <windows.h>

#include <functional>

#include "ui/Dialogs.h"

namespace tastavia::ui {

class Win32Dialogs : public Dialogs {
public:
    explicit Win32Dialogs(std::function<HWND()> owner) : owner_(std::move(owner)) {}

    Answer ShowMessage(MessageKind kind, MessageButtons buttons, const std::string& text) override;
    std::optional<std::string> OpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(const FileDialogOptions& options) override;

    // "Name|pattern|Name|pattern" as the common dialogs take it: NUL-separated, two NULs
    // at the end.
    static std::string NativeFilter(const std::string& filter);

private:
    std::optional<std::string> FileDialog(const FileDialogOptions& options, bool save);
    std::function<HWND()> owner_;
};

}  // namespace tastavia::ui
