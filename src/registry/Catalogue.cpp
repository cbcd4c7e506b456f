#include "registry/Catalogue.h"

namespace tastavia {

const char* const kKeyboardLayoutsKey = "System\\CurrentControlSet\\Control\\keyboard layouts\\";
const char* const kLocaleKey = "System\\CurrentControlSet\\Control\\Nls\\Locale";

namespace {

const char* const kUsersSubstitutes = ".DEFAULT\\keyboard layout\\substitutes\\";
const char* const kUsersPreload = ".DEFAULT\\keyboard layout\\preload";
const char* const kUserPreload = "keyboard layout\\preload";
const char* const kUserSubstitutes = "keyboard layout\\substitutes\\";

constexpr char kNameEnd = '\x00';
constexpr char kFileEnd = '\x01';
constexpr char kKeyEnd = '\x05';
constexpr char kBaseMain = '\x02';
constexpr char kBaseLatin = '\x03';
constexpr char kInUseMark = '\x04';

std::string Between(const std::string& record, char open, char close) {
    std::size_t from = record.find(open);
    if (from == std::string::npos) return "";
    std::size_t to = record.find(close);
    if (to == std::string::npos || to <= from) return "";
    return record.substr(from + 1, to - from - 1);
}

// Clears the selection guard on every way out.
class GuardScope {
public:
    explicit GuardScope(bool& guard) : guard_(guard) { guard_ = true; }
    ~GuardScope() { guard_ = false; }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    bool& guard_;
};

bool Blank(const std::string& text) {
    for (unsigned char c : text)
        if (c > 32) return false;
    return true;
}

}  // namespace

bool IsBulgarianId(const std::string& name) { return name.size() >= 8 && name.compare(5, 3, "402") == 0; }

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string CatalogueRecord::Name(const std::string& record) { return record.substr(0, record.find(kNameEnd)); }
std::string CatalogueRecord::File(const std::string& record) { return Between(record, kNameEnd, kFileEnd); }
std::string CatalogueRecord::KeyName(const std::string& record) { return Between(record, kFileEnd, kKeyEnd); }
bool CatalogueRecord::IsBase(const std::string& record) {
    return record.find(kBaseMain) != std::string::npos || record.find(kBaseLatin) != std::string::npos;
}
bool CatalogueRecord::InUse(const std::string& record) { return record.find(kInUseMark) != std::string::npos; }

Catalogue::Catalogue(Registry& registry, CatalogueView view, std::function<OsKind()> osKind,
                     std::function<bool()> workingFileOpen)
    : registry_(registry), view_(view), osKind_(std::move(osKind)), workingFileOpen_(std::move(workingFileOpen)) {}

const std::string* Catalogue::SelectedRecord() const {
    int selected = view_.list.Selected();
    if (selected < 0 || static_cast<std::size_t>(selected) >= records_.size()) return nullptr;
    return &records_[static_cast<std::size_t>(selected)];
}

void Catalogue::FillLayoutList() {
    records_.clear();
    ui::ListView& list = view_.list;
    list.BeginUpdate();
    struct EndUpdate {
        ui::ListView& list;
        ~EndUpdate() { list.EndUpdate(); }
    } endUpdate{list};
    list.Clear();

    std::vector<std::string> names;
    if (auto layouts = registry_.Open(RootKey::LocalMachine, kKeyboardLayoutsKey, false)) names = layouts->SubKeyNames();

    std::vector<std::string> keyNames;
    for (const std::string& name : names) {
        if (!IsBulgarianId(name)) continue;
        auto key = registry_.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + name, false);
        if (!key) continue;
        std::string text = key->ReadString("layout text");
        std::string file = key->ReadString("layout file");
        std::string caption = text + " - (" + file + ")";
        std::string record = text + kNameEnd + file + kFileEnd + name + kKeyEnd;
        std::string upper = UpperAscii(text);
        if (upper == "BULGARIAN" || upper == "BULGARIAN (LATIN)") {
            caption += " - [BASE]";
            record += upper == "BULGARIAN" ? kBaseMain : kBaseLatin;
        }
        list.AddItem(caption);
        records_.push_back(record);
        keyNames.push_back(name);
    }

    std::vector<std::string> languages;
    if (auto locale = registry_.Open(RootKey::LocalMachine, kLocaleKey, false))
        for (const std::string& id : locale->ValueNames())
            if (IsBulgarianId(id)) languages.push_back(id);

    if (osKind_() == kOsWin9x)
        MarkInUseWin9x(keyNames, languages);
    else
        MarkInUseNt(keyNames);
}

int Catalogue::FindByKeyName(const std::vector<std::string>& keyNames, const std::string& keyName) const {
    std::string wanted = UpperAscii(keyName);
    for (std::size_t i = 0; i < keyNames.size(); ++i)
        if (UpperAscii(keyNames[i]) == wanted) return static_cast<int>(i);
    return -1;
}

// A layout reached twice (two languages, or a repeated preload entry) is marked once.
void Catalogue::MarkInUse(std::size_t entry) {
    if (CatalogueRecord::InUse(records_[entry])) return;
    records_[entry] += kInUseMark;
    int index = static_cast<int>(entry);
    view_.list.SetItemCaption(index, view_.list.Item(index).caption + " - [IN USE]");
}

void Catalogue::MarkInUseWin9x(const std::vector<std::string>& keyNames, const std::vector<std::string>& languages) {
    for (const std::string& language : languages) {
        if (auto substitute = registry_.Open(RootKey::Users, kUsersSubstitutes + language, false)) {
            int entry = FindByKeyName(keyNames, substitute->ReadString(""));
            if (entry >= 0) MarkInUse(static_cast<std::size_t>(entry));
            continue;
        }
        int entry = FindByKeyName(keyNames, language);
        if (entry < 0) continue;
        auto preload = registry_.Open(RootKey::Users, kUsersPreload, false);
        if (!preload) continue;
        for (const std::string& slot : preload->SubKeyNames()) {
            auto loaded = registry_.Open(RootKey::Users, std::string(kUsersPreload) + "\\" + slot, false);
            if (loaded && loaded->ReadString("") == language) {
                MarkInUse(static_cast<std::size_t>(entry));
                break;
            }
        }
    }
}

void Catalogue::MarkInUseNt(const std::vector<std::string>& keyNames) {
    std::vector<std::string> preloaded;
    if (auto preload = registry_.Open(RootKey::CurrentUser, kUserPreload, false))
        for (const std::string& name : preload->ValueNames()) {
            std::string id = preload->ReadString(name);
            if (IsBulgarianId(id)) preloaded.push_back(id);
        }
    auto substitutes = registry_.Open(RootKey::CurrentUser, kUserSubstitutes, false);
    for (const std::string& id : preloaded) {
        std::string layout = substitutes && substitutes->HasValue(id) ? substitutes->ReadString(id) : id;
        int entry = FindByKeyName(keyNames, layout);
        if (entry >= 0) MarkInUse(static_cast<std::size_t>(entry));
    }
}

void Catalogue::Button8Click() {
    {
        GuardScope guard(selectionGuard_);
        FillLayoutList();
    }
    Edit1Change();
}

void Catalogue::Edit1Change() {
    if (selectionGuard_) return;
    const std::string name = UpperAscii(view_.name.Text());
    const std::string file = UpperAscii(view_.fileName.Text());
    bool matched = false;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (UpperAscii(CatalogueRecord::Name(records_[i])) == name ||
            UpperAscii(CatalogueRecord::File(records_[i])) == file) {
            GuardScope guard(selectionGuard_);
            view_.list.SetSelected(static_cast<int>(i));
            matched = true;
            break;
        }
    }
    if (!matched && view_.list.Selected() >= 0) view_.list.SetSelected(-1);
    UpdateLayoutButtons();
}

void Catalogue::ListView2SelectItem() {
    if (selectionGuard_) return;
    const std::string* record = SelectedRecord();
    if (!record) return;
    {
        GuardScope guard(selectionGuard_);
        view_.name.SetText(CatalogueRecord::Name(*record));
        view_.fileName.SetText(CatalogueRecord::File(*record));
    }
    UpdateLayoutButtons();
}

void Catalogue::UpdateLayoutButtons() {
    const std::string& name = view_.name.Text();
    const std::string& file = view_.fileName.Text();
    const std::string* record = SelectedRecord();
    std::string code;
    if (Blank(name) || Blank(file))
        code = "000";
    else if (!record)
        code = "010";
    else if (UpperAscii(CatalogueRecord::Name(*record)) != UpperAscii(name) ||
             UpperAscii(CatalogueRecord::File(*record)) != UpperAscii(file))
        code = "000";
    else if (CatalogueRecord::InUse(*record))
        code = "100";
    else
        code = "111";
    SetLayoutButtons(code);
    if (!workingFileOpen_()) SetLayoutButtons("202");
}

void Catalogue::SetLayoutButtons(const std::string& code) {
    ui::Button* buttons[] = {&view_.load, &view_.save, &view_.remove};
    for (std::size_t i = 0; i < 3 && i < code.size(); ++i)
        if (code[i] != '2') buttons[i]->SetEnabled(code[i] == '1');
}

void Catalogue::ListView2CustomDraw() {
    if (!view_.list.Columns().empty()) view_.list.SetColumnWidth(0, view_.list.ClientWidth());
}

}  // namespace tastavia
