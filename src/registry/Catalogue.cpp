#include "registry/Catalogue.h"

#include "registry/UserInputList.h"
#include "text/Text.h"

namespace tastavia {

namespace {

const char* const kBaseMark = " - [BASE]";
const char* const kInUseMark = " - [IN USE]";

int FindByKeyName(const std::vector<CatalogueRecord>& records, const std::string& keyName) {
    const std::string wanted = UpperAscii(keyName);
    for (std::size_t i = 0; i < records.size(); ++i)
        if (UpperAscii(records[i].KeyName()) == wanted) return static_cast<int>(i);
    return -1;
}

void MarkInUse(std::vector<CatalogueRecord>& records, const std::string& keyName) {
    const int entry = FindByKeyName(records, keyName);
    if (entry >= 0) records[static_cast<std::size_t>(entry)].inUse = true;
}

// A language with a substitute marks that layout; one without marks its own key when
// the preload list loads it.
void MarkInUseWin9x(Registry& registry, std::vector<CatalogueRecord>& records) {
    for (const LocaleLanguage& language : BulgarianLanguages(registry)) {
        const std::string& id = language.id;
        if (!IsLayoutId(id)) continue;  // no key path is made of it
        if (auto substitute = registry.OpenForReading(RootKey::Users, kUsersSubstitutesKey + id)) {
            MarkInUse(records, substitute->ReadString(""));
            continue;
        }
        if (FindByKeyName(records, id) < 0) continue;
        auto preload = registry.OpenForReading(RootKey::Users, kUsersPreloadKey);
        if (!preload) continue;
        for (const std::string& slot : preload->SubKeyNames()) {
            auto loaded = registry.OpenForReading(RootKey::Users, std::string(kUsersPreloadKey) + "\\" + slot);
            if (loaded && loaded->ReadString("") == id) {
                MarkInUse(records, id);
                break;
            }
        }
    }
}

// Each preloaded Bulgarian id marks its substitute, or itself without one.
void MarkInUseNt(Registry& registry, std::vector<CatalogueRecord>& records) {
    std::vector<std::string> preloaded;
    if (auto preload = registry.OpenForReading(RootKey::CurrentUser, kUserPreloadKey))
        for (const std::string& name : preload->ValueNames()) {
            std::string id = preload->ReadString(name);
            if (IsBulgarianId(id)) preloaded.push_back(id);
        }
    auto substitutes = registry.OpenForReading(RootKey::CurrentUser, kUserSubstitutesKey);
    for (const std::string& id : preloaded)
        MarkInUse(records, substitutes && substitutes->HasValue(id) ? substitutes->ReadString(id) : id);
    // Windows 8 and later show the user's language profile.
    for (const std::string& keyName : ProfileLayoutKeys(registry)) MarkInUse(records, keyName);
}

}  // namespace

std::vector<CatalogueRecord> ReadCatalogue(Registry& registry, OsKind kind) {
    std::vector<CatalogueRecord> records;
    for (InstalledLayout& layout : ReadInstalledLayouts(registry)) {
        const BaseKind base = BaseKindOf(layout.text);
        records.push_back(CatalogueRecord{std::move(layout), base, false});
    }
    if (kind == kOsWin9x)
        MarkInUseWin9x(registry, records);
    else
        MarkInUseNt(registry, records);
    return records;
}

std::string CatalogueCaption(const CatalogueRecord& record) {
    std::string caption = VisibleText(record.Name()) + " - (" + VisibleText(record.File()) + ")";
    if (record.IsBase()) caption += kBaseMark;
    if (record.inUse) caption += kInUseMark;
    return caption;
}

std::size_t CatalogueCaptionMarks(const CatalogueRecord& record) {
    return (record.IsBase() ? std::char_traits<char>::length(kBaseMark) : 0) +
           (record.inUse ? std::char_traits<char>::length(kInUseMark) : 0);
}

int FindMatchingEntry(const std::vector<CatalogueRecord>& records, const std::string& name,
                      const std::string& fileName) {
    const std::string upperName = UpperAscii(name);
    const std::string upperFile = UpperAscii(fileName);
    for (std::size_t i = 0; i < records.size(); ++i)
        if (UpperAscii(records[i].Name()) == upperName || UpperAscii(records[i].File()) == upperFile)
            return static_cast<int>(i);
    return -1;
}

std::string LayoutButtonCode(const std::string& name, const std::string& fileName, const CatalogueRecord* selected,
                             bool workingFileOpen) {
    std::string code;
    if (IsBlank(name) || IsBlank(fileName))
        code = "000";
    else if (!selected)
        code = "010";
    else if (UpperAscii(selected->Name()) != UpperAscii(name) || UpperAscii(selected->File()) != UpperAscii(fileName))
        code = "000";
    else if (selected->inUse)
        code = "100";
    else
        code = "111";
    // Nothing to install without a working file; Load and Delete do not need one.
    if (!workingFileOpen) code[1] = '0';
    return code;
}

std::string LayoutButtonReason(const std::string& name, const std::string& fileName, const CatalogueRecord* selected,
                               bool workingFileOpen) {
    const bool noName = IsBlank(name), noFile = IsBlank(fileName);
    if (noName && noFile) return "Type a name and a file name";
    if (noName || noFile) return noName ? "Type a name" : "Type a file name";
    if (!selected)
        return workingFileOpen ? "Not installed: Save installs it" : "Nothing to save: New makes a layout";
    if (UpperAscii(selected->Name()) != UpperAscii(name))
        return "This file belongs to an installed layout with another name";
    if (UpperAscii(selected->File()) != UpperAscii(fileName))
        return "This name belongs to an installed layout with another file";
    if (selected->inUse) return "In use: Stop using it first (the list's menu)";
    if (!workingFileOpen) return "Nothing to save: New or Load makes a layout";
    return "";
}

}  // namespace tastavia
