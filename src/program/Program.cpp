#include "program/Program.h"

namespace tastavia {

Program::Program(ui::Application& app, Platform& platform) : app_(app), platform_(platform) {
    app_.title = "Tastavia v1.1";
    form1_ = std::make_unique<TForm1>(app_, platform_, session_);
    wizardHost_ = std::make_unique<MainWindowWizardHost>(*form1_);
    form4_ = std::make_unique<TForm4>(app_, *form1_, session_, platform_);
    form5_ = std::make_unique<TForm5>(app_, *wizardHost_, session_, platform_);
    form1_->onShowAbout = [this] { form4_->ShowModal(); };
    form1_->onResetWizard = [this] { form5_->ResetWizard(true); };
    form1_->onShowLanguages = [this] {
        if (!form2_) return;
        form2_->FillLanguageList();
        form2_->ShowModal();
    };
}

void Program::PrepareForOsKind() {
    if (!session_.IsWin9x() || form2_) return;
    form5_->CreateLanguageCheckBox().SetVisible(true);
    form3_ = std::make_unique<TForm3>(app_, platform_);
    form2_ = std::make_unique<TForm2>(app_, platform_, *form3_);
    form5_->SetLanguageDialogs(form2_.get(), form3_.get());
}

Program::~Program() = default;

int Program::Run() {
    // The main window is built while the start dialog waits for the user's choice.
    app_.PrepareWhenIdle(*form1_);
    form4_->ShowModal();
    // Leaving the start dialog without a choice ends the program before anything was
    // written to disk.
    if (!session_.Chosen()) return 0;
    PrepareForOsKind();
    app_.Run(*form1_);
    return 0;
}

}  // namespace tastavia
