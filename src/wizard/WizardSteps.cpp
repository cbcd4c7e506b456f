// TForm5: the work behind "Finish": applying the chosen layout, installing it through
// the main window, and adding or changing the language through the language dialogs.
#include "wizard/Wizard.h"

#include "languages/BGLang.h"
#include "languages/EditLang.h"
#include "text/Text.h"

namespace tastavia {

namespace {

const char* const kInvalidFile = "The filename is invalid or there is no such file!";
const char* const kNoLayout = "N/A";
const char* const kIndent = "\r    ";
constexpr std::size_t kReasonLimit = 1000;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Why a language whose name is taken could not be changed instead: the language list
// keeps the system's own language and those in use out of reach.
std::string TakenNameReason(const std::vector<LanguageRow>& rows, const std::string& name) {
    for (const LanguageRow& row : rows) {
        if (row.name != name || !row.Locked()) continue;
        if (row.base)
            return "This is the name of Windows' own Bulgarian language, which can not be changed! "
                   "Choose another language name!";
        return "This Language already exists and it is in use now, so it can not be changed! "
               "Choose another language name!";
    }
    return "Registry Error";
}

}  // namespace

std::string BaseNameOfPath(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    const std::string fileName = separator == std::string::npos ? path : path.substr(separator + 1);
    // Up to the first dot; a name without one gives an empty base name.
    std::size_t dot = fileName.find('.');
    return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
}

LayoutNames DeriveLayoutNames(const std::string& baseName, bool win9x) {
    return {"Bulgarian (" + baseName + ")", "kbdbu" + LowerAscii(baseName.substr(0, 3)) + (win9x ? ".kbd" : ".dll")};
}

std::string ProposeLanguageName(const std::string& layoutName) {
    return LowerAscii(layoutName.substr(0, 9)) == "bulgarian" ? layoutName : "Bulgarian (" + layoutName + ")";
}

std::optional<LayoutNames> TForm5::ApplyChosenLayout(const ChoiceControls& choice) {
    const bool fromFile = !choice.phonetic.Checked() && !choice.bds.Checked();
    const std::string path = choice.path.Text();
    if (fromFile) {
        if (IsBlank(path) || !files_.Exists(path)) {
            ShowError(kInvalidFile);
            choice.path.SelectAll();
            choice.path.SetFocus();
            return std::nullopt;
        }
        if (!host_.HoldsLayout(path)) {
            ShowError("The file holds no keyboard layout: it has no [KBD] section with the layout's keys!");
            return std::nullopt;
        }
    }
    // A new layout takes the edited one's place: "No" keeps it, and the page stays. Once
    // the run has its own layout, trying again replaces only what the wizard made.
    if (!ownLayout_ && !host_.MayDiscardChanges()) return std::nullopt;
    ownLayout_ = true;
    host_.NewLayout();
    std::string baseName;
    if (choice.phonetic.Checked()) {
        host_.ApplyPhoneticLayout();
        baseName = "Phonetic";
    } else if (choice.bds.Checked()) {
        host_.ApplyBdsLayout();
        baseName = "BDS";
    } else {
        host_.ImportLayoutFile(path);
        baseName = BaseNameOfPath(path);
    }
    return DeriveLayoutNames(baseName, isWin9x_);
}

void TForm5::AddLayoutAndLanguage(const std::optional<LanguageRequest>& language) {
    // A retry after a failed language step installs nothing a second time.
    if (!layoutDone_ && !InstallLayout(language)) return;
    if (!language) {
        Label20.SetCaption("");
        ShowPage(kFinishedPage);
        return;
    }
    if (languageDone_) {
        ShowPage(kFinishedPage);
        return;
    }
    AddLanguage(*language);
}

bool TForm5::InstallLayout(const std::optional<LanguageRequest>& language) {
    const std::string status = host_.SaveLayoutToSystem();
    // Nothing done: Save was not allowed, or a replace confirmation was declined.
    if (status.empty() || status[0] == '1') return false;
    const std::string name = host_.LayoutName();
    if (status[0] == '2') {
        Label15.SetCaption("Failed to add layout " + Quoted(name) + "!\rReason: " + status.substr(1, kReasonLimit));
        Label19.SetCaption("Failed to add layout:" + std::string(kIndent) + name);
        Label16.SetCaption(language ? "Adding of language " + Quoted(language->name) + " Suspended!" : "");
        Label20.SetCaption(language ? "Adding language Suspended:" + std::string(kIndent) + language->name : "");
        ShowPage(kErrorPage);
        return false;
    }
    const bool replaced = status[0] == '4';
    // Shown only when the language step after it fails.
    Label15.SetCaption(std::string(replaced ? "Successful replaced layout " : "Successful added layout ") +
                       Quoted(name) + "!");
    Label16.SetCaption("");
    Label19.SetCaption(std::string(replaced ? "Successful replaced layout:" : "Successful added layout:") + kIndent +
                       name);
    Label20.SetCaption("");
    CheckBox2.SetChecked(false);
    CheckBox2.SetVisible(host_.CanUseLayoutNow());
    layoutDone_ = true;
    return true;
}

void TForm5::AddLanguage(const LanguageRequest& language) {
    const std::string& name = language.name;
    if (!languageList_ || !languageEditor_) {
        LanguageFailed(name, "Unknown Error");
        return;
    }
    TForm3& editor = *languageEditor_;
    if (language.replace) {
        const std::string id = languageList_->FindLanguageId(name);
        if (id.empty()) {
            LanguageFailed(name, TakenNameReason(languageList_->Rows(), name));
            return;
        }
        if (!editor.OpenLanguageForEdit(id)) {
            LanguageFailed(name, "Registry Error  " + id);
            return;
        }
    } else {
        editor.PrepareNewLanguage();
        editor.LanguageField().SetText(name);
    }
    editor.LayoutField().SetText(language.defaultLayout);
    const std::string status = editor.SaveLanguage(true);
    const char outcome = status.empty() ? '1' : status[0];

    const char* done = nullptr;
    switch (outcome) {
        case '0': done = "Successful Added language:"; break;
        case '3': done = "No changes was made on language:"; break;
        case '5': done = "Successful Replaced language:"; break;
        case '2':
            // The name is taken: change that language instead.
            if (!language.replace) {
                AddLayoutAndLanguage(LanguageRequest{name, language.defaultLayout, true});
                return;
            }
            break;
        case '4':
            // The layout cannot be its default: the language goes without one.
            if (language.defaultLayout != kNoLayout) {
                AddLayoutAndLanguage(LanguageRequest{name, kNoLayout, false});
                return;
            }
            break;
        case '6':
            LanguageFailed(name, status.substr(1, kReasonLimit));
            return;
        default: break;
    }
    if (!done) {
        LanguageFailed(name, "Unknown Error");
        return;
    }
    Label20.SetCaption(done + std::string(kIndent) + name);
    Label16.SetCaption("");
    languageDone_ = true;
    ShowPage(kFinishedPage);
}

void TForm5::LanguageFailed(const std::string& name, const std::string& reason) {
    Label16.SetCaption("Failed to add Language " + Quoted(name) + "!\rReason: " + reason);
    Label20.SetCaption("Failed to add Language:" + std::string(kIndent) + name);
    ShowPage(kErrorPage);
}

}  // namespace tastavia
