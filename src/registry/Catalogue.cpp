#include "registry/Catalogue.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "platform/RegistryTree.h"
#include "registry/UserInputList.h"
#include "text/Text.h"

namespace tastavia {

namespace {

const char* const kBaseMark = " - [BASE]";
const char* const kInUseMark = " - [IN USE]";

// Key names as the registry compares them.
using KeyNameSet = std::unordered_set<std::string>;

// A Bulgarian language with a substitute uses that layout; one without uses its own key
// when the preload list loads it. Only the languages the two short lists name can mark a
// layout, so those are looked up in the locale list by name, whatever its length. The
// locale list is walked only when a preloaded name must be matched against it letter for
// letter, and then once.
KeyNameSet InUseWin9x(Registry& registry, const std::vector<CatalogueRecord>& records) {
    KeyNameSet inUse, substituted;
    auto locale = registry.OpenForReading(RootKey::LocalMachine, kLocaleKey);
    if (!locale) return inUse;
    // A key opens by its name in any letter case, and a language is found so too.
    if (auto substitutes = registry.OpenForReading(RootKey::Users, kUsersSubstitutesKey))
        for (const std::string& name : substitutes->SubKeyNames()) {
            if (!IsBulgarianId(name) || !locale->HasValue(name)) continue;
            if (auto substitute = substitutes->OpenSubKeyForReading(name)) {
                inUse.insert(FoldKeyName(substitute->ReadString("")));
                substituted.insert(FoldKeyName(name));
            }
        }
    std::vector<std::string> candidates;  // Bulgarian ids preloaded without a substitute
    if (auto preload = registry.OpenForReading(RootKey::Users, kUsersPreloadKey))
        for (const std::string& slot : preload->SubKeyNames())
            if (auto loaded = preload->OpenSubKeyForReading(slot)) {
                std::string id = loaded->ReadString("");
                if (IsBulgarianId(id) && substituted.count(FoldKeyName(id)) == 0) candidates.push_back(std::move(id));
            }
    if (candidates.empty()) return inUse;  // as most preload lists are
    KeyNameSet entries;
    for (const CatalogueRecord& record : records) entries.insert(FoldKeyName(record.KeyName()));
    std::vector<std::string> preloaded;  // those of them that are entries and languages
    for (std::string& id : candidates)
        if (entries.count(FoldKeyName(id)) != 0 && locale->HasValue(id)) preloaded.push_back(std::move(id));
    if (preloaded.empty()) return inUse;
    // The preload list names a language exactly as the locale list does.
    const std::vector<std::string> names = locale->ValueNames();
    const std::set<std::string> languages(names.begin(), names.end());
    for (const std::string& id : preloaded)
        if (languages.count(id) != 0) inUse.insert(FoldKeyName(id));
    return inUse;
}

// Each preloaded Bulgarian id uses its substitute, or itself without one.
KeyNameSet InUseNt(Registry& registry) {
    KeyNameSet inUse;
    std::vector<std::string> preloaded;
    if (auto preload = registry.OpenForReading(RootKey::CurrentUser, kUserPreloadKey))
        for (const std::string& name : preload->ValueNames()) {
            std::string id = preload->ReadString(name);
            if (IsBulgarianId(id)) preloaded.push_back(id);
        }
    // Windows 8 and later show the user's language profile.
    for (const std::string& keyName : ProfileLayoutKeys(registry)) inUse.insert(FoldKeyName(keyName));
    if (preloaded.empty()) return inUse;
    auto substitutes = registry.OpenForReading(RootKey::CurrentUser, kUserSubstitutesKey);
    for (const std::string& id : preloaded)
        inUse.insert(FoldKeyName(substitutes && substitutes->HasValue(id) ? substitutes->ReadString(id) : id));
    return inUse;
}

}  // namespace

InstalledCatalogue ReadInstalledCatalogue(Registry& registry, OsKind kind, bool withIds,
                                          const std::vector<std::string>& known) {
    return CatalogueOf(registry, kind, ReadRegisteredLayouts(registry, withIds, known));
}

InstalledCatalogue CatalogueOf(Registry& registry, OsKind kind, RegisteredLayouts keys) {
    InstalledCatalogue catalogue;
    catalogue.keys = std::move(keys);
    std::vector<CatalogueRecord>& records = catalogue.records;
    records.reserve(catalogue.keys.layouts.size());
    for (const InstalledLayout& layout : catalogue.keys.layouts)
        if (IsBulgarianId(layout.keyName)) records.push_back(CatalogueRecord{layout, BaseKindOf(layout.text), false});
    const KeyNameSet inUse = kind == kOsWin9x ? InUseWin9x(registry, records) : InUseNt(registry);
    if (!inUse.empty())
        for (CatalogueRecord& record : records) record.inUse = inUse.count(FoldKeyName(record.KeyName())) != 0;
    return catalogue;
}

std::vector<CatalogueRecord> ReadCatalogue(Registry& registry, OsKind kind) {
    return ReadInstalledCatalogue(registry, kind, true).records;
}

bool SameEntries(const std::vector<CatalogueRecord>& a, const std::vector<CatalogueRecord>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const CatalogueRecord& x, const CatalogueRecord& y) {
        return x.KeyName() == y.KeyName() && x.Name() == y.Name() && x.File() == y.File() && x.base == y.base &&
               x.inUse == y.inUse;
    });
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
    for (std::size_t i = 0; i < records.size(); ++i)
        if (SameAscii(records[i].Name(), name) || SameAscii(records[i].File(), fileName)) return static_cast<int>(i);
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
    // Nothing to install without a working file; Load and Delete do not need one. Nor
    // under a File Name that Save would refuse.
    if (!workingFileOpen || !IsPlainFileName(StripSpaces(fileName))) code[1] = '0';
    return code;
}

std::string LayoutButtonReason(const std::string& name, const std::string& fileName, const CatalogueRecord* selected,
                               bool workingFileOpen) {
    const bool noName = IsBlank(name), noFile = IsBlank(fileName);
    if (noName && noFile) return "Type a name and a file name";
    if (noName || noFile) return noName ? "Type a name" : "Type a file name";
    // Save's own test of the File Name, with its reason.
    const std::string fault = FileNameFault(StripSpaces(fileName));
    if (!fault.empty()) return fault;
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
