#pragma once
// TForm4, the start dialog: shows which Windows runs, lets the user choose which layout
// file kind to work with, and afterwards serves as the program's information box.
#include "app/main.h"
#include "platform/OsVersion.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tastavia {

// What the start dialog makes of a version record.
struct OsDetection {
    const char* name;  // for Label1
    OsKind preselected;
    bool tested;
};
OsDetection DetectOs(const OsVersionInfo& version);
// "Version 5.0 (Build 2195: Service Pack 4)".
std::string VersionText(const OsVersionInfo& version);

class TForm4 : public ui::Form {
public:
    TForm4(ui::Application& app, TForm1& mainForm, Session& session, Platform& platform);

    ui::Panel Panel1{this, "Panel1"};
    ui::Image Image1{&Panel1, "Image1"};
    ui::GroupBox GroupBox1{this, "GroupBox1"};
    ui::RadioButton RadioButton1{&GroupBox1, "RadioButton1"};
    ui::RadioButton RadioButton2{&GroupBox1, "RadioButton2"};
    ui::RadioButton RadioButton3{&GroupBox1, "RadioButton3"};
    ui::GroupBox GroupBox2{this, "GroupBox2"};
    ui::Label Label1{&GroupBox2, "Label1"};
    ui::Label Label2{&GroupBox2, "Label2"};
    ui::Label Label3{&GroupBox2, "Label3"};
    ui::Label Label4{&GroupBox2, "Label4"};
    ui::Label Label5{&GroupBox2, "Label5"};
    ui::CheckBox CheckBox1{this, "CheckBox1"};
    ui::Button Button1{this, "Button1"};  // OK
    ui::Button Button2{this, "Button2"};  // Exit, Close in the information role

    void Button1Click();
    void Button2Click();
    void RadioButton1Click();
    void RadioButton2Click();  // also for RadioButton3

    bool InInformationRole() const { return !Button1.Visible(); }

private:
    void CreateControls();
    void Detect(const OsVersionInfo& version);

    TForm1& mainForm_;
    Session& session_;
};

}  // namespace tastavia
