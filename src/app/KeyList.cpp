#include "app/KeyList.h"

#include <algorithm>

#include "ui/Wallpaper.h"

namespace tastavia {

using ui::Setup;

namespace {

// Rows name Cyrillic letters: shown in the Windows-1251 character set everywhere.
const ui::Font kCyrillicFont{"", 0, false, ui::kCyrillicCharset};

}  // namespace

KeyListForm::KeyListForm(ui::Application& app, Resources& resources, const char* name, const char* caption,
                         Column first, Column second, const char* showKeyHint)
    : Form(app, name), fixedWidth_(first.width + second.width) {
    SetCaption(caption);
    SetClientSize(520, 282);
    borderStyle = ui::BorderStyle::Dialog;

    Setup(Label1, "", 8, 8, 504, 13);
    Label1.SetFont(kCyrillicFont);
    ListView1.SetBounds(8, 26, 504, 170);
    ListView1.AddColumn({first.caption, first.width, ui::Alignment::Left});
    ListView1.AddColumn({second.caption, second.width, ui::Alignment::Left});
    ListView1.AddColumn({"Details", ListView1.ClientWidth() - fixedWidth_, ui::Alignment::Left});
    ListView1.SetFont(kCyrillicFont);
    ListView1.SetTabStop(true);
    ListView1.onSelectItem = [this](int, bool) { ListView1SelectItem(); };
    ListView1.onDoubleClick = [this](int index) { ListView1DblClick(index); };
    ListView1.onCustomDraw = [this] { ListView1CustomDraw(); };
    // Long rows wrap here in full.
    Setup(Label2, "", 8, 202, 504, 39);
    Label2.autoSize = false;
    Label2.SetFont(kCyrillicFont);

    Setup(Button1, "&Show Key", 356, 249, 75, 25, showKeyHint);
    Setup(Button2, "Close", 437, 249, 75, 25, "Closes this window");
    ui::SetupDialogButtons(Button1, [this] { Button1Click(); }, Button2, [this] { Button2Click(); });
    ui::ShowWallpaper(resources, ListView1);
}

void KeyListForm::SetRows(std::vector<Row> rows, const std::string& summary) {
    rows_ = std::move(rows);
    chosenKey_ = 0;
    {
        ui::ListView::UpdateScope update(ListView1);
        ListView1.Clear();
        for (const Row& row : rows_) {
            const int item = ListView1.AddItem(row.cells[0]);
            ListView1.SetSubItem(item, 0, row.cells[1]);
            ListView1.SetSubItem(item, 1, row.cells[2]);
        }
    }
    Label1.SetCaption(summary);
    if (!rows_.empty()) ListView1.SetSelected(0);
    ListView1SelectItem();
}

KeyNumber KeyListForm::ShowRows() {
    ListView1.SetFocus();
    ShowModal();
    return chosenKey_;
}

void KeyListForm::ListView1SelectItem() {
    const int selected = ListView1.Selected();
    const Row* row = selected >= 0 && static_cast<std::size_t>(selected) < rows_.size()
                         ? &rows_[static_cast<std::size_t>(selected)]
                         : nullptr;
    Label2.SetCaption(row ? row->detail : "");
    Button1.SetEnabled(row && row->key != 0);
}

void KeyListForm::ListView1CustomDraw() {
    ListView1.SetColumnWidth(2, std::max(0, ListView1.ClientWidth() - fixedWidth_));
}

void KeyListForm::GoToKey(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size()) return;
    const KeyNumber key = rows_[static_cast<std::size_t>(index)].key;
    if (key == 0) return;
    chosenKey_ = key;
    SetModalResult(ui::ModalResult::Ok);
    Close();
}

}  // namespace tastavia
