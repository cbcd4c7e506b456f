#pragma once
// Message boxes and the common file dialogs.
#include <optional>
#include <string>

namespace tastavia::ui {

enum class MessageKind { Information, Warning, Error, Confirmation };
// YesNoKeep: a question whose "Yes" lets something go (unsaved work, a file's contents):
// "No" is the default button and Escape answers it, so that no reflexive key loses work.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoKeep };
enum class Answer { Ok, Cancel, Yes, No };

// "Information", "Warning", "Error" or "Confirm".
const char* MessageTitle(MessageKind kind);

struct FileDialogOptions {
    std::string title;
    std::string filter;  // "Ini Files|*.ini|All Files|*": pairs of name and pattern
    std::string defaultExtension;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal box; closing it without a button counts as Cancel, or No without Cancel.
    virtual Answer ShowMessage(MessageKind kind, MessageButtons buttons, const std::string& text) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogOptions& options) = 0;

    // The usual shapes.
    void Information(const std::string& text) { ShowMessage(MessageKind::Information, MessageButtons::Ok, text); }
    void Warning(const std::string& text) { ShowMessage(MessageKind::Warning, MessageButtons::Ok, text); }
    void Error(const std::string& text) { ShowMessage(MessageKind::Error, MessageButtons::Ok, text); }
};

}  // namespace tastavia::ui
