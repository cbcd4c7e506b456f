// TForm1: creation, the editor start-up, the menus, the request message and closing.
#include "app/main.h"

#include "app/Check.h"
#include "app/LostLayoutsWindow.h"
#include "app/LeftOut.h"
#include "app/Compare.h"
#include "app/Try.h"
#include "layout/LayoutIni.h"
#include "layout/SystemLibraries.h"
#include "platform/Errors.h"
#include "ui/Application.h"
#include "ui/Wallpaper.h"

namespace tastavia {

using ui::Setup;

namespace {

constexpr int kClientWidth = 592;
constexpr int kClientHeight = 312;
constexpr int kFirstChar = 32;
constexpr int kLastChar = 255;

const char* const kShiftHint = "Shows key meaning when \"Shift\" key is pressed";
const char* const kCapsSensHint = "Shows \"Caps Lock\" sensetivity for current key";
const char* const kIniFilter = "Ini Files|*.ini|All Files|*";

}  // namespace

TForm1::TForm1(ui::Application& app, Platform& platform, const Session& session)
    : Form(app, "Form1"),
      platform_(platform),
      session_(session),
      layout_(platform.files, platform.clock, platform.resources),
      installer_(platform.registry, platform.files, platform.resources),
      form6_(std::make_unique<TForm6>(app, platform.resources)),
      form7_(std::make_unique<TForm7>(app)),
      form8_(std::make_unique<TForm8>(app)),
      form9_(std::make_unique<TForm9>(app, platform.resources)) {
    CreateControls();
    CreateStatusLine();

    // Errors no command catches end the command with one message that says why.
    app.onError = [this](const std::string& action, const AppError& error) { ShowFailure(action, error); };
    app.afterCommand = [this] {
        catalogueCurrent_ = false;
        UpdateStatusLine();
    };
    onCloseQuery = [this] { return MayDiscardChanges(); };
    listMouseGate_ = true;
    ListView1.mouseFilter = [this](ui::MouseButton) { return listMouseGate_; };
    ui::ShowWallpaper(platform_.resources, ListView1);
    ui::ShowWallpaper(platform_.resources, ListView2);
    bdsPath_.clear();
    phoneticPath_.clear();

    layout_.onOpened = [this] {
        editState_.MarkSaved(layout_);
        EnableEditor();
    };
    layout_.onImported = [this] { ResetViewAfterImport(); };
    layout_.onExported = [this] {
        editState_.MarkSaved(layout_);
        RefreshViewAfterExport();
    };
    onClose = [this] { FormClose(); };
    onMessage = [this](std::uint32_t m, std::intptr_t w, std::intptr_t l) { FormMessage(m, w, l); };
}

TForm1::~TForm1() {
    // The application may outlive the window: its hooks must not.
    GetApplication().onError = nullptr;
    GetApplication().afterCommand = nullptr;
}

void TForm1::CreateControls() {
    SetCaption("Tastavia v1.1");
    SetClientSize(kClientWidth, kClientHeight);
    minimizeButton = true;
    showHint = true;

    PlaceKeyButtons();
    auto toggle = [](ui::SpeedButton& b, int group) {
        b.SetGroupIndex(group);
        b.SetAllowAllUp(true);
    };
    Setup(SpeedButton50, "Ca&psLck", 8, 88, 49, 33, "Shows which keys are sensitive when \"Caps Lock\" is active");
    Setup(SpeedButton49, "S&hift", 8, 128, 65, 33, kShiftHint);
    Setup(SpeedButton53, "Shift", 406, 128, 51, 33, kShiftHint);
    Setup(SpeedButton51, "Caps S&ens", 8, 168, 65, 25, kCapsSensHint);
    Setup(SpeedButton52, "Caps Sens", 392, 168, 65, 25, kCapsSensHint);
    toggle(SpeedButton49, 49);
    toggle(SpeedButton50, 50);
    toggle(SpeedButton51, 51);
    toggle(SpeedButton52, 52);
    toggle(SpeedButton53, 53);
    SpeedButton49.onClick = [this] { SpeedButton49Click(); };
    SpeedButton50.onClick = [this] { SpeedButton50Click(); };
    SpeedButton51.onClick = [this] { SpeedButton51Click(); };
    SpeedButton52.onClick = [this] { SpeedButton52Click(); };
    SpeedButton53.onClick = [this] { SpeedButton53Click(); };
    for (int n = 49; n <= 53; ++n) KeyButton(n).SetTag(n);

    ListView1.SetBounds(464, 7, 121, 186);
    ListView1.AddColumn({"", 100, ui::Alignment::Left});
    ListView1.showColumnHeaders = false;
    ListView1.itemHeight = 17;
    ListView1.SetFont(ui::Font{"Courier New", 20, false, ui::kCyrillicCharset});
    ListView1.SetTabStop(false);
    ListView1.onSelectItem = [this](int index, bool selected) { ListView1SelectItem(index, selected); };

    ListView2.SetBounds(8, 216, 257, 89);
    ListView2.AddColumn({"", 253, ui::Alignment::Left});
    ListView2.showColumnHeaders = false;
    ListView2.itemHeight = 13;
    ListView2.SetTabStop(true);

    Setup(Label1, "N&ame:", 272, 219, 31, 13);
    Setup(Label2, "&File Name:", 272, 251, 50, 13);
    Setup(Edit1, "", 328, 216, 105, 21);
    Setup(Edit2, "", 328, 248, 105, 21);
    Edit1.SetTabStop(true);
    Edit2.SetTabStop(true);

    Setup(Button5, "&Load", 440, 216, 57, 25, "Loads configuration from the system");
    Setup(Button4, "&Save", 440, 248, 57, 25, "Saves current configuration to the system");
    Setup(Button9, "&Delete", 440, 280, 57, 25, "Deletes layout from the system");
    Setup(Button8, "&Refresh", 272, 280, 49, 25, "Refreshes Layout's list");
    Setup(Button10, "&BG Lang", 328, 280, 49, 25,
          "If you want to use both BDS and Phonetic keyboard at a same time, for an exaple, you must create "
          "another Bulgarian language! Win9x only!");
    Setup(Button6, "&New", 384, 280, 49, 25, "Creates new layout");
    Setup(Button1, "&INI File...", 518, 216, 49, 25, "Loads/Saves configuration from/to INI File");
    // Alt with the one sign of their captions reaches these two as well.
    Setup(Button7, "&...", 566, 216, 19, 25, "Loads base configuration");
    Setup(Button3, "&Wizard", 518, 248, 67, 25, "Starts The Wizard with which help you can add layout faster and easer");
    Setup(Button2, "Cl&ose", 518, 280, 49, 25, "Closes this program");
    Setup(Button11, "&?", 566, 280, 19, 25, "About");
    // The two places the on-screen keyboard leaves free, where Tab and Enter would be.
    Setup(Button12, "&Check", 8, 48, 47, 33, "Checks the layout: letters, cases, Caps Lock, characters on two keys");
    Setup(Button13, "&Try", 416, 88, 41, 33, "Type with this layout without installing it");
    for (ui::Button* b : {&Button1, &Button2, &Button3, &Button4, &Button5, &Button6, &Button7, &Button8, &Button9,
                          &Button10, &Button11, &Button12, &Button13})
        b->SetTabStop(true);
    // Load, Save and Delete wait for the catalogue to allow them.
    Button4.SetEnabled(false);
    Button5.SetEnabled(false);
    Button9.SetEnabled(false);

    Setup(Panel1, "", 8, 200, 577, 9);
    Setup(Panel2, "", 503, 216, 9, 89);
    SetKeyboardOrder();

    Button1.onClick = [this] { Button1Click(); };
    Button2.onClick = [this] { Button2Click(); };
    Button3.onClick = [this] { Button3Click(); };
    Button6.onClick = [this] { Button6Click(); };
    Button7.onClick = [this] { Button7Click(); };
    Button4.onClick = [this] { Button4Click(); };
    Button5.onClick = [this] { Button5Click(); };
    Button8.onClick = [this] { Button8Click(); };
    Button9.onClick = [this] { Button9Click(); };
    Edit1.onChange = [this] { Edit1Change(); };
    Edit2.onChange = [this] { Edit1Change(); };
    ListView2.onSelectItem = [this](int, bool) { ListView2SelectItem(); };
    ListView2.onCustomDraw = [this] { ListView2CustomDraw(); };
    Button10.onClick = [this] { Button10Click(); };
    Button11.onClick = [this] { Button11Click(); };
    Button12.onClick = [this] { Button12Click(); };
    Button13.onClick = [this] { Button13Click(); };

    PopupMenu1.alignment = ui::MenuAlignment::Right;
    PopupMenu1.items = {{"&Load From...", [this] { LoadFrom1Click(); }}, {"&Save To...", [this] { SaveTo1Click(); }}};
    PopupMenu1.items.push_back({"-", nullptr});
    PopupMenu1.items.push_back({"&Compare...", [this] { Compare1Click(); }});
    PopupMenu1.items.push_back({"Compare With &Installed", [this] { CompareInstalled1Click(); }});
    PopupMenu1.items.push_back({"&Print...", [this] { Print1Click(); }});
    PopupMenu1.items.push_back({"Pic&ture...", [this] { Picture1Click(); }});
    PopupMenu2.alignment = ui::MenuAlignment::Right;
    PopupMenu2.items = {{"&BDS", [this] { BDS1Click(); }}, {"&Phonetic", [this] { Phonetic1Click(); }}};
    Button7.contextMenu = &PopupMenu2;
    CreateLayoutListMenu();
}

void TForm1::SetKeyboardOrder() {
    Label1.focusControl = &Edit1;
    Label2.focusControl = &Edit2;
    // The keys are one stop for Tab, the arrow keys move between them; the second Shift
    // and Caps Sens do what the first ones do and are left to the mouse.
    for (KeyNumber k = 1; k <= kKeyCount; ++k) KeyButton(k).SetTabStop(k == 1);
    for (ui::SpeedButton* toggle : {&SpeedButton49, &SpeedButton50, &SpeedButton51}) toggle->SetTabStop(true);
    // The keys choose a character in the list with Enter or Space; the arrows only look.
    ListView1.keysBrowse = true;
    // From the top left to the bottom right, the character list after the keys whose
    // characters it holds.
    std::vector<ui::Widget*> order;
    for (KeyNumber k = 1; k <= kKeyCount; ++k) order.push_back(&KeyButton(k));
    for (ui::Widget* w : std::initializer_list<ui::Widget*>{
             &ListView1, &Button12, &SpeedButton50, &Button13, &SpeedButton49, &SpeedButton53, &SpeedButton51,
             &SpeedButton52, &Panel1, &ListView2, &Label1, &Edit1, &Button5, &Button1, &Button7, &Label2, &Edit2,
             &Button4, &Button3, &Button8, &Button10, &Button6, &Button9, &Button2, &Button11, &Panel2})
        order.push_back(w);
    SetTabOrder(order);
}

void TForm1::PlaceKeyButtons() {
    struct Row {
        KeyNumber first, last;
        int left, top;
    };
    const Row rows[] = {{1, 14, 8, 8}, {15, 26, 56, 48}, {27, 37, 64, 88}, {38, 47, 80, 128}};
    const ui::Font keyFont{"Courier New", 16, false, ui::kCyrillicCharset};
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        auto button = std::make_unique<ui::SpeedButton>(this, "SpeedButton" + std::to_string(k));
        button->SetTag(k);
        button->SetFont(keyFont);
        // One exclusive group in which all may be up.
        button->SetGroupIndex(1);
        button->SetAllowAllUp(true);
        button->onClick = [this, k] { KeyButtonClick(k); };
        keyButtons_[k - 1] = std::move(button);
    }
    for (const Row& row : rows)
        for (KeyNumber k = row.first; k <= row.last; ++k)
            keyButtons_[k - 1]->SetBounds(row.left + 32 * (k - row.first), row.top, 31, 33);
    keyButtons_[kSpaceBar - 1]->SetBounds(80, 168, 305, 25);
}

ui::SpeedButton& TForm1::KeyButton(int number) {
    switch (number) {
        case 49: return SpeedButton49;
        case 50: return SpeedButton50;
        case 51: return SpeedButton51;
        case 52: return SpeedButton52;
        case 53: return SpeedButton53;
        default:
            if (number >= 1 && number <= 47) return *keyButtons_[static_cast<std::size_t>(number - 1)];
            return *keyButtons_[kSpaceBar - 1];
    }
}

void TForm1::EditorStartup() {
    const bool win9x = session_.IsWin9x();
    layout_.SetOsKind(session_.osKind);
    const OsVersionInfo os = platform_.osVersion.Get();
    installer_.SetTargetSystem({session_.osKind, os.machine, os.administrator});
    loadFolder_ = LoadFolderFor(session_.osKind, os.machine);
    Button10.SetEnabled(win9x);
    systemDirectory_ = platform_.files.WindowsDirectory() + (win9x ? "\\system\\" : "\\system32\\");
    layout_.SetTempDirectory(platform_.files.TempPath());

    bdsPath_ = layout_.MakeTempFileName("BDS");
    if (!layout_.ExtractResourceToFile("BDS", bdsPath_)) bdsPath_.clear();
    phoneticPath_ = layout_.MakeTempFileName("PHO");
    if (!layout_.ExtractResourceToFile("PHONETIC", phoneticPath_)) phoneticPath_.clear();

    FillCharacterList();
    ClearKeySelection();
    SetEditorEnabled(false);
    FillLayoutList();
    UpdateLayoutButtons();
}

void TForm1::FillCharacterList() {
    ui::ListView::UpdateScope update(ListView1);
    ListView1.Clear();
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        // Codes line up in the fixed-pitch font: two spaces before two digits.
        std::string caption(1, static_cast<char>(c));
        caption += (c < 100 ? " -  " : " - ") + std::to_string(c);
        ListView1.AddItem(caption);
    }
}

void TForm1::SetEditorEnabled(bool enabled) {
    for (int n = 1; n <= 53; ++n) KeyButton(n).SetEnabled(enabled);
    Button1.SetEnabled(enabled);
    Button7.SetEnabled(enabled);
    Button12.SetEnabled(enabled);
    Button13.SetEnabled(enabled);
}

void TForm1::OpenWorkingFileChecked(const std::string& argument) {
    try {
        layout_.OpenWorkingFile(argument);
    } catch (const AppError&) {
        // A new file that could not be made leaves the one being edited as it was.
        if (!layout_.IsOpen()) {
            SetEditorEnabled(false);
            ClearKeySelection();
        }
        throw;
    }
    if (!layout_.IsOpen()) {
        SetEditorEnabled(false);
        ClearKeySelection();
    }
}

void TForm1::EnableEditor() {
    RefreshKeyCaptions(EditorShift());
    Button8Click();
    SetEditorEnabled(true);
    ClearKeySelection();
    RecolourCapsView();
}

void TForm1::Button6Click() {
    if (MayDiscardChanges()) NewLayout();
}

void TForm1::NewLayout() {
    const std::string name = Edit1.Text();
    const std::string fileName = Edit2.Text();
    Edit1.SetText("Bulgarian (New)");
    Edit2.SetText(session_.IsWin9x() ? "kbdbunew.kbd" : "kbdbunew.dll");
    try {
        OpenWorkingFileChecked(kTemplateMarker);
    } catch (const AppError&) {
        // The layout being edited stays, under its names.
        if (layout_.IsOpen()) SetLayoutNames(name, fileName);
        throw;
    }
    RecolourCapsView();
}

void TForm1::Button1Click() { PopupMenu1.PopupBelow(Button1); }

void TForm1::Button7Click() { PopupMenu2.PopupBelow(Button7); }

std::optional<std::string> TForm1::ChooseIniToLoad() {
    return GetApplication().GetDialogs().OpenFile({"Select keyboard layout configuration file to LOAD", kIniFilter, "ini"});
}

std::optional<std::string> TForm1::ChooseIniToSave() {
    return GetApplication().GetDialogs().SaveFile(
        {"Select keyboard layout configuration file to SAVE to", kIniFilter, "ini"});
}

bool TForm1::HoldsLayout(const std::string& path) { return HasLayoutKeys(platform_.profile, path); }

void TForm1::ImportLayoutFile(const std::string& path) {
    const std::vector<IniValueNote> notes = ImportLayout(layout_, platform_.profile, path);
    if (notes.empty()) return;
    std::string text = DescribeIniNotes(notes);
    for (char& c : text)
        if (c == '\n') c = '\r';
    GetApplication().GetDialogs().Warning("Some values in \"" + path +
                                          "\" are no character of a key and were not taken as they stand:\r" + text);
}

void TForm1::SaveTo1Click() {
    const std::optional<std::string> path = ChooseIniToSave();
    if (!path) return;
    // The usual question of a save dialog: the file's layout would be replaced.
    if (platform_.files.Exists(*path) &&
        GetApplication().GetDialogs().ShowMessage(ui::MessageKind::Confirmation, ui::MessageButtons::YesNoKeep,
                                                  *path + " already exists.\rDo you want to replace it?") !=
            ui::Answer::Yes)
        return;
    ExportLayout(layout_, platform_.profile, platform_.files, *path);
}

void TForm1::BDS1Click() {
    if (MayDiscardChanges()) ImportLayoutFile(bdsPath_);
}

void TForm1::Phonetic1Click() {
    if (MayDiscardChanges()) ImportLayoutFile(phoneticPath_);
}

void TForm1::Button3Click() { GetApplication().Post(*this, kRequestMessage, kRequestWizard, 0); }

void TForm1::Button2Click() {
    if (MayDiscardChanges()) Close();
}

void TForm1::Button10Click() {
    if (onShowLanguages) onShowLanguages();
}

void TForm1::Button11Click() {
    if (onShowAbout) onShowAbout();
}

void TForm1::FormMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t) {
    if (message != kRequestMessage) return;
    if (wParam == kRequestWizard) {
        if (onResetWizard) onResetWizard();
    } else if (wParam == kRequestClose) {
        Close();
    }
}

void TForm1::FormClose() {
    if (!bdsPath_.empty()) platform_.files.Delete(bdsPath_);
    if (!phoneticPath_.empty()) platform_.files.Delete(phoneticPath_);
    if (!layout_.WorkingPath().empty()) layout_.OpenWorkingFile("");
}

}  // namespace tastavia
