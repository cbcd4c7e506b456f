#pragma once
// TLostLayouts: the lost layouts found in the system folders, one a row, each registered
// again under the name the user types (the file's name until then).
#include <functional>
#include <string>
#include <vector>

#include "registry/LostLayouts.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace tastavia {

class TLostLayouts : public ui::Form {
public:
    explicit TLostLayouts(ui::Application& app);

    ui::Label Label1{this, "Label1"};           // what was found
    ui::ListView ListView1{this, "ListView1"};  // file, and why a lone copy stays
    ui::Label Label2{this, "Label2"};
    ui::Edit Edit1{this, "Edit1"};              // the name to register it under
    ui::Button Button1{this, "Button1"};        // Register
    ui::Button Button2{this, "Button2"};        // Close

    // Registers a file under a name: what to tell the user, empty on success.
    std::function<std::string(const std::string& fileName, const std::string& name)> onRegister;

    // Shows the lost layouts modally.
    void ShowLost(const std::vector<LostLayout>& lost);
    const std::vector<LostLayout>& Lost() const { return lost_; }

    void ListView1SelectItem();
    void Button1Click();

private:
    void CreateControls();
    void Fill();

    std::vector<LostLayout> lost_;
};

}  // namespace tastavia
