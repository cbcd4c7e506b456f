#include "ui/PopupMenu.h"

#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Widget.h"

namespace tastavia::ui {

namespace {

// The widget's bounds in its form's client coordinates.
Rect InForm(Widget& widget) {
    Rect r = widget.Bounds();
    for (Widget* p = widget.Parent(); p && !dynamic_cast<Form*>(p); p = p->Parent()) {
        r.left += p->Bounds().left;
        r.top += p->Bounds().top;
    }
    return r;
}

}  // namespace

void PopupMenu::PopupBelow(Widget& anchor) {
    Rect r = InForm(anchor);
    lastAt_ = Point{alignment == MenuAlignment::Right ? r.Right() : r.left, r.Bottom()};
    lastAnchor_ = &anchor;
    if (Application* app = anchor.App()) app->GetBackend().Popup(*this, anchor, lastAt_.x, lastAt_.y);
}

void PopupMenu::ChooseItem(std::size_t index) {
    if (index >= items.size() || !items[index].onClick) return;
    Application* app = lastAnchor_ ? lastAnchor_->App() : nullptr;
    if (app) {
        // A command of its own, also when the menu opened within another command.
        const int outer = app->SuspendCommands();
        app->Guard(items[index].onClick, ActionName(items[index].caption));
        app->ResumeCommands(outer);
    } else
        items[index].onClick();
}

}  // namespace tastavia::ui
