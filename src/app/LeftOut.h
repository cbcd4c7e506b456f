#pragma once
// TForm8: what a layout started from another layout library could not take over, shown
// once in a read-only text the user can select and copy.
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace tastavia {

class TForm8 : public ui::Form {
public:
    explicit TForm8(ui::Application& app);

    ui::Label Label1{this, "Label1"};     // where the layout came from
    ui::Edit Edit1{this, "Edit1"};        // the list, one line each
    ui::Button Button1{this, "Button1"};  // OK

    // Shows the list modally.
    void ShowLeftOut(const std::string& source, const std::vector<std::string>& lines);
    // Fills the window without showing it.
    void SetLeftOut(const std::string& source, const std::vector<std::string>& lines);

private:
    void CreateControls();
};

}  // namespace tastavia
