#pragma once
// The peer of each widget type.
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/WidgetPeer.h"

namespace tastavia::ui::win32 {

// The peer that fits a widget's type.
std::unique_ptr<WidgetPeer> MakePeer(Binding& binding, Widget& widget);

class ButtonPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;
    bool OnCommand(int code) override;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
};

class EditPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;
    bool OnCommand(int code) override;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    void Mirror(Change what) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::string NativeText() const;
    void ShowModelText();
};

class LabelPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    void Initialise() override { Fit(); }
    void Mirror(Change what) override;

private:
    void Fit();
};

// Check boxes and radio buttons: the window never toggles itself, the model decides.
class CheckPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;
    bool OnCommand(int code) override;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    void Initialise() override { ShowModelCheck(); }
    void Mirror(Change what) override;

private:
    bool IsRadio() const;
    bool ModelChecked() const;
    void ShowModelCheck();
};

class GroupBoxPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// A window of the binding's own class that holds other widgets: panels, tab sheets, and
// widgets of no known type.
class ContainerPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Mirror(Change what) override;
    virtual void Paint(HDC /*dc*/, const RECT& /*client*/) {}
};

class PanelPeer : public ContainerPeer {
public:
    using ContainerPeer::ContainerPeer;

protected:
    void Paint(HDC dc, const RECT& client) override;
};

class ImagePeer : public ContainerPeer {
public:
    using ContainerPeer::ContainerPeer;

protected:
    void Initialise() override { Convert(); }
    void Mirror(Change what) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void Convert();
    std::vector<BYTE> bottomUp_;  // the picture as a 24-bit DIB: blue, green, red, rows padded
};

// A flat button, drawn sunken while down or pressed. The mouse leaves the focus where it
// is; the keyboard brings it there (with a focus mark) when the model makes it a tab stop.
class SpeedButtonPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Mirror(Change what) override;

private:
    void Paint(HDC dc, const RECT& client);
    void Press();
    static LRESULT DialogCode(const MSG* msg);
    bool KeyDown(WPARAM key);
    bool tracking_ = false;  // the mouse went down on the button and is captured
    bool pressed_ = false;   // ... and is over it now
};

}  // namespace tastavia::ui::win32
