// TForm1's commands for the layout as a whole: the check with its warning before Save,
// and trying the layout before it is installed.
#include "app/Check.h"
#include "app/Try.h"
#include "app/main.h"
#include "layout/LayoutCheck.h"
#include "layout/LayoutKeys.h"
#include "ui/Application.h"

namespace tastavia {

namespace {

constexpr std::size_t kFindingsInWarning = 5;

}  // namespace

void TForm1::Button12Click() {
    if (!layout_.IsOpen()) return;
    const KeyNumber key = form6_->ShowFindings(CheckLayout(ReadLayoutKeys(layout_)));
    if (key != 0) GoToKey(key);
}

void TForm1::Button13Click() {
    if (layout_.IsOpen()) form7_->TryLayout(layout_);
}

void TForm1::GoToKey(KeyNumber key) {
    if (!IsKeyNumber(key) || !KeyButton(key).Usable()) return;
    if (currentKey_ == key)
        KeyButtonClick(key);  // a click would release it: highlight it again instead
    else
        KeyButton(key).Click();
}

bool TForm1::SaveDespiteFindings() {
    const std::vector<Finding> findings = CheckLayout(ReadLayoutKeys(layout_));
    if (findings.empty()) return true;
    const std::size_t count = findings.size();
    std::string text = "The layout check found " + std::to_string(count) + (count == 1 ? " problem:" : " problems:") + "\n\n";
    for (std::size_t i = 0; i < count && i < kFindingsInWarning; ++i) text += findings[i].text + "\n";
    if (count > kFindingsInWarning) text += "... and " + std::to_string(count - kFindingsInWarning) + " more.\n";
    text += "\n\"Check\" lists them all. Save the layout anyway?";
    return GetApplication().GetDialogs().ShowMessage(ui::MessageKind::Warning, ui::MessageButtons::YesNo, text) ==
           ui::Answer::Yes;
}

}  // namespace tastavia
