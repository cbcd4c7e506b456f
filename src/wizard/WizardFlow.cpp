// TForm5: which page shows, what Back and Next do on each, and starting over.
#include "wizard/Wizard.h"

#include "text/Text.h"
#include "ui/Application.h"

namespace tastavia {

namespace {

const char* const kEmptyNames = "Name or Filename field is empty!";
const char* const kLayoutConflict =
    "This layout already exists and it is in use now or the file belongs to other layout! Choose other Name "
    "and/or Filename or release/delete the layout!\r"
    "If you want to replace already existing layout you must use the some Name and Filename as it!";
const char* const kEmptyLanguageName = "The name field is empty or it contain invalid name!";

}  // namespace

void TForm5::ResetWizard(bool show) {
    ShowPage(kWelcomePage);  // its Back rule still sees the flags of the previous run
    isWin9x_ = session_.IsWin9x();
    layoutDone_ = false;
    languageDone_ = false;
    ownLayout_ = false;

    RadioButton1.SetChecked(true);
    for (const ChoiceControls& choice : {QuickChoice(), AskMeChoice()}) {
        choice.phonetic.SetChecked(true);
        choice.path.SetText("");
        // Undoes what page 6 may have disabled.
        SetChoicesEnabled(choice, true);
    }
    CheckBox1.SetChecked(true);
    Edit3.SetText("");
    Edit4.SetText("");
    RadioButton9.SetChecked(true);
    RadioButton9Click();
    Edit5.SetText("");
    for (ui::Label* line : {&Label15, &Label16, &Label19, &Label20}) line->SetCaption("");
    RadioButton11.SetChecked(true);
    CheckBox2.SetChecked(false);
    CheckBox2.SetVisible(false);

    if (show && !Showing()) ShowModal();
}

void TForm5::ShowPage(int page) {
    if (page == kLanguagePage) {
        // Also the way back from page 6 in ask-me mode, when no language was asked for.
        if (!session_.IsWin9x() || !RadioButton9.Checked()) {
            ShowPage(kNamePage);
            return;
        }
    } else if (!PageControl1.HasPage(page)) {
        ShowPage(kWelcomePage);
        return;
    }
    SwitchPage(page);
}

void TForm5::SwitchPage(int page) {
    // Once the layout is in the system, a retry from page 6 must not choose another one.
    if (page == kErrorPage) SetChoicesEnabled(QuickChoice(), !layoutDone_);
    PageControl1.ShowPage(page);
    currentPage_ = page;
    UpdateBackButton();
    const char* next = "&Next >";
    if (page == kQuickPage || page == kLanguagePage || (page == kNamePage && !isWin9x_)) next = "Finish";
    if (page == kFinishedPage) next = "Do it";
    Button2.SetCaption(next);
    Button2.SetFocus();
}

bool TForm5::RetryAllowed() {
    const bool quickWithLanguage = CheckBox1.Checked() && RadioButton1.Checked();
    const bool askMeWithLanguage = RadioButton9.Checked() && RadioButton2.Checked();
    return isWin9x_ && (quickWithLanguage || askMeWithLanguage);
}

void TForm5::UpdateBackButton() {
    bool enabled = false;
    if (languageDone_)
        enabled = false;
    else if (!layoutDone_)
        enabled = currentPage_ != kWelcomePage;
    else  // the layout is installed: only the language step can be tried again
        enabled = RetryAllowed() && (currentPage_ == kErrorPage || currentPage_ == kFinishedPage);
    Button1.SetEnabled(enabled);
}

void TForm5::Button1Click() {
    switch (currentPage_) {
        case kQuickPage:
        case kChoicePage: ShowPage(kWelcomePage); break;
        case kNamePage: ShowPage(kChoicePage); break;
        case kLanguagePage: ShowPage(kNamePage); break;
        case kErrorPage: ShowPage(RadioButton1.Checked() ? kQuickPage : kLanguagePage); break;
        case kFinishedPage: ShowPage(kErrorPage); break;
        default: Close(); break;
    }
}

void TForm5::Button2Click() {
    switch (currentPage_) {
        case kWelcomePage: NextOnWelcome(); break;
        case kQuickPage: NextOnQuick(); break;
        case kChoicePage: NextOnChoice(); break;
        case kNamePage: NextOnName(); break;
        case kLanguagePage: NextOnLanguage(); break;
        case kErrorPage: ShowPage(kFinishedPage); break;
        case kFinishedPage: NextOnFinished(); break;
        default: ShowPage(kWelcomePage); break;
    }
}

void TForm5::NextOnWelcome() {
    // The edited layout stays until a layout is chosen: closing the wizard before that
    // leaves it as it was.
    ShowPage(RadioButton1.Checked() ? kQuickPage : kChoicePage);
}

void TForm5::NextOnQuick() {
    std::optional<LayoutNames> names = ApplyChosenLayout(QuickChoice());
    if (!names) return;
    host_.SetLayoutNames(names->name, names->fileName);
    // Staying on this page needs a reason, as on the name page; a retry of the language
    // step has its layout installed already.
    if (!layoutDone_) {
        if (const char* refusal = NamesRefusal(names->name, names->fileName)) {
            ShowError(refusal);
            return;
        }
    }
    if (isWin9x_ && CheckBox1.Checked()) {
        AddLayoutAndLanguage(LanguageRequest{host_.LayoutName(), InstalledLayoutText()});
    } else {
        AddLayoutAndLanguage(std::nullopt);
    }
}

void TForm5::NextOnChoice() {
    std::optional<LayoutNames> names = ApplyChosenLayout(AskMeChoice());
    if (!names) return;
    Edit3.SetText(names->name);
    Edit4.SetText(names->fileName);
    ShowPage(kNamePage);
}

void TForm5::NextOnName() {
    // The main window's fields take the texts as typed, also when they are refused.
    host_.SetLayoutNames(Edit3.Text(), Edit4.Text());
    if (const char* refusal = NamesRefusal(Edit3.Text(), Edit4.Text())) {
        ShowError(refusal);
        ui::Edit& fault = IsBlank(Edit3.Text()) || !IsBlank(Edit4.Text()) ? Edit3 : Edit4;
        fault.SelectAll();
        fault.SetFocus();
        return;
    }
    Edit5.SetText(ProposeLanguageName(host_.LayoutName()));
    // Page 5 shows whatever was chosen there before, so that "No" can be changed again.
    if (isWin9x_)
        SwitchPage(kLanguagePage);
    else
        AddLayoutAndLanguage(std::nullopt);
}

const char* TForm5::NamesRefusal(const std::string& name, const std::string& fileName) {
    if (IsBlank(name) || IsBlank(fileName)) return kEmptyNames;
    if (!host_.CanSaveLayout()) return kLayoutConflict;
    return nullptr;
}

void TForm5::NextOnLanguage() {
    if (RadioButton10.Checked()) {
        AddLayoutAndLanguage(std::nullopt);
        return;
    }
    if (IsBlank(Edit5.Text())) {
        ShowError(kEmptyLanguageName);
        Edit5.SelectAll();
        Edit5.SetFocus();
        return;
    }
    AddLayoutAndLanguage(LanguageRequest{Edit5.Text(), InstalledLayoutText()});
}

std::string TForm5::InstalledLayoutText() {
    // The language editor finds the layout by the text the install registered, which
    // has no outer spaces.
    return StripSpaces(host_.LayoutName());
}

void TForm5::NextOnFinished() {
    if (CheckBox2.Visible() && CheckBox2.Checked()) {
        CheckBox2.SetChecked(false);
        host_.UseLayoutNow();
    }
    if (RadioButton11.Checked()) {
        host_.RequestClose();
        // The main window's close does not end a modal loop: the wizard's must end too.
        Close();
    } else if (RadioButton12.Checked()) {
        Close();
    } else {
        ResetWizard(false);
    }
}

}  // namespace tastavia
