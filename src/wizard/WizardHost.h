#pragma once
// What the wizard asks of the main window: the layout operations behind its buttons and
// fields, as named calls, so that the wizard never reaches into the window's widgets.
#include <optional>
#include <string>

namespace tastavia {

class WizardHost {
public:
    virtual ~WizardHost() = default;

    // The question "New" asks before the edited layout's unsaved changes go: true when
    // there are none or the user lets them go.
    virtual bool MayDiscardChanges() = 0;
    // A fresh working layout from the template, as "New" makes it, asking nothing.
    virtual void NewLayout() = 0;
    virtual void ApplyBdsLayout() = 0;
    virtual void ApplyPhoneticLayout() = 0;
    virtual void ImportLayoutFile(const std::string& path) = 0;
    // Whether an INI file holds any key of a layout; importing one that does not
    // would change nothing.
    virtual bool HoldsLayout(const std::string& path) = 0;
    virtual std::optional<std::string> ChooseIniToLoad() = 0;

    // The names the layout will be installed under, as typing them into the main
    // window's fields would set them.
    virtual void SetLayoutNames(const std::string& name, const std::string& fileName) = 0;
    virtual std::string LayoutName() = 0;
    // Whether the main window would offer Save for those names now.
    virtual bool CanSaveLayout() = 0;
    // The install status of a silent Save.
    virtual std::string SaveLayoutToSystem() = 0;

    // Whether the installed layout can be put into the user's input list now, and doing
    // so (the outcome is shown to the user).
    virtual bool CanUseLayoutNow() { return false; }
    virtual void UseLayoutNow() {}

    // Ends the program once the wizard is closed.
    virtual void RequestClose() = 0;
};

}  // namespace tastavia
