#pragma once
// The installed layout catalogue: the Bulgarian keyboard layouts registered in the
// system, shown in the main window's list, tied to its Name and File Name fields, and
// deciding which of Load, Save and Delete may be used.
#include <functional>
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Registry.h"
#include "ui/Controls.h"
#include "ui/ListView.h"

namespace tastavia {

extern const char* const kKeyboardLayoutsKey;  // under HKEY_LOCAL_MACHINE
extern const char* const kLocaleKey;           // under HKEY_LOCAL_MACHINE

// Characters 6 to 8 of a layout key name or language id are "402" for everything
// Bulgarian.
bool IsBulgarianId(const std::string& name);
// Only a to z change.
std::string UpperAscii(std::string text);

// A catalogue record: name 0x00 file 0x01 key 0x05, then 0x02 or 0x03 for BASE layouts
// and 0x04 for one in use. Parts are taken by the first occurrence of each separator.
struct CatalogueRecord {
    static std::string Name(const std::string& record);
    static std::string File(const std::string& record);
    static std::string KeyName(const std::string& record);
    static bool IsBase(const std::string& record);
    static bool InUse(const std::string& record);
};

// The main window's controls the catalogue works with.
struct CatalogueView {
    ui::ListView& list;   // ListView2
    ui::Edit& name;       // Edit1
    ui::Edit& fileName;   // Edit2
    ui::Button& load;     // Button5
    ui::Button& save;     // Button4
    ui::Button& remove;   // Button9
};

class Catalogue {
public:
    Catalogue(Registry& registry, CatalogueView view, std::function<OsKind()> osKind,
              std::function<bool()> workingFileOpen);

    void FillLayoutList();
    void Button8Click();
    void Edit1Change();
    void ListView2SelectItem();
    void UpdateLayoutButtons();
    void SetLayoutButtons(const std::string& code);
    void ListView2CustomDraw();

    const std::vector<std::string>& Records() const { return records_; }
    // The selected entry's record, or nothing.
    const std::string* SelectedRecord() const;
    bool SelectionGuard() const { return selectionGuard_; }

private:
    void MarkInUse(std::size_t entry);
    int FindByKeyName(const std::vector<std::string>& keyNames, const std::string& keyName) const;
    void MarkInUseWin9x(const std::vector<std::string>& keyNames, const std::vector<std::string>& languages);
    void MarkInUseNt(const std::vector<std::string>& keyNames);

    Registry& registry_;
    CatalogueView view_;
    std::function<OsKind()> osKind_;
    std::function<bool()> workingFileOpen_;
    std::vector<std::string> records_;
    bool selectionGuard_ = false;
};

}  // namespace tastavia
