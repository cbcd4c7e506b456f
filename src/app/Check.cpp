#include "app/Check.h"

#include <algorithm>

#include "ui/Wallpaper.h"

namespace tastavia {

using ui::Setup;

namespace {

constexpr int kKindColumnWidth = 120;
constexpr int kKeyColumnWidth = 80;
// Findings name Cyrillic letters: shown in the Windows-1251 character set everywhere.
const ui::Font kCyrillicFont{"", 0, false, ui::kCyrillicCharset};

}  // namespace

TForm6::TForm6(ui::Application& app, Resources& resources) : Form(app, "Form6") {
    CreateControls();
    ui::ShowWallpaper(resources, ListView1);
}

void TForm6::CreateControls() {
    SetCaption("Layout Check");
    SetClientSize(520, 282);
    borderStyle = ui::BorderStyle::Dialog;

    Setup(Label1, "", 8, 8, 504, 13);
    ListView1.SetBounds(8, 26, 504, 170);
    ListView1.AddColumn({"Kind", kKindColumnWidth, ui::Alignment::Left});
    ListView1.AddColumn({"Key", kKeyColumnWidth, ui::Alignment::Left});
    ListView1.AddColumn({"Details", ListView1.ClientWidth() - kKindColumnWidth - kKeyColumnWidth, ui::Alignment::Left});
    ListView1.SetFont(kCyrillicFont);
    ListView1.SetTabStop(true);
    ListView1.onSelectItem = [this](int, bool) { ListView1SelectItem(); };
    ListView1.onDoubleClick = [this](int index) { ListView1DblClick(index); };
    ListView1.onCustomDraw = [this] { ListView1CustomDraw(); };
    // Long findings wrap here in full.
    Setup(Label2, "", 8, 202, 504, 39);
    Label2.autoSize = false;
    Label2.SetFont(kCyrillicFont);

    Setup(Button1, "&Show Key", 356, 249, 75, 25, "Selects the key of this finding in the editor");
    Setup(Button2, "Close", 437, 249, 75, 25, "Closes this window");
    Button1.isDefault = true;
    Button2.isCancel = true;
    Button1.SetTabStop(true);
    Button2.SetTabStop(true);
    Button1.onClick = [this] { Button1Click(); };
    Button2.onClick = [this] { Button2Click(); };
}

KeyNumber TForm6::ShowFindings(const std::vector<Finding>& findings) {
    SetFindings(findings);
    ListView1.SetFocus();
    ShowModal();
    return chosenKey_;
}

void TForm6::SetFindings(const std::vector<Finding>& findings) {
    findings_ = findings;
    chosenKey_ = 0;
    Fill();
}

void TForm6::Fill() {
    {
        ui::ListView::UpdateScope update(ListView1);
        ListView1.Clear();
        for (const Finding& finding : findings_) {
            const int row = ListView1.AddItem(FindingKindName(finding.kind));
            ListView1.SetSubItem(row, 0, finding.key != 0 ? KeyLabel(finding.key) : "");
            ListView1.SetSubItem(row, 1, finding.text);
        }
    }
    const std::size_t count = findings_.size();
    Label1.SetCaption(count == 0   ? "No problems found."
                      : count == 1 ? "1 problem found. Double-click it to show its key in the editor."
                                   : std::to_string(count) +
                                         " problems found. Double-click one to show its key in the editor.");
    if (count > 0) ListView1.SetSelected(0);
    ListView1SelectItem();
}

void TForm6::ListView1SelectItem() {
    const int selected = ListView1.Selected();
    const Finding* finding = selected >= 0 ? &findings_.at(static_cast<std::size_t>(selected)) : nullptr;
    Label2.SetCaption(finding ? finding->text : "");
    Button1.SetEnabled(finding && finding->key != 0);
}

void TForm6::ListView1DblClick(int index) { GoToKey(index); }

void TForm6::ListView1CustomDraw() {
    ListView1.SetColumnWidth(2, std::max(0, ListView1.ClientWidth() - kKindColumnWidth - kKeyColumnWidth));
}

void TForm6::Button1Click() { GoToKey(ListView1.Selected()); }

void TForm6::GoToKey(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= findings_.size()) return;
    const KeyNumber key = findings_[static_cast<std::size_t>(index)].key;
    if (key == 0) return;
    chosenKey_ = key;
    SetModalResult(ui::ModalResult::Ok);
    Close();
}

}  // namespace tastavia
