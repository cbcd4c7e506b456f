#include "app/About.h"

#include "ui/Application.h"
#include "ui/Jpeg.h"

namespace tastavia {

using ui::Setup;

namespace {

constexpr std::size_t kVersionTextLimit = 100;  // of the part after "Version "

}  // namespace

OsDetection DetectOs(const OsVersionInfo& v) {
    if (v.platformId == 1) {
        if (v.major != 4) return {"Windows 3", kOsWin9x, false};
        if (v.minor == 10) return {"Windows 98", kOsWin9x, true};
        return {v.minor < 10 ? "Windows 95" : "Windows ME", kOsWin9x, false};
    }
    if (v.platformId == 2) {
        if (v.major < 5) return {"Windows NT", kOsWin2000, false};
        if (v.major > 5) return {"Windows NT", kOsWinXp, false};
        if (v.minor == 0) return {"Windows 2000", kOsWin2000, true};
        return {"Windows XP", kOsWinXp, v.minor == 1};
    }
    return {"Windows 32", kOsWin9x, false};
}

std::string VersionText(const OsVersionInfo& v) {
    // Windows 9x keeps the major and minor version in the high word of the build.
    std::uint32_t build = v.platformId == 1 ? (v.build & 0xFFFF) : v.build;
    std::string text = std::to_string(v.major) + "." + std::to_string(v.minor) + " (Build " + std::to_string(build);
    if (!v.servicePack.empty()) text += ": " + v.servicePack;
    text += ")";
    return "Version " + text.substr(0, kVersionTextLimit);
}

TForm4::TForm4(ui::Application& app, TForm1& mainForm, Session& session, Platform& platform)
    : Form(app, "Form4"), mainForm_(mainForm), session_(session) {
    CreateControls();
    if (std::optional<std::string_view> jpeg = platform.resources.RcData("BANNER"))
        if (std::optional<ui::Picture> picture = ui::DecodeJpeg(*jpeg)) Image1.SetPicture(std::move(*picture));
    Detect(platform.osVersion.Get());
    session_.osKind = kOsUnchosen;
}

void TForm4::CreateControls() {
    SetCaption("Select Operation System");
    SetClientSize(305, 350);
    borderStyle = ui::BorderStyle::Dialog;

    Setup(Panel1, "", 8, 8, 289, 193);
    Panel1.bevelInner = ui::Bevel::Lowered;
    Panel1.bevelOuter = ui::Bevel::None;
    Setup(Image1, "", 2, 2, 285, 189);

    Setup(GroupBox1, " Treat this OS as ", 8, 208, 121, 104);
    Setup(RadioButton1, "Windows &98", 8, 24, 100, 17);
    Setup(RadioButton2, "Windows &2000", 8, 48, 100, 17);
    Setup(RadioButton3, "Windows &XP", 8, 72, 100, 17);
    for (ui::RadioButton* r : {&RadioButton1, &RadioButton2, &RadioButton3}) r->SetTabStop(true);
    RadioButton1.onClick = [this] { RadioButton1Click(); };
    RadioButton2.onClick = [this] { RadioButton2Click(); };
    RadioButton3.onClick = [this] { RadioButton2Click(); };

    Setup(GroupBox2, " This OS: ", 136, 208, 161, 105);
    // The version text wraps onto a second line ("Service Pack 3)" does not fit one);
    // the lines are closer than the labels' own height so that all fit the box.
    const int tops[] = {17, 31, 58, 72, 86};
    int line = 0;
    for (ui::Label* label : {&Label1, &Label2, &Label3, &Label4, &Label5}) Setup(*label, "", 8, tops[line++], 145, 13);
    Label2.autoSize = false;
    Label2.SetBounds(8, 31, 150, 26);

    Setup(CheckBox1, "Start &Wizard", 8, 324, 97, 17);
    CheckBox1.SetFont(ui::Font{"", 0, true, ui::kDefaultCharset});
    CheckBox1.SetChecked(true);
    CheckBox1.SetTabStop(true);

    Setup(Button1, "OK", 160, 320, 65, 25);
    Setup(Button2, "Exit", 232, 320, 65, 25);
    ui::SetupDialogButtons(Button1, [this] { Button1Click(); }, Button2, [this] { Button2Click(); });
}

void TForm4::Detect(const OsVersionInfo& version) {
    OsDetection detected = DetectOs(version);
    ui::RadioButton* preselect = detected.preselected == kOsWin9x    ? &RadioButton1
                                 : detected.preselected == kOsWin2000 ? &RadioButton2
                                                                       : &RadioButton3;
    preselect->SetChecked(true);
    Label1.SetCaption(detected.name);
    Label2.SetCaption(VersionText(version));
    Label3.SetCaption(detected.tested ? "" : "This OS is not tested!");
}

void TForm4::RadioButton1Click() {
    Label4.SetCaption("");
    Label5.SetCaption("");
}

void TForm4::RadioButton2Click() {
    Label4.SetCaption("You must have Administrator's");
    Label5.SetCaption("rights to make any changes!");
}

void TForm4::Button1Click() {
    OsKind kind = RadioButton1.Checked() ? kOsWin9x : RadioButton2.Checked() ? kOsWin2000 : kOsWinXp;
    session_.osKind = kind;
    if (CheckBox1.Checked()) GetApplication().Post(mainForm_, kRequestMessage, kRequestWizard, 0);
    mainForm_.EditorStartup();
    // From now on the dialog only tells what was chosen, as the program's information box.
    SetCaption("About Tastavia");
    RadioButton1.SetEnabled(false);
    RadioButton2.SetEnabled(false);
    RadioButton3.SetEnabled(false);
    Button2.SetCaption("Close");
    Button1.SetVisible(false);
    CheckBox1.SetVisible(false);
    SetModalResult(ui::ModalResult::Ok);
    Close();
}

void TForm4::Button2Click() { Close(); }

}  // namespace tastavia
