#pragma once
// The native side of one widget: its window, the mirroring of the model's changes into
// it, and the notifications that come back from it. One subclass per widget type.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "ui/Widget.h"
#include "ui/win32/WinHandles.h"

namespace tastavia::ui {
class PopupMenu;
}

namespace tastavia::ui::win32 {

class WidgetPeer;

// What all peers share: fonts, brushes, control identifiers and the way to open menus.
class Binding {
public:
    Binding();
    Binding(const Binding&) = delete;
    Binding& operator=(const Binding&) = delete;

    HFONT FontFor(const ui::Font& font);
    // Loads and registers the common controls (list views, tabs, tooltips) the first time
    // a window needs one, so that the start dialog does not wait for them.
    void UseCommonControls();
    // The chequered fill of a button that stays down.
    HBRUSH DownBrush();
    int NextControlId() { return nextId_++; }
    HINSTANCE Instance() const { return instance_; }

    // Opens a widget's menu at a point of the screen; set by the backend.
    std::function<void(PopupMenu&, Widget&, POINT)> openMenu;
    // Gives the focus on the program's behalf. A radio button that gets the focus
    // reports a click, which is only the user's when the user moved the focus.
    void FocusQuietly(HWND hwnd);
    bool Focusing() const { return focusing_ > 0; }

    // The peer whose window is being created: controls ask their parent to measure
    // items before the window is known by its handle.
    WidgetPeer* creating = nullptr;

private:
    HINSTANCE instance_;
    std::unique_ptr<Library> commonControls_;
    int focusing_ = 0;
    int nextId_ = 100;  // clear of IDOK and IDCANCEL, which the dialog manager sends
    std::map<std::tuple<std::string, int, bool, int>, win32::Font> fonts_;
    Bitmap downPattern_;
    Brush downBrush_;
};

class WidgetPeer : public Peer {
public:
    WidgetPeer(Binding& binding, Widget& widget) : binding_(binding), widget_(widget) {}
    ~WidgetPeer() override = default;

    static WidgetPeer* Of(HWND hwnd);
    // The window class the binding's own windows (forms, panels, speed buttons) use.
    static const char* OwnClassName();

    Widget& Model() { return widget_; }
    HWND Handle() const { return hwnd_; }
    // Where the windows of the widget's children go.
    virtual HWND ChildParent() const { return hwnd_; }

    // Creates the window under a parent and brings it to the model's state.
    void Create(HWND parent);
    // Stops listening to the window before the model's widget goes away.
    void Detach();

    void Changed(Change what) final;

    // Notifications the parent window passes on to the control they come from.
    virtual bool OnCommand(int /*code*/) { return false; }
    virtual bool OnNotify(NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT& /*item*/) { return false; }
    virtual bool OnMeasureItem(MEASUREITEMSTRUCT& /*item*/) { return false; }
    // A form's tooltip window learns a control's hint.
    virtual void UpdateTip(WidgetPeer& /*control*/) {}

    // Window procedures of the binding's own class and of subclassed controls.
    static LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // Makes the window; the common style carries visibility, enabling and tab stop.
    virtual HWND CreateNative(HWND parent, DWORD commonStyle) = 0;
    // Brings a new window to the widget's state beyond what the common style says.
    virtual void Initialise() {}
    virtual void Mirror(Change what);
    virtual LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
    // Passes the notifications of child controls on to their peers.
    bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND MakeControl(const char* className, const std::string& text, DWORD style, DWORD exStyle, HWND parent);
    HWND MakeOwn(DWORD style, DWORD exStyle, HWND parent);
    void Subclass();
    void SetStyleBit(DWORD bit, bool on);
    HFONT CurrentFont() const;
    // True while the peer itself changes its window: what the window reports then is
    // the echo of a model change, not user input.
    bool Echoing() const { return echo_ > 0; }
    struct EchoScope {
        explicit EchoScope(WidgetPeer& peer) : p(peer) { ++p.echo_; }
        ~EchoScope() { --p.echo_; }
        WidgetPeer& p;
    };

    Binding& binding_;
    Widget& widget_;
    HWND hwnd_ = nullptr;

private:
    WNDPROC oldProc_ = nullptr;
    int echo_ = 0;
};

// The top-level window that holds hwnd: GetAncestor(GA_ROOT), which Windows 95 lacks.
HWND RootWindow(HWND hwnd);

// Runs model code from a window procedure: nothing may be thrown into the system.
template <typename F>
void Safely(F&& f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

}  // namespace tastavia::ui::win32
