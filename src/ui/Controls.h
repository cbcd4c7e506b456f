#pragma once
// The simple controls. Program changes raise the same events as user changes do, as the
// platform's controls do; user actions come in through Click(), TypeText() and the like.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Widget.h"

namespace tastavia::ui {

class Button : public Widget {
public:
    using Widget::Widget;
    std::function<void()> onClick;
    // Enter presses the default button of a form, Escape its cancel button.
    bool isDefault = false;
    bool isCancel = false;
    void Click();  // the user pressed it
};

// A dialog's closing pair: Enter presses the first, Escape the second, both on the Tab
// ring, each with its handler.
void SetupDialogButtons(Button& ok, std::function<void()> onOk, Button& cancel, std::function<void()> onCancel);

// A flat button that can stay down. With a group index other than 0 it is a toggle:
// pressing one button of a group releases the others; with all-up allowed, pressing
// the pressed one releases it.
class SpeedButton : public Widget {
public:
    using Widget::Widget;
    std::function<void()> onClick;

    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index) { groupIndex_ = index; }
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow) { allowAllUp_ = allow; }
    bool Down() const { return down_; }
    void SetDown(bool down);  // no click event, as on the platform
    Color CaptionColor() const { return captionColor_; }
    void SetCaptionColor(Color color);

    void Click();  // the user pressed it: toggles by the group rules, then onClick
    // The user pressed Space or Enter on it. In a group of several buttons that chooses
    // this one, and choosing the chosen one again keeps it down; a toggle of its own
    // toggles as a click does.
    void PressKey();
    // A group of speed buttons is one stop for Tab: the member that takes the focus takes
    // the group's tab stop from the others, so that Tab comes back to it.
    void TakeGroupTabStop();

private:
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool down_ = false;
    Color captionColor_ = kSystemTextColor;
};

class Edit : public Widget {
public:
    using Widget::Widget;
    std::function<void()> onChange;
    // Several lines (CR LF between them), wrapped, with a scroll bar; set before showing.
    bool multiLine = false;

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);  // raises onChange when the text changes
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    void TypeText(const std::string& text);  // the user changed the text to this
    // Selects the whole text, as the keyboard does when it brings the focus to an edit,
    // so that what the user types replaces it. Any change of the text ends it.
    void SelectAll();
    bool AllSelected() const { return allSelected_; }

    // A key the user pressed in the edit. The handler gives the text the key types in
    // place of the system's character (empty: nothing at all), or nothing to leave the
    // key to the edit: Backspace, the cursor keys, the system's character.
    std::function<std::optional<std::string>(const KeyEvent&)> onKeyDown;
    // The user pressed a key: what the handler answered. A handler that fails swallows
    // the key, so that no character of the system's layout slips in.
    std::optional<std::string> PressKey(const KeyEvent& key);

private:
    std::string text_;
    bool readOnly_ = false;
    bool allSelected_ = false;
};

class Label : public Widget {
public:
    using Widget::Widget;
    bool autoSize = true;
    // The field the label names: the "&" of its caption then marks the mnemonic that
    // takes the focus there. A label without one shows its text as it is.
    Widget* focusControl = nullptr;
};

class CheckBox : public Widget {
public:
    using Widget::Widget;
    std::function<void()> onClick;
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);  // raises onClick when it changes
    void Click();

private:
    bool checked_ = false;
};

// Radio buttons with the same parent form one group.
class RadioButton : public Widget {
public:
    using Widget::Widget;
    std::function<void()> onClick;
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);  // checking one clears the others and raises onClick
    void Click();

private:
    bool checked_ = false;
};

class GroupBox : public Widget {
public:
    using Widget::Widget;
};

enum class Bevel { None, Lowered, Raised };

class Panel : public Widget {
public:
    using Widget::Widget;
    Bevel bevelInner = Bevel::None;
    Bevel bevelOuter = Bevel::Raised;
};

// 24-bit pixels, top row first, three bytes (red, green, blue) each.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    bool Empty() const { return width <= 0 || height <= 0; }
};

class Image : public Widget {
public:
    using Widget::Widget;
    const Picture& GetPicture() const { return picture_; }
    void SetPicture(Picture picture);

private:
    Picture picture_;
};

}  // namespace tastavia::ui
