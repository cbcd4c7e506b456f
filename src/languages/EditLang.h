#pragma once
// TForm3, the language editor: makes a new Bulgarian input language or changes one's
// name and default layout. The default layout of a language is the keyboard-layout key
// named by its id, so choosing another one renames layout keys.
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace tastavia {

// One entry of the layout list. The first entry is N/A: no default layout of its own.
struct LayoutChoice {
    std::string text;     // "layout text"; "N/A" for the first entry
    std::string file;     // "layout file"
    std::string keyName;  // empty for N/A
    bool mainBase = false;   // the layout text is "Bulgarian": reserved for the base language
    bool latinBase = false;  // "Bulgarian (Latin)"
    bool inUse = false;      // the default layout of another language

    bool IsNone() const { return keyName.empty(); }
    std::string Caption() const;
    // The end of the caption that tells what the user may not choose.
    std::string Marks() const;
};

class TForm3 : public ui::Form {
public:
    TForm3(ui::Application& app, Platform& platform);

    ui::Label Label1{this, "Label1"};  // Language:
    ui::Edit Edit1{this, "Edit1"};     // the language name
    ui::Label Label2{this, "Label2"};  // Layout:
    ui::Edit Edit2{this, "Edit2"};     // the chosen layout's text, read-only
    ui::ListView ListView1{this, "ListView1"};
    ui::Label Label3{this, "Label3"};    // the legend
    ui::Button Button1{this, "Button1"};  // Save
    ui::Button Button2{this, "Button2"};  // Cancel

    bool IsEditing = false;
    std::string EditedLanguageId;

    ui::Edit& LanguageField() { return Edit1; }
    ui::Edit& LayoutField() { return Edit2; }
    const std::vector<LayoutChoice>& Choices() const { return choices_; }

    void FillLayoutChoices();
    void PrepareNewLanguage();
    // False when the language is gone from the locale list.
    bool OpenLanguageForEdit(const std::string& languageId);
    // The language save status: a digit telling the outcome, then the message that the
    // interactive form shows. '0' created, '5' saved, '3' nothing to change (these close
    // the dialog), '2' the name is taken, '4' the layout is refused, '6' the name is blank.
    std::string SaveLanguage(bool silent);

    void ListView1SelectItem();
    void ListView1CustomDraw();
    void Button1Click();
    void Button2Click() { Close(); }

private:
    void CreateControls();
    void SelectChoice(int index);
    // Shows the box unless silent and gives the status.
    std::string Outcome(bool silent, char digit, ui::MessageKind kind, const std::string& message);
    // The entry whose layout text is the layout field's text, or -1.
    int ChosenEntry() const;
    std::string FreeLanguageId();

    Platform& platform_;
    std::vector<LayoutChoice> choices_;
};

}  // namespace tastavia
