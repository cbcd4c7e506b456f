#pragma once
// TForm2, the language list: the Bulgarian input languages with their default layouts,
// from which a language is added, edited (both in TForm3) or removed.
#include <string>
#include <vector>

#include "languages/EditLang.h"
#include "platform/Platform.h"
#include "registry/LayoutRegistry.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace tastavia {

// One row of the list.
struct LanguageRow {
    std::string name;
    std::string id;
    bool base = false;       // the system's own language, named exactly "Bulgarian"
    std::string layoutText;  // of the default layout; empty when its key cannot be opened
    std::string layoutFile;
    bool inUse = false;      // preloaded

    // Neither edited nor removed here; nor is a language whose id is no layout id.
    bool Locked() const { return base || inUse || !IsLayoutId(id); }
};

class TForm2 : public ui::Form {
public:
    TForm2(ui::Application& app, Platform& platform, TForm3& editor);

    ui::ListView ListView1{this, "ListView1"};
    ui::Button Button1{this, "Button1"};  // Close
    ui::Button Button2{this, "Button2"};  // Add New...
    ui::Button Button3{this, "Button3"};  // Delete
    ui::Button Button4{this, "Button4"};  // Refresh
    ui::Button Button5{this, "Button5"};  // Edit...

    const std::vector<LanguageRow>& Rows() const { return rows_; }

    void FillLanguageList();
    // The id of the last language whose caption, marks included, equals the name in
    // upper case; empty when none does.
    std::string FindLanguageId(const std::string& name);
    void RemoveLanguage();

    void ListView1SelectItem();
    void ListView1CustomDraw();
    void Button1Click() { Close(); }
    void Button2Click();
    void Button3Click() { RemoveLanguage(); }
    void Button4Click() { FillLanguageList(); }
    void Button5Click();

private:
    void CreateControls();
    // The selected row when it may be edited or removed.
    const LanguageRow* SelectedUnlocked() const;
    std::vector<std::string> PreloadedIds();

    Platform& platform_;
    TForm3& editor_;
    std::vector<LanguageRow> rows_;
};

}  // namespace tastavia
