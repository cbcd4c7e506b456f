#include "app/Program.h"

namespace tastavia {

Program::Program(ui::Application& app, Platform& platform) : app_(app), platform_(platform) {
    app_.title = "Tastavia v1.1";
    form1_ = std::make_unique<TForm1>(app_, platform_);
    form4_ = std::make_unique<TForm4>(app_, *form1_, platform_);
    form1_->onShowAbout = [this] { form4_->ShowModal(); };
}

Program::~Program() = default;

int Program::Run() {
    form4_->ShowModal();
    // Leaving the start dialog without a choice ends the program before anything was
    // written to disk.
    if (form1_->GetOsKind() > kOsWinXp) return 0;
    app_.Run(*form1_);
    return 0;
}

}  // namespace tastavia
