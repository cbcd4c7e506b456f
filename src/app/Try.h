#pragma once
// TForm7, trying a layout: the keys of the physical keyboard type the characters of the
// working layout file into a text box, as the installed layout would, and the window
// tells which key and level gave the last character. Nothing is installed.
#include <optional>
#include <string>

#include "layout/KeyTyping.h"
#include "layout/WorkingLayout.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace tastavia {

class TForm7 : public ui::Form {
public:
    explicit TForm7(ui::Application& app);

    ui::Label Label1{this, "Label1"};    // what to do
    ui::Edit Edit1{this, "Edit1"};       // the typed text
    ui::Label Label2{this, "Label2"};    // Character:
    ui::Label Label3{this, "Label3"};    // the last character
    ui::Label Label4{this, "Label4"};    // Key:
    ui::Label Label5{this, "Label5"};    // the key it came from
    ui::Button Button1{this, "Button1"};  // Clear
    ui::Button Button2{this, "Button2"};  // Close

    // Shows the window modally, typing with this layout, from an empty text.
    void TryLayout(WorkingLayout& layout);

    std::optional<std::string> Edit1KeyDown(const ui::KeyEvent& key);
    void Button1Click();
    void Button2Click() { Close(); }

private:
    void CreateControls();
    void ShowLastKey(const TypedKey& typed);
    void ClearLastKey();

    WorkingLayout* layout_ = nullptr;
};

}  // namespace tastavia
