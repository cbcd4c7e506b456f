#pragma once
// A popup menu that opens at a point; the user's choice runs the item's handler.
#include <functional>
#include <string>
#include <vector>

#include "ui/Types.h"

namespace tastavia::ui {

class Application;
class Widget;

struct MenuItem {
    std::string caption;
    std::function<void()> onClick;
};

enum class MenuAlignment { Left, Right };

class PopupMenu {
public:
    explicit PopupMenu(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    std::vector<MenuItem> items;
    MenuAlignment alignment = MenuAlignment::Left;

    // Opens the menu with its top corner (left or right by the alignment) at the bottom
    // right corner of a control, as its dropdown.
    void PopupBelow(Widget& anchor);
    // The user chose an item while the menu was open.
    void ChooseItem(std::size_t index);

    // Where the last PopupBelow opened it, in the anchor form's client coordinates.
    Point LastPopupAt() const { return lastAt_; }
    Widget* LastAnchor() const { return lastAnchor_; }

private:
    std::string name_;
    Point lastAt_;
    Widget* lastAnchor_ = nullptr;
};

}  // namespace tastavia::ui
