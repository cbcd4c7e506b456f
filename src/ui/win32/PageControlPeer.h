#pragma once
// A page control: a system tab control whose pages are windows of their own, one shown
// at a time.
#include <vector>

#include "ui/PageControl.h"
#include "ui/win32/Peers.h"

namespace tastavia::ui::win32 {

class PageControlPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    // Where the pages go, in the control's client coordinates.
    Rect PageArea() const;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    void Initialise() override;
    void Mirror(Change what) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    PageControl& Pages() const { return static_cast<PageControl&>(widget_); }
    void BuildTabs();
    void ShowActiveTab();
    void LayoutPages();
    std::vector<int> tabPages_;  // the page each tab stands for
};

class TabSheetPeer : public ContainerPeer {
public:
    using ContainerPeer::ContainerPeer;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
};

}  // namespace tastavia::ui::win32
