#include "ui/Widget.h"

#include <algorithm>

#include "ui/Application.h"
#include "ui/Form.h"

namespace tastavia::ui {

Widget::Widget(Widget* parent, std::string name) : parent_(parent), name_(std::move(name)) {
    if (parent_) parent_->children_.push_back(this);
}

Widget::~Widget() {
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (Widget* child : children_) child->parent_ = nullptr;
}

void Widget::SetTabOrder(const std::vector<Widget*>& first) {
    std::vector<Widget*> ordered;
    for (Widget* w : first)
        if (w->parent_ == this && std::find(ordered.begin(), ordered.end(), w) == ordered.end()) ordered.push_back(w);
    for (Widget* w : children_)
        if (std::find(ordered.begin(), ordered.end(), w) == ordered.end()) ordered.push_back(w);
    children_ = std::move(ordered);
}

Form* Widget::OwnerForm() {
    Widget* w = this;
    while (w->parent_) w = w->parent_;
    return dynamic_cast<Form*>(w);
}

Application* Widget::App() {
    Form* form = OwnerForm();
    return form ? &form->GetApplication() : nullptr;
}

void Widget::SetCaption(const std::string& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    Notify(Change::Caption);
}

void Widget::SetBounds(const Rect& bounds) {
    if (bounds_ == bounds) return;
    bounds_ = bounds;
    Notify(Change::Bounds);
}

void Widget::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Notify(Change::Enabled);
    if (!enabled_)
        if (Form* form = OwnerForm()) form->FocusAwayFrom(*this);
}

void Widget::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Notify(Change::Visible);
    if (!visible_)
        if (Form* form = OwnerForm()) form->FocusAwayFrom(*this);
}

void Widget::SetHint(const std::string& hint) {
    if (hint_ == hint) return;
    hint_ = hint;
    Notify(Change::Hint);
}

void Widget::SetTabStop(bool tabStop) {
    if (tabStop_ == tabStop) return;
    tabStop_ = tabStop;
    Notify(Change::TabStop);
}

void Widget::SetFont(const Font& font) {
    font_ = font;
    Notify(Change::Font);
}

bool Widget::Usable() const {
    for (const Widget* w = this; w; w = w->parent_)
        if (!w->visible_ || !w->enabled_) return false;
    return true;
}

void Widget::SetFocus() {
    if (Form* form = OwnerForm()) form->FocusWidget(this);
}

bool Widget::Focused() {
    Form* form = OwnerForm();
    return form && form->FocusedWidget() == this;
}

void Widget::Notify(Change what) {
    if (peer_) peer_->Changed(what);
}

void Widget::Fire(const std::function<void()>& handler) {
    if (!handler) return;
    if (Application* app = App())
        app->Guard(handler, action.empty() ? ActionName(caption_) : action);
    else
        handler();
}

void Setup(Widget& widget, const std::string& caption, int left, int top, int width, int height,
           const std::string& hint) {
    widget.SetCaption(caption);
    widget.SetBounds(left, top, width, height);
    widget.SetHint(hint);
}

}  // namespace tastavia::ui
