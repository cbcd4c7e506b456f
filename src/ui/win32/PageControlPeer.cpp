#include "ui/win32/PageControlPeer.h"

#include <commctrl.h>

namespace tastavia::ui::win32 {

HWND PageControlPeer::CreateNative(HWND parent, DWORD commonStyle) {
    binding_.UseCommonControls();
    DWORD style = commonStyle | WS_GROUP | WS_CLIPCHILDREN;
    HWND hwnd = MakeControl(WC_TABCONTROLA, "", style, WS_EX_CONTROLPARENT, parent);
    if (hwnd) {
        hwnd_ = hwnd;
        Subclass();
    }
    return hwnd;
}

void PageControlPeer::Initialise() {
    BuildTabs();
    ShowActiveTab();
}

void PageControlPeer::BuildTabs() {
    SendMessageA(hwnd_, TCM_DELETEALLITEMS, 0, 0);
    tabPages_.clear();
    PageControl& pages = Pages();
    if (!pages.showTabs) return;
    for (int i = 0; i < pages.PageCount(); ++i) {
        TabSheet& page = pages.Page(i);
        if (!page.tabVisible) continue;
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(page.Caption().c_str());
        SendMessageA(hwnd_, TCM_INSERTITEMA, tabPages_.size(), reinterpret_cast<LPARAM>(&item));
        tabPages_.push_back(i);
    }
}

void PageControlPeer::ShowActiveTab() {
    int tab = -1;
    for (std::size_t i = 0; i < tabPages_.size(); ++i)
        if (tabPages_[i] == Pages().ActivePage()) tab = static_cast<int>(i);
    SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
}

Rect PageControlPeer::PageArea() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void PageControlPeer::LayoutPages() {
    Rect area = PageArea();
    for (int i = 0; i < Pages().PageCount(); ++i) Pages().Page(i).SetBounds(area);
}

void PageControlPeer::Mirror(Change what) {
    switch (what) {
        case Change::Page:
            if (static_cast<int>(tabPages_.size()) != Pages().PageCount() && Pages().showTabs) BuildTabs();
            ShowActiveTab();
            break;
        case Change::Caption: break;
        case Change::Bounds:
            WidgetPeer::Mirror(what);
            LayoutPages();
            break;
        default: WidgetPeer::Mirror(what); break;
    }
}

LRESULT PageControlPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TCM_ADJUSTRECT && !Pages().showTabs) {
        // Without tabs the pages cover the whole control, strip and border included.
        LRESULT result = Default(msg, wParam, lParam);
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!wParam && r) {
            RECT client;
            GetClientRect(hwnd_, &client);
            r->left = 0;
            r->right = client.right;
            r->bottom = client.bottom;
            r->top -= 4;
        }
        return result;
    }
    return WidgetPeer::Message(msg, wParam, lParam);
}

bool PageControlPeer::OnNotify(NMHDR& header, LRESULT& result) {
    result = 0;
    if (header.code != TCN_SELCHANGE) return false;
    if (Echoing()) return true;
    int tab = static_cast<int>(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0));
    if (tab >= 0 && tab < static_cast<int>(tabPages_.size())) Pages().SetActivePage(tabPages_[static_cast<std::size_t>(tab)]);
    return true;
}

HWND TabSheetPeer::CreateNative(HWND parent, DWORD commonStyle) {
    // A page fills the page control's display area, whatever its own bounds said.
    if (auto* control = dynamic_cast<PageControlPeer*>(WidgetPeer::Of(parent))) widget_.SetBounds(control->PageArea());
    return ContainerPeer::CreateNative(parent, commonStyle);
}

}  // namespace tastavia::ui::win32
