#include "ui/Controls.h"

namespace tastavia::ui {

void SetupDialogButtons(Button& ok, std::function<void()> onOk, Button& cancel, std::function<void()> onCancel) {
    ok.isDefault = true;
    cancel.isCancel = true;
    ok.SetTabStop(true);
    cancel.SetTabStop(true);
    ok.onClick = std::move(onOk);
    cancel.onClick = std::move(onCancel);
}

void Button::Click() {
    if (Usable()) Fire(onClick);
}

void SpeedButton::SetDown(bool down) {
    if (down_ == down) return;
    down_ = down;
    if (down_ && groupIndex_ != 0 && Parent()) {
        for (Widget* sibling : Parent()->Children()) {
            auto* other = dynamic_cast<SpeedButton*>(sibling);
            if (other && other != this && other->groupIndex_ == groupIndex_) other->SetDown(false);
        }
    }
    Notify(Change::Down);
}

void SpeedButton::SetCaptionColor(Color color) {
    if (captionColor_ == color) return;
    captionColor_ = color;
    Notify(Change::Color);
}

void SpeedButton::Click() {
    if (!Usable()) return;
    if (groupIndex_ != 0) {
        if (!down_)
            SetDown(true);
        else if (allowAllUp_)
            SetDown(false);
    }
    Fire(onClick);
}

void SpeedButton::PressKey() {
    if (!Usable()) return;
    bool several = false;
    if (groupIndex_ != 0 && Parent())
        for (Widget* sibling : Parent()->Children()) {
            auto* other = dynamic_cast<SpeedButton*>(sibling);
            if (other && other != this && other->groupIndex_ == groupIndex_) several = true;
        }
    if (down_ && several)
        Fire(onClick);
    else
        Click();
}

void SpeedButton::TakeGroupTabStop() {
    if (groupIndex_ == 0 || !Parent()) return;
    bool roving = false;
    for (Widget* sibling : Parent()->Children()) {
        auto* other = dynamic_cast<SpeedButton*>(sibling);
        if (other && other->groupIndex_ == groupIndex_ && other->TabStop()) roving = true;
    }
    if (!roving) return;  // a group outside the Tab order stays outside
    for (Widget* sibling : Parent()->Children()) {
        auto* other = dynamic_cast<SpeedButton*>(sibling);
        if (other && other->groupIndex_ == groupIndex_) other->SetTabStop(other == this);
    }
}

void Edit::SetText(const std::string& text) {
    if (text_ == text) return;
    text_ = text;
    allSelected_ = false;
    Notify(Change::Text);
    Fire(onChange);
}

void Edit::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    Notify(Change::ReadOnly);
}

void Edit::TypeText(const std::string& text) {
    if (Usable() && !readOnly_) Fire([this, text] { SetText(text); });
}

void Edit::SelectAll() {
    allSelected_ = true;
    Notify(Change::Selection);
}

std::optional<std::string> Edit::PressKey(const KeyEvent& key) {
    if (!Usable() || !onKeyDown) return std::nullopt;
    std::optional<std::string> typed = std::string();
    Fire([this, &key, &typed] { typed = onKeyDown(key); });
    return typed;
}

void CheckBox::SetChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    Notify(Change::Checked);
    Fire(onClick);
}

void CheckBox::Click() {
    if (Usable()) Fire([this] { SetChecked(!checked_); });
}

void RadioButton::SetChecked(bool checked) {
    if (checked_ == checked) return;
    checked_ = checked;
    if (checked_ && Parent()) {
        for (Widget* sibling : Parent()->Children()) {
            auto* other = dynamic_cast<RadioButton*>(sibling);
            if (other && other != this) other->SetChecked(false);
        }
    }
    Notify(Change::Checked);
    if (checked_) Fire(onClick);
}

void RadioButton::Click() {
    if (Usable()) Fire([this] { SetChecked(true); });
}

void Image::SetPicture(Picture picture) {
    picture_ = std::move(picture);
    Notify(Change::Picture);
}

}  // namespace tastavia::ui
