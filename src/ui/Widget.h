#pragma once
// The base of every widget: state that each control has, the tree it sits in, and the
// peer that mirrors it into a real window when there is one.
#include <functional>
#include <string>
#include <vector>

#include "ui/Types.h"

namespace tastavia::ui {

class Application;
class Form;
class PopupMenu;
class Widget;

// The native side of one widget. The model calls Changed after each change of its state;
// the peer mirrors the new state and must not report that echo back as user input.
class Peer {
public:
    virtual ~Peer() = default;
    virtual void Changed(Change what) = 0;
};

class Widget {
public:
    Widget(Widget* parent, std::string name);
    virtual ~Widget();
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    const std::string& Name() const { return name_; }
    Widget* Parent() const { return parent_; }
    const std::vector<Widget*>& Children() const { return children_; }
    // The order of the children is the order Tab visits them in: these come first, in
    // this order, the others after them as they were. Before the window is first shown.
    void SetTabOrder(const std::vector<Widget*>& first);
    Form* OwnerForm();
    Application* App();

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    Rect Bounds() const { return bounds_; }
    void SetBounds(const Rect& bounds);
    void SetBounds(int left, int top, int width, int height) { SetBounds(Rect{left, top, width, height}); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    const Font& GetFont() const { return font_; }
    void SetFont(const Font& font);
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // Whether the user can reach the widget: it and every parent are visible and enabled.
    bool Usable() const;
    // Gives the widget the keyboard focus within its form.
    void SetFocus();
    bool Focused();

    // Opened by a right click on the widget.
    PopupMenu* contextMenu = nullptr;
    // What a failure of the widget's events is said to have stopped; without it, the
    // caption names the action.
    std::string action;

    void AttachPeer(Peer* peer) { peer_ = peer; }
    Peer* GetPeer() const { return peer_; }

protected:
    void Notify(Change what);
    // Runs an event handler: as the outermost command when the user caused it, so that
    // the application's error handler sees what it raises.
    void Fire(const std::function<void()>& handler);

private:
    friend class Form;
    Widget* parent_;
    std::string name_;
    std::vector<Widget*> children_;
    std::string caption_;
    Rect bounds_;
    bool enabled_ = true;
    bool visible_ = true;
    bool tabStop_ = false;
    std::string hint_;
    Font font_;
    int tag_ = 0;
    Peer* peer_ = nullptr;
};

// Caption, place and hint in one call, as the windows lay out their controls.
void Setup(Widget& widget, const std::string& caption, int left, int top, int width, int height,
           const std::string& hint = "");

}  // namespace tastavia::ui
