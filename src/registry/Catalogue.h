#pragma once
// The installed layout catalogue: the Bulgarian keyboard layouts registered in the
// system, each with its BASE and in-use marks, and the rules that tie the main window's
// Name and File Name fields to it. Pure rules over records; the window shows them.
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Registry.h"
#include "registry/LayoutRegistry.h"

namespace tastavia {

// One entry. Its parts are kept apart as read, so that no value can change which key
// an entry stands for or which marks it has.
struct CatalogueRecord {
    InstalledLayout layout;
    BaseKind base = BaseKind::None;
    bool inUse = false;  // a Bulgarian input language uses it

    const std::string& Name() const { return layout.text; }
    const std::string& File() const { return layout.file; }
    const std::string& KeyName() const { return layout.keyName; }
    const std::string& LayoutId() const { return layout.layoutId; }
    bool IsBase() const { return base != BaseKind::None; }
};

// What one pass over the registry found: the entries, and every layout key with the
// values that installing and removing check against (files, names and ids taken).
struct InstalledCatalogue {
    std::vector<CatalogueRecord> records;
    RegisteredLayouts keys;
};

// Every installed Bulgarian layout in the order the registry lists their keys, with the
// in-use marks by the rule of the OS kind's registry. Each key is read once; withIds and
// known as for ReadRegisteredLayouts.
InstalledCatalogue ReadInstalledCatalogue(Registry& registry, OsKind kind, bool withIds,
                                          const std::vector<std::string>& known = {});
// The same from layout keys read before: only the in-use marks are read.
InstalledCatalogue CatalogueOf(Registry& registry, OsKind kind, RegisteredLayouts keys);
// The records, their layout ids read.
std::vector<CatalogueRecord> ReadCatalogue(Registry& registry, OsKind kind);

// Whether two lists show the same entries in the same order, ids aside.
bool SameEntries(const std::vector<CatalogueRecord>& a, const std::vector<CatalogueRecord>& b);

// "text - (file)", then " - [BASE]" and " - [IN USE]"; control characters made visible.
std::string CatalogueCaption(const CatalogueRecord& record);
// How many characters at the caption's end are those marks, which must stay in view.
std::size_t CatalogueCaptionMarks(const CatalogueRecord& record);

// The first entry whose name equals the Name field, or else whose file equals the
// File Name field (ASCII letters in any case, texts as typed); -1 when none does.
int FindMatchingEntry(const std::vector<CatalogueRecord>& records, const std::string& name,
                      const std::string& fileName);

// Load, Save and Delete, each '1' (enabled) or '0', for the fields, the selected entry
// (null when none) and whether a working layout file is open.
std::string LayoutButtonCode(const std::string& name, const std::string& fileName, const CatalogueRecord* selected,
                             bool workingFileOpen);
// Why LayoutButtonCode leaves Load, Save or Delete disabled, in one line for the user;
// empty when all three are enabled.
std::string LayoutButtonReason(const std::string& name, const std::string& fileName, const CatalogueRecord* selected,
                               bool workingFileOpen);

}  // namespace tastavia
