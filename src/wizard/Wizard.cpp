// TForm5: the picture, the pages and their controls, and the rules that tie a page's
// controls together.
#include "wizard/Wizard.h"

#include "ui/Application.h"
#include "ui/Jpeg.h"

namespace tastavia {

using ui::Setup;

namespace {

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 308;
constexpr int kPageWidth = 308;
constexpr int kPageHeight = 261;
constexpr int kTextWidth = kPageWidth - 16;
constexpr int kOptionWidth = kPageWidth - 40;

const char* const kChooseLayoutHeading = "Choose which layout to add";
const char* const kChooseLayoutText = "Choose one of the ready configurations or select ini file.";

// Headings stand out; longer texts wrap within the page.
void Heading(ui::Label& label, const char* caption) {
    Setup(label, caption, 8, 8, kTextWidth, 20);
    label.SetFont(ui::Font{"", 16, true, ui::kDefaultCharset});
}

void Text(ui::Label& label, const char* caption, int top, int height) {
    Setup(label, caption, 8, top, kTextWidth, height);
    label.autoSize = false;
}

void Option(ui::Widget& w, const char* caption, int top, int width = kOptionWidth) {
    Setup(w, caption, 16, top, width, 17);
    w.SetTabStop(true);
}

void Field(ui::Edit& edit, int left, int top, int width) {
    edit.SetBounds(left, top, width, 21);
    edit.SetTabStop(true);
}

}  // namespace

TForm5::TForm5(ui::Application& app, WizardHost& host, const Session& session, Platform& platform)
    : Form(app, "Form5"), host_(host), session_(session), files_(platform.files) {
    CreateControls();
    CreatePages();
    LoadPicture(platform);
    PageControl1.ShowPage(kWelcomePage);
}

void TForm5::SetLanguageDialogs(TForm2* list, TForm3* editor) {
    languageList_ = list;
    languageEditor_ = editor;
}

void TForm5::CreateControls() {
    SetCaption("The Wizard");
    SetClientSize(kClientWidth, kClientHeight);
    borderStyle = ui::BorderStyle::Dialog;

    Setup(Panel1, "", 8, 8, 149, kPageHeight);
    Panel1.bevelInner = ui::Bevel::Lowered;
    Panel1.bevelOuter = ui::Bevel::None;
    Setup(Image1, "", 2, 2, 145, 257);
    Setup(PageControl1, "", 164, 8, kPageWidth, kPageHeight);

    Setup(Button1, "< &Back", 232, 276, 75, 25);
    Setup(Button2, "&Next >", 307, 276, 75, 25);
    Setup(Button3, "Close", 397, 276, 75, 25);
    Button2.SetFont(ui::Font{"", 0, true, ui::kDefaultCharset});
    Button2.isDefault = true;
    Button3.isCancel = true;
    for (ui::Button* b : {&Button1, &Button2, &Button3}) b->SetTabStop(true);
    Button1.onClick = [this] { Button1Click(); };
    Button2.onClick = [this] { Button2Click(); };
    Button3.onClick = [this] { Button3Click(); };
}

void TForm5::CreatePages() {
    Heading(Label1, "Welcome to The Wizard!");
    Text(Label2,
         "With this Wizard you only can add new layouts (BSD, Phonetic or saved in ini file). If you want to do "
         "something different close the Wizard and do it from the Main window!",
         40, 78);
    Text(Label3, "What you want to do?", 128, 16);
    Option(RadioButton1, "&Quick install what I tell you", 152);
    Option(RadioButton2, "&Ask me for everything", 176);

    CreateChoicePage(Label4, Label5, QuickChoice());
    Option(CheckBox1, "&Create another BG language", 200);
    // Only a Windows 9x run has a language step; the start sequence shows it there.
    CheckBox1.SetVisible(false);
    CreateChoicePage(Label6, Label7, AskMeChoice());
    Button4.onClick = [this] { Button4Click(); };
    Button5.onClick = [this] { Button5Click(); };
    for (ui::RadioButton* r : {&RadioButton3, &RadioButton4, &RadioButton5})
        r->onClick = [this] { RadioButton3Click(); };
    for (ui::RadioButton* r : {&RadioButton6, &RadioButton7, &RadioButton8})
        r->onClick = [this] { RadioButton6Click(); };

    Heading(Label8, "Choose Name and Filename");
    Text(Label9, "Type a N&ame for the new layout:", 48, 16);
    Field(Edit3, 8, 68, kTextWidth);
    Label9.focusControl = &Edit3;
    Text(Label10, "Type a &File Name for the new layout:", 104, 16);
    Field(Edit4, 8, 124, kTextWidth);
    Label10.focusControl = &Edit4;

    Heading(Label11, "Add additional language");
    Text(Label12,
         "You can add additional language if you want to use more then one Bulgarian layouts at a time. This is "
         "only necessary on Windows 9x systems.",
         40, 56);
    Text(Label13, "Do you want to add one now?", 104, 16);
    Option(RadioButton9, "&Yes (Type name below)", 128);
    Field(Edit5, 32, 152, kPageWidth - 48);
    Option(RadioButton10, "N&o", 184);
    RadioButton9.onClick = [this] { RadioButton9Click(); };
    RadioButton10.onClick = [this] { RadioButton9Click(); };

    Heading(Label14, "Error!");
    Text(Label15, "", 40, 64);
    Text(Label16, "", 112, 64);
    Text(Label17, "Press \"Back\" if you want to Change some of the Settings and try again!", 192, 40);

    Heading(Label18, "Finished!");
    Text(Label19, "", 40, 48);
    Text(Label20, "", 92, 48);
    Text(Label21, "What you want to do now?", 148, 16);
    Option(RadioButton11, "Close &Application", 172);
    Option(RadioButton12, "Close &Wizard", 196);
    Option(RadioButton13, "&Start from the beginning", 220);
    // Never by itself: a layout in use can no longer be replaced by a second run.
    Option(CheckBox2, "&Use the layout now (put it into my input list)", 240);
    CheckBox2.SetVisible(false);
}

void TForm5::CreateChoicePage(ui::Label& heading, ui::Label& text, const ChoiceControls& choice) {
    Heading(heading, kChooseLayoutHeading);
    Text(text, kChooseLayoutText, 40, 30);
    Option(choice.phonetic, "&Phonetic", 76);
    Option(choice.bds, "B&DS", 100);
    Option(choice.fromFile, "&From file:", 124, 80);
    Field(choice.path, 32, 148, kPageWidth - 72);
    Setup(choice.browse, "&...", kPageWidth - 36, 148, 21, 21);
    choice.browse.SetTabStop(true);
}

void TForm5::LoadPicture(Platform& platform) {
    // A picture that cannot be decoded leaves the panel empty; the wizard works without it.
    if (std::optional<std::string_view> jpeg = platform.resources.RcData("WIZARD"))
        if (std::optional<ui::Picture> picture = ui::DecodeJpeg(*jpeg)) Image1.SetPicture(std::move(*picture));
}

void TForm5::ApplyFileRule(const ChoiceControls& choice) {
    const bool fromFile = choice.fromFile.Enabled() && choice.fromFile.Checked();
    choice.path.SetEnabled(fromFile);
    choice.browse.SetEnabled(fromFile);
}

void TForm5::SetChoicesEnabled(const ChoiceControls& choice, bool enabled) {
    for (ui::RadioButton* r : {&choice.phonetic, &choice.bds, &choice.fromFile}) r->SetEnabled(enabled);
    ApplyFileRule(choice);
}

void TForm5::RadioButton3Click() { ApplyFileRule(QuickChoice()); }

void TForm5::RadioButton6Click() { ApplyFileRule(AskMeChoice()); }

void TForm5::RadioButton9Click() { Edit5.SetEnabled(RadioButton9.Checked()); }

void TForm5::Button4Click() {
    if (std::optional<std::string> path = host_.ChooseIniToLoad()) Edit1.SetText(*path);
}

void TForm5::Button5Click() {
    if (std::optional<std::string> path = host_.ChooseIniToLoad()) Edit2.SetText(*path);
}

void TForm5::Button3Click() { Close(); }

void TForm5::ShowError(const std::string& text) { GetApplication().GetDialogs().Error(text); }

}  // namespace tastavia
