#pragma once
// The start sequence: the windows are made once, the start dialog asks for the OS
// kind, and the main window runs until it closes.
#include <memory>

#include "app/About.h"
#include "app/main.h"
#include "languages/BGLang.h"
#include "languages/EditLang.h"
#include "layout/Session.h"
#include "platform/Platform.h"
#include "program/MainWindowWizardHost.h"
#include "ui/Application.h"
#include "wizard/Wizard.h"

namespace tastavia {

class Program {
public:
    Program(ui::Application& app, Platform& platform);
    ~Program();

    // Runs the program to its end and gives the exit code.
    int Run();

    Session& GetSession() { return session_; }
    TForm1& Form1() { return *form1_; }
    TForm4& Form4() { return *form4_; }
    TForm5& Form5() { return *form5_; }
    // The language dialogs exist only when Windows 9x layout files were chosen.
    TForm2* Form2() { return form2_.get(); }
    TForm3* Form3() { return form3_.get(); }

    // Step 7 of the start: what the chosen OS kind adds. Run by Run; public for tests
    // that start the main window themselves.
    void PrepareForOsKind();

private:
    ui::Application& app_;
    Platform& platform_;
    Session session_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<MainWindowWizardHost> wizardHost_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm2> form2_;
};

}  // namespace tastavia
