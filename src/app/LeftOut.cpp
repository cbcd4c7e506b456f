#include "app/LeftOut.h"

#include <optional>

namespace tastavia {

using ui::Setup;

namespace {

constexpr int kKeyTab = 0x09;

}  // namespace

TForm8::TForm8(ui::Application& app) : Form(app, "Form8") { CreateControls(); }

void TForm8::CreateControls() {
    SetCaption("Left Out");
    SetClientSize(520, 262);
    borderStyle = ui::BorderStyle::Dialog;
    Setup(Label1, "", 8, 8, 504, 26);
    Label1.autoSize = false;
    Label1.focusControl = &Edit1;
    Setup(Edit1, "", 8, 40, 504, 182);
    Edit1.multiLine = true;
    Edit1.SetReadOnly(true);
    Edit1.SetFont(ui::Font{"", 0, false, ui::kCyrillicCharset});
    Edit1.SetTabStop(true);
    // A multi-line text wants Enter and Tab for itself; read-only, it has no use for them:
    // Enter closes the window as on the button, Tab goes on to the button.
    Edit1.onKeyDown = [this](const ui::KeyEvent& key) -> std::optional<std::string> {
        if (key.keyCode == ui::kKeyEnter) {
            Close();
            return std::string();
        }
        if (key.keyCode == kKeyTab && !key.control) {
            Button1.SetFocus();
            return std::string();
        }
        return std::nullopt;
    };
    Setup(Button1, "OK", 437, 229, 75, 25, "Closes this window");
    Button1.isDefault = true;
    Button1.isCancel = true;
    Button1.SetTabStop(true);
    Button1.onClick = [this] { Close(); };
}

void TForm8::SetLeftOut(const std::string& source, const std::vector<std::string>& lines) {
    Label1.SetCaption("The new layout was started from \"" + source +
                      "\". Tastavia's layouts cannot hold what is &listed here, so it was left out:");
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    Edit1.SetText(text);
}

void TForm8::ShowLeftOut(const std::string& source, const std::vector<std::string>& lines) {
    SetLeftOut(source, lines);
    Edit1.SetFocus();
    ShowModal();
}

}  // namespace tastavia
