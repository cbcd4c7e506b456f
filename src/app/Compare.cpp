#include "app/Compare.h"

#include <algorithm>

#include "layout/LayoutCheck.h"
#include "ui/Wallpaper.h"

namespace tastavia {

using ui::Setup;

namespace {

constexpr int kKeyColumnWidth = 80;
constexpr int kKindColumnWidth = 130;
const ui::Font kCyrillicFont{"", 0, false, ui::kCyrillicCharset};

}  // namespace

TForm9::TForm9(ui::Application& app, Resources& resources) : Form(app, "Form9") {
    CreateControls();
    ui::ShowWallpaper(resources, ListView1);
}

void TForm9::CreateControls() {
    SetCaption("Compare Layouts");
    SetClientSize(520, 282);
    borderStyle = ui::BorderStyle::Dialog;

    Setup(Label1, "", 8, 8, 504, 13);
    Label1.SetFont(kCyrillicFont);
    ListView1.SetBounds(8, 26, 504, 170);
    ListView1.AddColumn({"Key", kKeyColumnWidth, ui::Alignment::Left});
    ListView1.AddColumn({"Differs", kKindColumnWidth, ui::Alignment::Left});
    ListView1.AddColumn({"Details", ListView1.ClientWidth() - kKeyColumnWidth - kKindColumnWidth, ui::Alignment::Left});
    ListView1.SetFont(kCyrillicFont);
    ListView1.SetTabStop(true);
    ListView1.onSelectItem = [this](int, bool) { ListView1SelectItem(); };
    ListView1.onDoubleClick = [this](int index) { ListView1DblClick(index); };
    ListView1.onCustomDraw = [this] { ListView1CustomDraw(); };
    Setup(Label2, "", 8, 202, 504, 39);
    Label2.autoSize = false;
    Label2.SetFont(kCyrillicFont);

    Setup(Button1, "&Show Key", 356, 249, 75, 25, "Selects this key in the editor");
    Setup(Button2, "Close", 437, 249, 75, 25, "Closes this window");
    Button1.isDefault = true;
    Button2.isCancel = true;
    Button1.SetTabStop(true);
    Button2.SetTabStop(true);
    Button1.onClick = [this] { Button1Click(); };
    Button2.onClick = [this] { Button2Click(); };
}

KeyNumber TForm9::ShowDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName) {
    SetDifferences(differences, otherName);
    ListView1.SetFocus();
    ShowModal();
    return chosenKey_;
}

void TForm9::SetDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName) {
    differences_ = differences;
    chosenKey_ = 0;
    {
        ui::ListView::UpdateScope update(ListView1);
        ListView1.Clear();
        for (const KeyDifference& difference : differences_) {
            const int row = ListView1.AddItem(KeyLabel(difference.key));
            ListView1.SetSubItem(row, 0, DifferenceKind(difference));
            ListView1.SetSubItem(row, 1, DifferenceText(difference));
        }
    }
    const std::size_t count = differences_.size();
    Label1.SetCaption(count == 0   ? "The layout is the same as " + otherName + "."
                      : count == 1 ? "1 key differs from " + otherName + ". Double-click it to show it in the editor."
                                   : std::to_string(count) + " keys differ from " + otherName +
                                         ". Double-click one to show it in the editor.");
    if (count > 0) ListView1.SetSelected(0);
    ListView1SelectItem();
}

void TForm9::ListView1SelectItem() {
    const int selected = ListView1.Selected();
    const KeyDifference* difference =
        selected >= 0 && static_cast<std::size_t>(selected) < differences_.size() ? &differences_[selected] : nullptr;
    Label2.SetCaption(difference ? DifferenceText(*difference) + " (this layout -> the other)" : "");
    Button1.SetEnabled(difference != nullptr);
}

void TForm9::ListView1CustomDraw() {
    ListView1.SetColumnWidth(2, std::max(0, ListView1.ClientWidth() - kKeyColumnWidth - kKindColumnWidth));
}

void TForm9::GoToKey(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= differences_.size()) return;
    chosenKey_ = differences_[static_cast<std::size_t>(index)].key;
    SetModalResult(ui::ModalResult::Ok);
    Close();
}

}  // namespace tastavia
