#include "app/LostLayoutsWindow.h"

#include "text/Text.h"
#include "ui/Application.h"

namespace tastavia {

using ui::Setup;

TLostLayouts::TLostLayouts(ui::Application& app) : Form(app, "LostLayouts") { CreateControls(); }

void TLostLayouts::CreateControls() {
    SetCaption("Lost Layouts");
    SetClientSize(420, 236);
    borderStyle = ui::BorderStyle::Dialog;
    Setup(Label1, "", 8, 8, 404, 13);
    ListView1.SetBounds(8, 26, 404, 130);
    ListView1.AddColumn({"", 400, ui::Alignment::Left});
    ListView1.showColumnHeaders = false;
    ListView1.SetTabStop(true);
    ListView1.onSelectItem = [this](int, bool) { ListView1SelectItem(); };
    Setup(Label2, "N&ame:", 8, 167, 40, 13);
    Setup(Edit1, "", 56, 164, 356, 21);
    Edit1.SetTabStop(true);
    Label2.focusControl = &Edit1;
    Setup(Button1, "&Register", 256, 203, 75, 25, "Registers the selected layout again under this name");
    Setup(Button2, "Close", 337, 203, 75, 25, "Closes this window");
    ui::SetupDialogButtons(Button1, [this] { Button1Click(); }, Button2, [this] { Close(); });
}

void TLostLayouts::ShowLost(const std::vector<LostLayout>& lost) {
    lost_ = lost;
    Fill();
    ListView1.SetFocus();
    ShowModal();
}

void TLostLayouts::Fill() {
    {
        ui::ListView::UpdateScope update(ListView1);
        ListView1.Clear();
        for (const LostLayout& layout : lost_)
            ListView1.AddItem(VisibleText(layout.fileName) + (layout.reason.empty() ? "" : " - " + layout.reason));
    }
    Label1.SetCaption(lost_.empty() ? "No lost layouts were found."
                                    : "Layout files of this program that no installed layout names:");
    if (!lost_.empty()) ListView1.SetSelected(0);
    ListView1SelectItem();
}

void TLostLayouts::ListView1SelectItem() {
    const int selected = ListView1.Selected();
    const LostLayout* layout = selected >= 0 ? &lost_.at(static_cast<std::size_t>(selected)) : nullptr;
    Edit1.SetText(layout ? DefaultLostLayoutName(layout->fileName) : "");
    // A lone copy would load on one side of a 64-bit Windows only.
    Button1.SetEnabled(layout && layout->reason.empty());
    Edit1.SetEnabled(layout && layout->reason.empty());
}

void TLostLayouts::Button1Click() {
    const int selected = ListView1.Selected();
    if (selected < 0 || !onRegister) return;
    const LostLayout layout = lost_.at(static_cast<std::size_t>(selected));
    if (!layout.reason.empty()) return;
    const std::string failure = onRegister(layout.fileName, Edit1.Text());
    if (!failure.empty()) {
        GetApplication().GetDialogs().ShowMessage(ui::MessageKind::Error, ui::MessageButtons::Ok, failure);
        return;
    }
    lost_.erase(lost_.begin() + selected);
    Fill();
}

}  // namespace tastavia
