#pragma once
// The main window as the wizard sees it: each of the wizard's named calls is the main
// window operation behind the button or field the user would use.
#include "app/main.h"
#include "ui/Application.h"
#include "wizard/WizardHost.h"

namespace tastavia {

class MainWindowWizardHost : public WizardHost {
public:
    explicit MainWindowWizardHost(TForm1& main) : main_(main) {}

    // The operations ask nothing; the wizard asks the one question itself, before its
    // first change to the edited layout.
    bool MayDiscardChanges() override { return main_.MayDiscardChanges(); }
    void NewLayout() override { main_.NewLayout(); }
    void ApplyBdsLayout() override { main_.ImportLayoutFile(main_.BdsPath()); }
    void ApplyPhoneticLayout() override { main_.ImportLayoutFile(main_.PhoneticPath()); }
    void ImportLayoutFile(const std::string& path) override { main_.ImportLayoutFile(path); }
    bool HoldsLayout(const std::string& path) override { return main_.HoldsLayout(path); }
    std::optional<std::string> ChooseIniToLoad() override { return main_.ChooseIniToLoad(); }
    void SetLayoutNames(const std::string& name, const std::string& fileName) override {
        main_.SetLayoutNames(name, fileName);
    }
    std::string LayoutName() override { return main_.Edit1.Text(); }
    // Refreshed first: the registry may have changed while the wizard was open.
    bool CanSaveLayout() override {
        main_.Button8Click();
        return main_.Button4.Enabled();
    }
    std::string SaveLayoutToSystem() override { return main_.SaveLayoutToSystem(true); }
    // The layout just installed is the selected entry.
    bool CanUseLayoutNow() override { return main_.InputListOffered() && main_.SelectedRecord(); }
    void UseLayoutNow() override {
        if (const CatalogueRecord* record = main_.SelectedRecord()) main_.UseLayoutNow(record->KeyName());
    }
    // The main window's close does not end the wizard's modal loop; the wizard closes
    // itself after asking.
    void RequestClose() override {
        main_.GetApplication().Post(main_, kRequestMessage, kRequestClose, 0);
    }

private:
    TForm1& main_;
};

}  // namespace tastavia
