#include "app/Try.h"

#include "layout/LayoutCheck.h"

namespace tastavia {

using ui::Setup;

namespace {

const ui::Font kCyrillicFont{"", 0, false, ui::kCyrillicCharset};

// Keys that keep their meaning in the text box: they edit or move, and type nothing.
bool IsEditingKey(int keyCode) {
    switch (keyCode) {
        case ui::kKeyBackspace:
        case ui::kKeyDelete:
        case ui::kKeyInsert:
        case ui::kKeyLeft:
        case ui::kKeyRight:
        case ui::kKeyUp:
        case ui::kKeyDown:
        case ui::kKeyHome:
        case ui::kKeyEnd: return true;
        default: return false;
    }
}

}  // namespace

TForm7::TForm7(ui::Application& app) : Form(app, "Form7") { CreateControls(); }

void TForm7::CreateControls() {
    SetCaption("Try Layout");
    SetClientSize(420, 150);
    borderStyle = ui::BorderStyle::Dialog;

    Setup(Label1, "&Type here with this layout. Nothing is installed.", 8, 8, 404, 13);
    Setup(Edit1, "", 8, 28, 404, 30, "Keys type the characters of the edited layout");
    Edit1.SetFont(ui::Font{"Courier New", 20, false, ui::kCyrillicCharset});
    Edit1.SetTabStop(true);
    Label1.focusControl = &Edit1;
    Edit1.onKeyDown = [this](const ui::KeyEvent& key) { return Edit1KeyDown(key); };

    Setup(Label2, "Character:", 8, 70, 60, 13);
    Setup(Label3, "", 76, 70, 336, 13);
    Label3.SetFont(kCyrillicFont);
    Setup(Label4, "Key:", 8, 90, 60, 13);
    Setup(Label5, "", 76, 90, 336, 13);

    Setup(Button1, "&Clear", 256, 117, 75, 25, "Clears the typed text");
    Setup(Button2, "Close", 337, 117, 75, 25, "Closes this window");
    Button2.isCancel = true;
    Button1.SetTabStop(true);
    Button2.SetTabStop(true);
    Button1.onClick = [this] { Button1Click(); };
    Button2.onClick = [this] { Button2Click(); };
}

void TForm7::TryLayout(WorkingLayout& layout) {
    layout_ = &layout;
    Edit1.SetText("");
    ClearLastKey();
    Edit1.SetFocus();
    ShowModal();
}

std::optional<std::string> TForm7::Edit1KeyDown(const ui::KeyEvent& key) {
    // Ctrl with a key is a shortcut of the text box (copy, paste); Ctrl with Alt is the
    // AltGr level, which these layouts do not have.
    if (key.control || key.alt) return key.control && key.alt ? std::optional<std::string>("") : std::nullopt;
    if (!layout_ || !layout_->IsOpen()) return std::string();
    const std::optional<TypedKey> typed = TypeKey(*layout_, key.scanCode, key.extended, key.shift, key.capsLock);
    if (!typed) {
        // No character of the system's own layout gets in.
        if (IsEditingKey(key.keyCode)) return std::nullopt;
        return std::string();
    }
    ShowLastKey(*typed);
    if (typed->character == 0) return std::string();
    return std::string(1, static_cast<char>(typed->character));
}

void TForm7::ShowLastKey(const TypedKey& typed) {
    Label3.SetCaption(CharLabel(typed.character));
    Label5.SetCaption(KeyLabel(typed.key) + (typed.level == ShiftState::Shifted ? ", shifted" : ", unshifted"));
}

void TForm7::ClearLastKey() {
    Label3.SetCaption("");
    Label5.SetCaption("");
}

void TForm7::Button1Click() {
    Edit1.SetText("");
    ClearLastKey();
    Edit1.SetFocus();
}

}  // namespace tastavia
