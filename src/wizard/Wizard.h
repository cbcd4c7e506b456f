#pragma once
// TForm5, the wizard: the guided way to add one layout (a built-in one or an INI file),
// install it and, on Windows 9x, give it a Bulgarian language of its own. It holds no
// layout logic: it drives the main window and the language dialogs without their buttons.
#include <optional>
#include <string>

#include "layout/Session.h"
#include "platform/Platform.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "wizard/PageControlEx.h"
#include "wizard/WizardHost.h"

namespace tastavia {

class TForm2;
class TForm3;

// The page numbers the wizard knows.
constexpr int kWelcomePage = 1;
constexpr int kQuickPage = 2;
constexpr int kChoicePage = 3;
constexpr int kNamePage = 4;
constexpr int kLanguagePage = 5;
constexpr int kErrorPage = 6;
constexpr int kFinishedPage = 100;

// What a run's language step is asked to do.
struct LanguageRequest {
    std::string name;           // the language's name
    std::string defaultLayout;  // the layout text of its default layout, or "N/A"
    bool replace = false;       // change the language of that name instead of adding one
};

// The layout name and file name the wizard proposes for a chosen layout.
struct LayoutNames {
    std::string name;
    std::string fileName;
};

// The file name of a path up to its first "." (all of it without one); the file name
// starts after the last backslash, slash or colon.
std::string BaseNameOfPath(const std::string& path);
// "Bulgarian (<base>)" and "kbdbu" + the base's first three characters, ASCII lowered,
// + ".kbd" on Windows 9x or ".dll".
LayoutNames DeriveLayoutNames(const std::string& baseName, bool win9x);
// The layout name itself when it begins with "bulgarian" in any ASCII case.
std::string ProposeLanguageName(const std::string& layoutName);

class TForm5 : public ui::Form {
public:
    TForm5(ui::Application& app, WizardHost& host, const Session& session, Platform& platform);

    // The language list and editor exist on Windows 9x only; null otherwise.
    void SetLanguageDialogs(TForm2* list, TForm3* editor);

    ui::Panel Panel1{this, "Panel1"};
    ui::Image Image1{&Panel1, "Image1"};
    TPageControlEx PageControl1{this, "PageControl1"};
    ui::TabSheet& TabSheet1{PageControl1.AddNumberedPage(kWelcomePage, "TabSheet1")};
    ui::TabSheet& TabSheet2{PageControl1.AddNumberedPage(kQuickPage, "TabSheet2")};
    ui::TabSheet& TabSheet3{PageControl1.AddNumberedPage(kChoicePage, "TabSheet3")};
    ui::TabSheet& TabSheet4{PageControl1.AddNumberedPage(kNamePage, "TabSheet4")};
    ui::TabSheet& TabSheet5{PageControl1.AddNumberedPage(kLanguagePage, "TabSheet5")};
    ui::TabSheet& TabSheet6{PageControl1.AddNumberedPage(kErrorPage, "TabSheet6")};
    ui::TabSheet& TabSheet7{PageControl1.AddNumberedPage(kFinishedPage, "TabSheet7")};

    // Page 1: welcome and mode.
    ui::Label Label1{&TabSheet1, "Label1"};
    ui::Label Label2{&TabSheet1, "Label2"};
    ui::Label Label3{&TabSheet1, "Label3"};
    ui::RadioButton RadioButton1{&TabSheet1, "RadioButton1"};  // quick mode
    ui::RadioButton RadioButton2{&TabSheet1, "RadioButton2"};  // ask-me mode
    // Page 2: quick mode's layout choice.
    ui::Label Label4{&TabSheet2, "Label4"};
    ui::Label Label5{&TabSheet2, "Label5"};
    ui::RadioButton RadioButton3{&TabSheet2, "RadioButton3"};  // Phonetic
    ui::RadioButton RadioButton4{&TabSheet2, "RadioButton4"};  // BDS
    ui::RadioButton RadioButton5{&TabSheet2, "RadioButton5"};  // From file:
    ui::Edit Edit1{&TabSheet2, "Edit1"};                       // path
    ui::Button Button4{&TabSheet2, "Button4"};                 // ...
    ui::CheckBox CheckBox1{&TabSheet2, "CheckBox1"};           // Create another BG language
    // Page 3: ask-me mode's layout choice.
    ui::Label Label6{&TabSheet3, "Label6"};
    ui::Label Label7{&TabSheet3, "Label7"};
    ui::RadioButton RadioButton6{&TabSheet3, "RadioButton6"};  // Phonetic
    ui::RadioButton RadioButton7{&TabSheet3, "RadioButton7"};  // BDS
    ui::RadioButton RadioButton8{&TabSheet3, "RadioButton8"};  // From file:
    ui::Edit Edit2{&TabSheet3, "Edit2"};                       // path
    ui::Button Button5{&TabSheet3, "Button5"};                 // ...
    // Page 4: name and file name.
    ui::Label Label8{&TabSheet4, "Label8"};
    ui::Label Label9{&TabSheet4, "Label9"};
    ui::Edit Edit3{&TabSheet4, "Edit3"};  // name
    ui::Label Label10{&TabSheet4, "Label10"};
    ui::Edit Edit4{&TabSheet4, "Edit4"};  // file name
    // Page 5: the additional language.
    ui::Label Label11{&TabSheet5, "Label11"};
    ui::Label Label12{&TabSheet5, "Label12"};
    ui::Label Label13{&TabSheet5, "Label13"};
    ui::RadioButton RadioButton9{&TabSheet5, "RadioButton9"};  // Yes (Type name below)
    ui::Edit Edit5{&TabSheet5, "Edit5"};                       // language name
    ui::RadioButton RadioButton10{&TabSheet5, "RadioButton10"};  // No
    // Page 6: errors.
    ui::Label Label14{&TabSheet6, "Label14"};
    ui::Label Label15{&TabSheet6, "Label15"};  // layout result
    ui::Label Label16{&TabSheet6, "Label16"};  // language result
    ui::Label Label17{&TabSheet6, "Label17"};
    // Page 100: finished.
    ui::Label Label18{&TabSheet7, "Label18"};
    ui::Label Label19{&TabSheet7, "Label19"};  // layout result
    ui::Label Label20{&TabSheet7, "Label20"};  // language result
    ui::Label Label21{&TabSheet7, "Label21"};
    ui::RadioButton RadioButton11{&TabSheet7, "RadioButton11"};  // Close Application
    ui::RadioButton RadioButton12{&TabSheet7, "RadioButton12"};  // Close Wizard
    ui::RadioButton RadioButton13{&TabSheet7, "RadioButton13"};  // Start from the beginning
    ui::CheckBox CheckBox2{&TabSheet7, "CheckBox2"};  // use the new layout now, where Windows lets us

    ui::Button Button1{this, "Button1"};  // < Back
    ui::Button Button2{this, "Button2"};  // Next >, Finish, Do it
    ui::Button Button3{this, "Button3"};  // Close

    // Shown by the start sequence on Windows 9x only.
    ui::CheckBox& CreateLanguageCheckBox() { return CheckBox1; }

    int CurrentPage() const { return currentPage_; }
    bool IsWin9x() const { return isWin9x_; }
    bool LayoutDone() const { return layoutDone_; }
    bool LanguageDone() const { return languageDone_; }

    // Back to page 1 with every choice at its start value; shows the wizard modally
    // when asked to.
    void ResetWizard(bool show);
    void ShowPage(int page);
    // Installs the layout (once per run) and then, when asked, adds or changes the
    // language; the result lines tell how it went.
    void AddLayoutAndLanguage(const std::optional<LanguageRequest>& language);

    // Handlers.
    void Button1Click();  // Back
    void Button2Click();  // Next
    void Button3Click();  // Close
    void Button4Click();  // browse, page 2
    void Button5Click();  // browse, page 3
    void RadioButton3Click();  // page 2's choices
    void RadioButton6Click();  // page 3's choices
    void RadioButton9Click();  // page 5's choices

private:
    // The controls of page 2 or page 3 that choose a layout.
    struct ChoiceControls {
        ui::RadioButton& phonetic;
        ui::RadioButton& bds;
        ui::RadioButton& fromFile;
        ui::Edit& path;
        ui::Button& browse;
    };
    ChoiceControls QuickChoice() { return {RadioButton3, RadioButton4, RadioButton5, Edit1, Button4}; }
    ChoiceControls AskMeChoice() { return {RadioButton6, RadioButton7, RadioButton8, Edit2, Button5}; }

    void CreateControls();
    void CreatePages();
    void CreateChoicePage(ui::Label& heading, ui::Label& text, const ChoiceControls& choice);
    void LoadPicture(Platform& platform);
    // The path and browse button follow "From file:" while the choices are enabled.
    static void ApplyFileRule(const ChoiceControls& choice);
    static void SetChoicesEnabled(const ChoiceControls& choice, bool enabled);
    void SwitchPage(int page);
    void UpdateBackButton();
    bool RetryAllowed();

    void NextOnWelcome();
    void NextOnQuick();
    void NextOnChoice();
    void NextOnName();
    // Why Save would refuse the names now in the main window, or null.
    const char* NamesRefusal(const std::string& name, const std::string& fileName);
    void NextOnLanguage();
    void NextOnFinished();
    std::string InstalledLayoutText();
    // The chosen layout applied to the working file and its names, or nothing after an
    // error box.
    std::optional<LayoutNames> ApplyChosenLayout(const ChoiceControls& choice);
    // The layout step; true when the layout is in the system and the run goes on.
    bool InstallLayout(const std::optional<LanguageRequest>& language);
    void AddLanguage(const LanguageRequest& language);
    void LanguageFailed(const std::string& name, const std::string& reason);
    void ShowError(const std::string& text);

    WizardHost& host_;
    const Session& session_;
    Files& files_;
    TForm2* languageList_ = nullptr;
    TForm3* languageEditor_ = nullptr;
    int currentPage_ = kWelcomePage;
    bool isWin9x_ = false;
    bool layoutDone_ = false;
    bool languageDone_ = false;
    bool ownLayout_ = false;  // this run replaced the edited layout with one of its own
};

}  // namespace tastavia
