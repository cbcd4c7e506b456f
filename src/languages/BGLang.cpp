#include "languages/BGLang.h"

#include <algorithm>

#include "platform/RegistryTree.h"
#include "registry/LayoutRegistry.h"
#include "text/Text.h"
#include "ui/Application.h"
#include "ui/Wallpaper.h"

namespace tastavia {

namespace {

constexpr int kLanguageColumnWidth = 180;
const char* const kBaseLanguage = "Bulgarian";  // compared case-sensitively

// The dialog's buttons: placed, with a hint, reachable with Tab.
void SetupButton(ui::Widget& w, const char* caption, int left, int top, int width, int height, const char* hint) {
    ui::Setup(w, caption, left, top, width, height, hint);
    w.SetTabStop(true);
}

}  // namespace

TForm2::TForm2(ui::Application& app, Platform& platform, TForm3& editor)
    : Form(app, "Form2"), platform_(platform), editor_(editor) {
    CreateControls();
    ui::ShowWallpaper(platform_.resources, ListView1);
}

void TForm2::CreateControls() {
    SetCaption("BG Languges Modify");
    SetClientSize(420, 250);
    borderStyle = ui::BorderStyle::Dialog;

    ListView1.SetBounds(8, 8, 404, 201);
    ListView1.showColumnHeaders = true;
    ListView1.AddColumn({"Language", kLanguageColumnWidth, ui::Alignment::Left});
    ListView1.AddColumn({"Default Layout", ListView1.ClientWidth() - kLanguageColumnWidth, ui::Alignment::Right});
    ListView1.SetTabStop(true);
    ListView1.onSelectItem = [this](int, bool) { ListView1SelectItem(); };
    ListView1.onCustomDraw = [this] { ListView1CustomDraw(); };

    SetupButton(Button2, "&Add New...", 8, 217, 75, 25, "Adds new Bulgarian Language");
    SetupButton(Button5, "&Edit...", 88, 217, 75, 25, "Edits selected Languge");
    SetupButton(Button3, "&Delete", 168, 217, 75, 25, "Deletes selected Language");
    SetupButton(Button4, "&Refresh", 248, 217, 75, 25, "Refresh list of Languges");
    SetupButton(Button1, "Close", 337, 217, 75, 25, "Closes this window");
    Button1.isCancel = true;
    Button1.onClick = [this] { Button1Click(); };
    Button2.onClick = [this] { Button2Click(); };
    Button3.onClick = [this] { Button3Click(); };
    Button4.onClick = [this] { Button4Click(); };
    Button5.onClick = [this] { Button5Click(); };
    Button3.SetEnabled(false);
    Button5.SetEnabled(false);
    SetTabOrder({&ListView1, &Button2, &Button5, &Button3, &Button4, &Button1});
}

void TForm2::ListView1CustomDraw() {
    ListView1.SetColumnWidth(1, std::max(0, ListView1.ClientWidth() - kLanguageColumnWidth));
}

std::vector<std::string> TForm2::PreloadedIds() {
    Registry& registry = platform_.registry;
    std::vector<std::string> ids;
    if (auto preload = registry.OpenForReading(RootKey::Users, kUsersPreloadKey)) ids = preload->SubKeyNames();
    // A slot that cannot be opened stands for itself.
    for (std::string& id : ids)
        if (auto slot = registry.OpenForReading(RootKey::Users, std::string(kUsersPreloadKey) + "\\" + id))
            id = slot->ReadString("");
    return ids;
}

void TForm2::FillLanguageList() {
    ui::ListView::UpdateScope update(ListView1);
    ListView1.Clear();
    rows_.clear();

    Registry& registry = platform_.registry;
    for (const LocaleLanguage& language : BulgarianLanguages(registry)) {
        LanguageRow row;
        row.name = language.name;
        row.id = language.id;
        row.base = language.name == kBaseLanguage;
        const int index = ListView1.AddItem(VisibleText(row.name));
        if (row.base) ListView1.AppendItemMark(index, " - [BASE]");
        rows_.push_back(std::move(row));
    }

    auto layouts = registry.OpenForReading(RootKey::LocalMachine, kKeyboardLayoutsKey);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        LanguageRow& row = rows_[i];
        std::string layout = "N/A";
        std::optional<InstalledLayout> installed;
        if (layouts && IsLayoutId(row.id)) installed = ReadInstalledLayout(*layouts, row.id);
        if (installed) {
            row.layoutText = installed->text;
            row.layoutFile = installed->file;
            layout = VisibleText(row.layoutText) + " - (" + VisibleText(row.layoutFile) + ")";
        }
        ListView1.SetSubItem(static_cast<int>(i), 0, layout);
    }

    const std::vector<std::string> preloaded = PreloadedIds();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        LanguageRow& row = rows_[i];
        bool listed = std::any_of(preloaded.begin(), preloaded.end(),
                                  [&row](const std::string& id) { return SameKeyName(id, row.id); });
        if (!listed) continue;
        row.inUse = true;
        ListView1.AppendItemMark(static_cast<int>(i), row.base ? "[IN USE]" : " - [IN USE]");
    }
    ListView1SelectItem();  // clearing the list dropped the selection without a word
}

const LanguageRow* TForm2::SelectedUnlocked() const {
    const int selected = ListView1.Selected();
    if (selected < 0 || static_cast<std::size_t>(selected) >= rows_.size()) return nullptr;
    const LanguageRow& row = rows_[static_cast<std::size_t>(selected)];
    return row.Locked() ? nullptr : &row;
}

void TForm2::ListView1SelectItem() {
    const bool editable = SelectedUnlocked() != nullptr;
    Button5.SetEnabled(editable);
    Button3.SetEnabled(editable);
}

std::string TForm2::FindLanguageId(const std::string& name) {
    FillLanguageList();
    const std::string wanted = UpperCase1251(name);
    std::string id;
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (UpperCase1251(ListView1.Item(static_cast<int>(i)).caption) == wanted) id = rows_[i].id;
    return id;
}

void TForm2::Button2Click() {
    editor_.PrepareNewLanguage();
    editor_.ShowModal();
    FillLanguageList();
    ListView1.SetFocus();  // the buttons the keyboard was on are disabled now
}

void TForm2::Button5Click() {
    const LanguageRow* row = SelectedUnlocked();
    if (!row) return;
    const std::string id = row->id;
    if (editor_.OpenLanguageForEdit(id)) editor_.ShowModal();
    FillLanguageList();
    ListView1.SetFocus();
}

void TForm2::RemoveLanguage() {
    const LanguageRow* row = SelectedUnlocked();
    if (!row) return;
    const std::string id = row->id;
    ui::Dialogs& dialogs = GetApplication().GetDialogs();
    if (dialogs.ShowMessage(ui::MessageKind::Confirmation, ui::MessageButtons::YesNo,
                            "Are you sure you want to remove this language?") != ui::Answer::Yes)
        return;
    auto locale = platform_.registry.Open(RootKey::LocalMachine, kLocaleKey, false);
    if (locale && locale->DeleteValue(id))
        dialogs.Information("Language successfuly removed!");
    else
        dialogs.Error("Can't modify registry settings! Language not removed!");
    FillLanguageList();
    ListView1.SetFocus();
}

}  // namespace tastavia
