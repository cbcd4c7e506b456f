// TForm1's safeguards: the status line (changes not saved, why Load, Save or Delete is
// disabled), the question before changes go, and the message of a command that failed.
#include "app/main.h"
#include "platform/Errors.h"
#include "text/Text.h"
#include "ui/Application.h"

namespace tastavia {

namespace {

constexpr int kStatusTop = 312;

}  // namespace

void TForm1::CreateStatusLine() {
    SetClientSize(ClientWidth(), kStatusTop + 20);
    Setup(Panel3, "", 8, kStatusTop, 577, 2);
    Panel3.bevelOuter = ui::Bevel::Lowered;
    Setup(Label3, "", 8, kStatusTop + 4, 257, 13);
    Setup(Label4, "", 272, kStatusTop + 4, 313, 13);
    Label3.autoSize = false;
    Label4.autoSize = false;
    ListView2.itemHint = [this](int entry) { return LayoutListHint(entry); };
    // What a failure of these is said to have stopped: they have no caption to say it.
    for (int k = 1; k <= kKeyCount; ++k) KeyButton(k).action = "Choosing a key";
    ListView1.action = "Choosing a character";
    ListView2.action = "Choosing an installed layout";
    Edit1.action = "Typing the Name";
    Edit2.action = "Typing the File Name";
}

void TForm1::ShowFailure(const std::string& action, const AppError& error) {
    GetApplication().GetDialogs().Error(FailureText(action, error.what()));
}

bool TForm1::MayDiscardChanges() {
    if (!HasUnsavedChanges()) return true;
    return GetApplication().GetDialogs().ShowMessage(ui::MessageKind::Confirmation, ui::MessageButtons::YesNoKeep,
                                                     kDiscardQuestion) == ui::Answer::Yes;
}

void TForm1::UpdateStatusLine() {
    // The one other button that is off for good says why while no change needs saying.
    Label3.SetCaption(HasUnsavedChanges()    ? kUnsavedChangesText
                      : !Button10.Enabled() ? "\"BG Lang\": for Windows 9x only"
                                             : "");
    Label4.SetCaption(
        LayoutButtonReason(Edit1.Text(), Edit2.Text(), SelectedRecord(), !layout_.WorkingPath().empty()));
}

std::string TForm1::LayoutListHint(int entry) const {
    if (entry < 0 || static_cast<std::size_t>(entry) >= records_.size()) return "";
    const CatalogueRecord& record = records_[static_cast<std::size_t>(entry)];
    std::string hint = VisibleText(record.Name()) + "\r\nFile: " + VisibleText(record.File());
    if (record.IsBase()) hint += "\r\nBASE: a layout of Windows itself";
    if (record.inUse) hint += "\r\nIN USE: an input language uses it";
    return hint;
}

}  // namespace tastavia
