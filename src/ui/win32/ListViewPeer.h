#pragma once
// The list view: a report-style system list, drawn by the binding so that rows have the
// model's height and the text lies over the background bitmap.
#include "ui/ListView.h"
#include "ui/win32/WidgetPeer.h"

namespace tastavia::ui::win32 {

class ListViewPeer : public WidgetPeer {
public:
    using WidgetPeer::WidgetPeer;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    bool OnDrawItem(DRAWITEMSTRUCT& item) override;
    bool OnMeasureItem(MEASUREITEMSTRUCT& item) override;

protected:
    HWND CreateNative(HWND parent, DWORD commonStyle) override;
    void Initialise() override;
    void Mirror(Change what) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    ListView& List() { return static_cast<ListView&>(widget_); }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const { return SendMessageA(hwnd_, msg, wParam, lParam); }
    void Rebuild();
    void SyncColumns();
    void AppendItems();
    void ShowSelection();
    void ShowTopIndex();
    void MarkFocusedItem();
    // What the user did to the window that the model keeps too.
    void ReadTopIndex();
    void ReportGeometry();
    int NativeSelected() const;
    int NativeTop() const;
    int RowHeight() const;
    const std::string& CellText(int item, int column);
    void LoadBackground();
    void PaintBackground(HDC dc, const RECT& area);
    bool PassesFilter(UINT msg);
    void DoubleClicked(LPARAM at);

    int nativeCount_ = 0;
    int nativeColumns_ = 0;
    bool stale_ = false;        // items changed while the model held back repainting
    bool readingTop_ = false;   // the model learns the top item from the window
    int keying_ = 0;            // the list is handling a key
    int measuredHeight_ = 16;
    Bitmap background_;
    SIZE backgroundSize_{0, 0};
};

}  // namespace tastavia::ui::win32
