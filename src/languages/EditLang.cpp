#include "languages/EditLang.h"

#include <functional>
#include <unordered_set>

#include "languages/Languages.h"
#include "platform/Errors.h"
#include "platform/RegistryTree.h"
#include "registry/LayoutRegistry.h"
#include "text/Text.h"
#include "ui/Application.h"
#include "ui/Wallpaper.h"

namespace tastavia {

using ui::Setup;

namespace {

constexpr int kLastLanguageNumber = 9999;  // ids keep 8 characters

const char* const kNone = "N/A";
const char* const kNameTaken = "This Language already exists! Choose another Languge name!";
const char* const kNameEmpty = "The name field is empty or it contain invalid name!";
const char* const kNoLayout = "No valid layout selected!";
const char* const kMainLayout =
    "You selected the Main Bulgarian layout! It is reserved for original Bulgarian languge! It is default for all "
    "Bulgarian languages which have not have layout by default! Choose another layout or 'N/A'!";
const char* const kLayoutUsed = "This layout is already used by other languge! Choose another layout or 'N/A'!";
const char* const kNoChanges = "No changes was made!";
const char* const kSaved = "Language successful saved!";
const char* const kCreated = "New Language successful created!";

}  // namespace

std::string LayoutChoice::Caption() const { return IsNone() ? text : VisibleText(text) + " - (" + VisibleText(file) + ")" + Marks(); }

std::string LayoutChoice::Marks() const {
    std::string marks;
    if (IsNone()) return marks;
    if (mainBase) marks += " - [BASE]*";
    if (latinBase) marks += " - [BASE]";
    if (inUse) marks += "*";
    return marks;
}

TForm3::TForm3(ui::Application& app, Platform& platform) : Form(app, "Form3"), platform_(platform) {
    CreateControls();
    ui::ShowWallpaper(platform_.resources, ListView1);
}

void TForm3::CreateControls() {
    SetCaption("Add New Language");
    SetClientSize(330, 330);
    borderStyle = ui::BorderStyle::Dialog;

    // The fields start clear of "Language:" also in the wider Tahoma of later systems.
    Setup(Label1, "&Language:", 8, 12, 51, 13);
    Setup(Edit1, "", 72, 8, 250, 21);
    Edit1.SetTabStop(true);
    Setup(Label2, "Lay&out:", 8, 40, 36, 13);
    Setup(Edit2, "", 72, 36, 250, 21);
    Edit2.SetReadOnly(true);  // read-only edits are drawn grey
    Label1.focusControl = &Edit1;
    // The layout is chosen in the list; the field only shows the choice.
    Label2.focusControl = &ListView1;

    ListView1.SetBounds(8, 64, 314, 225);
    ListView1.showColumnHeaders = false;
    ListView1.AddColumn({"", ListView1.ClientWidth(), ui::Alignment::Left});
    ListView1.SetTabStop(true);
    ListView1.onSelectItem = [this](int, bool) { ListView1SelectItem(); };
    ListView1.onCustomDraw = [this] { ListView1CustomDraw(); };

    Setup(Label3, "* Not allowed or already in use!", 8, 302, 160, 13);
    Setup(Button1, "&Save", 176, 297, 70, 25, "Saves maked changes");
    Setup(Button2, "Cancel", 252, 297, 70, 25, "Closes this window");
    ui::SetupDialogButtons(Button1, [this] { Button1Click(); }, Button2, [this] { Button2Click(); });
}

void TForm3::Button1Click() {
    const std::string status = SaveLanguage(false);
    // After the message, the keyboard is back where the fault is.
    if (status[0] == '4') {
        ListView1.SetFocus();
    } else if (status[0] == '2' || status[0] == '6') {
        Edit1.SelectAll();
        Edit1.SetFocus();
    }
}

void TForm3::ListView1CustomDraw() { ListView1.SetColumnWidth(0, ListView1.ClientWidth()); }

void TForm3::ListView1SelectItem() {
    int index = ListView1.Selected();
    if (index >= 0 && static_cast<std::size_t>(index) < choices_.size())
        Edit2.SetText(choices_[static_cast<std::size_t>(index)].text);
}

void TForm3::FillLayoutChoices() {
    choices_.clear();
    ui::ListView::UpdateScope update(ListView1);
    ListView1.Clear();

    Registry& registry = platform_.registry;
    const std::vector<InstalledLayout> installed = ReadInstalledLayouts(registry);
    // The languages listed once, not asked for each layout.
    std::unordered_set<std::string> languages;
    if (auto locale = registry.OpenForReading(RootKey::LocalMachine, kLocaleKey))
        for (const std::string& id : locale->ValueNames()) languages.insert(FoldKeyName(id));

    auto add = [this](LayoutChoice choice) {
        ListView1.AddItem(choice.Caption(), choice.Marks().size());
        choices_.push_back(std::move(choice));
    };
    LayoutChoice none;
    none.text = kNone;
    add(none);
    for (const InstalledLayout& layout : installed) {
        LayoutChoice choice;
        choice.text = layout.text;
        choice.file = layout.file;
        choice.keyName = layout.keyName;
        const BaseKind base = BaseKindOf(layout.text);
        choice.mainBase = base == BaseKind::Main;
        choice.latinBase = base == BaseKind::Latin;
        choice.inUse = !choice.mainBase && languages.count(FoldKeyName(layout.keyName)) != 0;
        add(std::move(choice));
    }
}

void TForm3::SelectChoice(int index) {
    ListView1.SetSelected(index);
    ListView1.MakeVisible(index);
    // The name is what one types first: typing replaces it.
    Edit1.SelectAll();
    Edit1.SetFocus();
}

void TForm3::PrepareNewLanguage() {
    SetCaption("Add New Language");
    IsEditing = false;
    FillLayoutChoices();
    EditedLanguageId.clear();
    Edit1.SetText("New Language");
    SelectChoice(0);
}

bool TForm3::OpenLanguageForEdit(const std::string& languageId) {
    SetCaption("Edit Language");
    IsEditing = true;
    FillLayoutChoices();
    EditedLanguageId = languageId;
    auto locale = platform_.registry.OpenForReading(RootKey::LocalMachine, kLocaleKey);
    // A key path is made of the id: an id that is not one is never edited.
    if (!IsLayoutId(languageId) || !locale || !locale->HasValue(languageId)) return false;
    Edit1.SetText(locale->ReadString(languageId));

    int current = 0;
    for (std::size_t i = 1; i < choices_.size(); ++i)
        if (SameKeyName(choices_[i].keyName, languageId)) {
            current = static_cast<int>(i);
            break;
        }
    LayoutChoice& own = choices_[static_cast<std::size_t>(current)];
    // A language's own default layout is not in use for itself.
    if (!own.IsNone() && own.inUse) {
        own.inUse = false;
        ListView1.SetItemCaption(current, own.Caption(), own.Marks().size());
    }
    SelectChoice(current);
    return true;
}

std::string TForm3::Outcome(bool silent, char digit, ui::MessageKind kind, const std::string& message) {
    if (!silent) GetApplication().GetDialogs().ShowMessage(kind, ui::MessageButtons::Ok, message);
    return std::string(1, digit) + message;
}

int TForm3::ChosenEntry() const {
    for (std::size_t i = 0; i < choices_.size(); ++i)
        if (choices_[i].text == Edit2.Text()) return static_cast<int>(i);
    return -1;
}

std::string TForm3::FreeLanguageId() {
    auto locale = platform_.registry.OpenForReading(RootKey::LocalMachine, kLocaleKey);
    for (int n = 1; n <= kLastLanguageNumber; ++n) {
        std::string id = LayoutKeyName(n);
        if (!locale || !locale->HasValue(id)) return id;
    }
    return "";
}

std::string TForm3::SaveLanguage(bool silent) {
    using ui::MessageKind;
    const std::string name = Edit1.Text();
    // A language without a name could not be told from the others in any list.
    if (IsBlank(name)) return Outcome(silent, '6', MessageKind::Error, kNameEmpty);

    bool nameChanged = true;
    for (const LocaleLanguage& language : BulgarianLanguages(platform_.registry)) {
        if (language.name != name) continue;
        // In add mode every language of that name is another one.
        if (!IsEditing || !SameKeyName(language.id, EditedLanguageId))
            return Outcome(silent, '2', MessageKind::Error, kNameTaken);
        nameChanged = false;
        break;
    }

    if (!IsEditing) {
        EditedLanguageId = FreeLanguageId();
        if (EditedLanguageId.empty()) return "1";  // every id is taken: nothing done
    }

    const int entry = ChosenEntry();
    if (entry < 0) return Outcome(silent, '4', MessageKind::Error, kNoLayout);
    const LayoutChoice choice = choices_[static_cast<std::size_t>(entry)];
    if (choice.mainBase) return Outcome(silent, '4', MessageKind::Error, kMainLayout);
    if (choice.inUse) return Outcome(silent, '4', MessageKind::Error, kLayoutUsed);

    auto finish = [&](char digit, const char* message) {
        std::string status = Outcome(silent, digit, MessageKind::Information, message);
        Close();
        return status;
    };
    LayoutKeyMover mover(platform_.registry);
    // Put back when the name cannot be written: a layout key never stands for a language
    // that the locale list lacks.
    std::function<void()> undoMove;
    if (choice.IsNone()) {
        if (mover.Exists(EditedLanguageId)) {  // the language loses its default layout
            const std::string moved = mover.MoveToFreeNumber(EditedLanguageId);
            undoMove = [&mover, moved, this] { mover.Rename(moved, EditedLanguageId); };
        } else if (!nameChanged) {
            return finish('3', kNoChanges);
        }
    } else if (SameKeyName(choice.keyName, EditedLanguageId)) {
        if (!nameChanged) return finish('3', kNoChanges);
    } else {
        const bool hadDefault = mover.Exists(EditedLanguageId);
        mover.Swap(EditedLanguageId, choice.keyName);
        undoMove = [&mover, &choice, hadDefault, this] {
            if (hadDefault)
                mover.Swap(EditedLanguageId, choice.keyName);
            else
                mover.Rename(EditedLanguageId, choice.keyName);
        };
    }

    if (nameChanged) {
        try {
            auto locale = platform_.registry.Open(RootKey::LocalMachine, kLocaleKey, false);
            if (!locale) throw RegistryError("Cannot open the locale list");
            locale->WriteString(EditedLanguageId, name);
        } catch (const RegistryError&) {
            if (undoMove) undoMove();
            throw;
        }
    }
    return IsEditing ? finish('5', kSaved) : finish('0', kCreated);
}

}  // namespace tastavia
