#include "ui/win32/ListViewPeer.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/BmpBitmap.h"

namespace tastavia::ui::win32 {

namespace {

constexpr int kDefaultRowHeight = 16;  // as the model assumes without an item height
const std::string kNoText;

int FloorTo(int value, int origin, int step) {
    int offset = (value - origin) % step;
    if (offset < 0) offset += step;
    return value - offset;
}

}  // namespace

HWND ListViewPeer::CreateNative(HWND parent, DWORD commonStyle) {
    binding_.UseCommonControls();
    ListView& list = List();
    DWORD style = commonStyle | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED | LVS_NOSORTHEADER |
                  (list.hideSelection ? 0 : LVS_SHOWSELALWAYS) | (list.showColumnHeaders ? 0 : LVS_NOCOLUMNHEADER);
    HWND hwnd = MakeControl(WC_LISTVIEWA, "", style, WS_EX_CLIENTEDGE, parent);
    if (hwnd) {
        hwnd_ = hwnd;
        Subclass();
    }
    return hwnd;
}

void ListViewPeer::Initialise() {
    ListView& list = List();
    if (list.rowSelect) Send(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LoadBackground();
    // Owner-drawn rows are measured when the window is sized; some lists ask only then.
    Rect r = list.Bounds();
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(hwnd_, nullptr, 0, 0, r.width + 1, r.height, flags);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.width, r.height, flags);
    Rebuild();
    ReportGeometry();
}

void ListViewPeer::Mirror(Change what) {
    ListView& list = List();
    switch (what) {
        case Change::Items:
            if (list.Updating()) {
                stale_ = true;
            } else if (stale_ || list.Count() < nativeCount_) {
                Rebuild();
            } else {
                SyncColumns();
                AppendItems();
                ShowSelection();
                ShowTopIndex();
            }
            break;
        case Change::ItemText:
            if (!list.Updating()) InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        case Change::Selection: ShowSelection(); break;
        case Change::Scroll: ShowTopIndex(); break;
        case Change::Columns: SyncColumns(); break;
        case Change::Picture:
            LoadBackground();
            InvalidateRect(hwnd_, nullptr, TRUE);
            break;
        case Change::Bounds:
            WidgetPeer::Mirror(what);
            ReportGeometry();
            break;
        default: WidgetPeer::Mirror(what); break;
    }
}

void ListViewPeer::Rebuild() {
    stale_ = false;
    // The window holds no texts, only how many rows there are and their marks: rows that
    // stay are kept with their marks cleared, as a refill would leave them, and only the
    // rows beyond the new count go. Redrawing is held back only while many rows come or
    // go: switching it back on costs the window a pass over every row.
    const int wanted = List().Count();
    const bool many = wanted > nativeCount_ + 1 || wanted < nativeCount_ - 1;
    if (many) Send(WM_SETREDRAW, FALSE);
    SyncColumns();
    if (wanted < nativeCount_ / 2) {
        Send(LVM_DELETEALLITEMS);
        nativeCount_ = 0;
    }
    while (nativeCount_ > wanted) Send(LVM_DELETEITEM, static_cast<WPARAM>(--nativeCount_));
    // One row at most carries each mark: cleared where it is, not on every row.
    for (UINT mark : {LVNI_SELECTED, LVNI_FOCUSED}) {
        const int row = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), mark));
        if (row < 0) continue;
        LVITEMA cleared{};
        cleared.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cleared));
    }
    AppendItems();
    if (many) Send(WM_SETREDRAW, TRUE);
    ShowSelection();
    ShowTopIndex();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListViewPeer::SyncColumns() {
    const std::vector<ListColumn>& columns = List().Columns();
    const int wanted = static_cast<int>(columns.size());
    while (nativeColumns_ > wanted) Send(LVM_DELETECOLUMN, static_cast<WPARAM>(--nativeColumns_));
    for (int i = 0; i < wanted; ++i) {
        const ListColumn& column = columns[static_cast<std::size_t>(i)];
        LVCOLUMNA native{};
        native.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        native.fmt = column.alignment == Alignment::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        native.cx = column.width;
        native.pszText = const_cast<char*>(column.caption.c_str());
        if (i < nativeColumns_) {
            Send(LVM_SETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&native));
        } else {
            Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&native));
            ++nativeColumns_;
        }
    }
}

void ListViewPeer::AppendItems() {
    // The window keeps no texts: it asks for them, and drawing reads the model.
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = LPSTR_TEXTCALLBACKA;
    for (int i = nativeCount_; i < List().Count(); ++i) {
        item.iItem = i;
        Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    nativeCount_ = List().Count();
}

int ListViewPeer::NativeSelected() const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ListViewPeer::NativeTop() const { return static_cast<int>(Send(LVM_GETTOPINDEX)); }

int ListViewPeer::RowHeight() const {
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    if (nativeCount_ > 0 && Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) && r.bottom > r.top)
        return r.bottom - r.top;
    return measuredHeight_;
}

void ListViewPeer::ShowSelection() {
    int wanted = List().Selected();
    if (wanted >= nativeCount_) wanted = -1;
    if (NativeSelected() == wanted) return;
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (wanted >= 0) {
        // The focus mark goes along, so that the arrow keys move on from the selection.
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(wanted), reinterpret_cast<LPARAM>(&state));
    }
}

void ListViewPeer::MarkFocusedItem() {
    // A list that takes the focus with no focused item shows no focus mark anywhere: the
    // mark goes to the selected item, or the first one shown, without selecting it.
    if (nativeCount_ == 0 || Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0) return;
    const int selected = NativeSelected();
    const int item = selected >= 0 ? selected : NativeTop();
    EchoScope echo(*this);
    LVITEMA state{};
    state.stateMask = state.state = LVIS_FOCUSED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

void ListViewPeer::ShowTopIndex() {
    if (readingTop_ || nativeCount_ == 0) return;
    int top = NativeTop();
    int wanted = List().TopIndex();
    if (top != wanted) Send(LVM_SCROLL, 0, static_cast<LPARAM>((wanted - top) * RowHeight()));
    ReadTopIndex();  // where the window could not go, the model follows it
}

void ListViewPeer::ReadTopIndex() {
    int top = NativeTop();
    if (top == List().TopIndex()) return;
    readingTop_ = true;
    List().SetTopIndex(top);
    readingTop_ = false;
}

void ListViewPeer::ReportGeometry() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const bool resized = List().ClientWidth() != client.right - client.left;
    List().SetClientWidth(client.right - client.left);
    // A scroll bar that came with new rows changes the width the columns fill.
    if (resized) List().CustomDraw();
    int rows = static_cast<int>(Send(LVM_GETCOUNTPERPAGE));
    if (rows > 0) List().SetVisibleRows(rows);
}

const std::string& ListViewPeer::CellText(int item, int column) {
    if (item < 0 || item >= List().Count()) return kNoText;
    const ListItem& row = List().Item(item);
    if (column == 0) return row.caption;
    auto sub = static_cast<std::size_t>(column - 1);
    return sub < row.subItems.size() ? row.subItems[sub] : kNoText;
}

bool ListViewPeer::PassesFilter(UINT msg) {
    const auto& filter = List().mouseFilter;
    if (!filter) return true;
    MouseButton button = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK   ? MouseButton::Left
                         : msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ? MouseButton::Right
                                                                           : MouseButton::Middle;
    return filter(button);
}

LRESULT ListViewPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        // The second press of a double click arrives as these; the list selects on them
        // too, so the filter must see them or a double click would get past it.
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            // A press the model's filter refuses never reaches the list.
            if (!PassesFilter(msg)) return 0;
            LRESULT result = Default(msg, wParam, lParam);
            ReadTopIndex();
            // A click on the item the keys moved to takes it, as a click elsewhere does.
            if (msg == WM_LBUTTONDOWN && List().keysBrowse) List().UserConfirm();
            if (msg == WM_LBUTTONDBLCLK) DoubleClicked(lParam);
            return result;
        }
        case WM_MOUSEMOVE:
            if (List().itemHint) {
                LVHITTESTINFO hit{};
                hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                const int item = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
                List().UserHover(item >= 0 && (hit.flags & LVHT_ONITEM) ? item : -1);
            }
            return WidgetPeer::Message(msg, wParam, lParam);
        case WM_SETFOCUS: {
            LRESULT result = WidgetPeer::Message(msg, wParam, lParam);
            MarkFocusedItem();
            return result;
        }
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(hwnd_, &client);
            PaintBackground(reinterpret_cast<HDC>(wParam), client);
            return 1;
        }
        case WM_SIZE: {
            LRESULT result = Default(msg, wParam, lParam);
            ReportGeometry();
            return result;
        }
        case WM_GETDLGCODE: {
            // Enter confirms what the keys chose in a list that only browses with them.
            auto* message = reinterpret_cast<const MSG*>(lParam);
            LRESULT code = Default(msg, wParam, lParam);
            if (List().keysBrowse && message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN)
                code |= DLGC_WANTMESSAGE;
            return code;
        }
        case WM_KEYDOWN:
            if (List().keysBrowse && (wParam == VK_RETURN || wParam == VK_SPACE)) {
                List().UserConfirm();
                return 0;
            }
            [[fallthrough]];
        case WM_CHAR: {
            if (msg == WM_CHAR && List().keysBrowse && (wParam == ' ' || wParam == '\r')) return 0;
            // What the keys select is a move through the list, not yet a choice.
            ++keying_;
            LRESULT result = Default(msg, wParam, lParam);
            --keying_;
            ReadTopIndex();
            return result;
        }
        case WM_VSCROLL:
        case WM_MOUSEWHEEL: {
            LRESULT result = Default(msg, wParam, lParam);
            ReadTopIndex();
            return result;
        }
        case WM_HSCROLL: {
            // The background moves with the columns; redraw it whole.
            LRESULT result = Default(msg, wParam, lParam);
            InvalidateRect(hwnd_, nullptr, TRUE);
            return result;
        }
        default: return WidgetPeer::Message(msg, wParam, lParam);
    }
}

void ListViewPeer::DoubleClicked(LPARAM at) {
    // The point of the click itself: the message may come from anywhere but the mouse.
    LVHITTESTINFO hit{};
    hit.pt = POINT{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    int item = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item >= 0 && (hit.flags & LVHT_ONITEM)) List().UserDoubleClick(item);
}

bool ListViewPeer::OnNotify(NMHDR& header, LRESULT& result) {
    result = 0;
    switch (header.code) {
        case LVN_ITEMCHANGED: {
            auto& change = reinterpret_cast<NMLISTVIEW&>(header);
            if (Echoing() || !(change.uChanged & LVIF_STATE)) return true;
            bool was = (change.uOldState & LVIS_SELECTED) != 0;
            bool now = (change.uNewState & LVIS_SELECTED) != 0;
            if (was == now) return true;
            // The keys move the selection: the item that loses it says nothing of a choice.
            if (!now && keying_ && List().keysBrowse) return true;
            if (now && keying_)
                List().UserMove(change.iItem);
            else if (now)
                List().UserSelect(change.iItem);
            else if (change.iItem == -1 || change.iItem == List().Selected())
                List().UserSelect(-1);
            // The model may refuse or choose otherwise; the window shows its choice.
            if (NativeSelected() != List().Selected()) {
                EchoScope echo(*this);
                ShowSelection();
            }
            return true;
        }
        case LVN_GETDISPINFOA: {
            auto& info = reinterpret_cast<NMLVDISPINFOA&>(header);
            if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0)
                lstrcpynA(info.item.pszText, CellText(info.item.iItem, info.item.iSubItem).c_str(),
                          info.item.cchTextMax);
            return true;
        }
        case NM_CUSTOMDRAW: {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) List().CustomDraw();
            result = CDRF_DODEFAULT;
            return true;
        }
        default: return false;
    }
}

bool ListViewPeer::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    int height = List().itemHeight;
    if (height <= 0) {
        WindowDC dc(nullptr);
        Selected font(dc.Get(), CurrentFont());
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.Get(), &metrics);
        height = std::max(kDefaultRowHeight, static_cast<int>(metrics.tmHeight) + 2);
    }
    measuredHeight_ = height;
    item.itemHeight = static_cast<UINT>(height);
    return true;
}

bool ListViewPeer::OnDrawItem(DRAWITEMSTRUCT& item) {
    int index = static_cast<int>(item.itemID);
    if (index < 0 || index >= List().Count()) return true;
    HDC dc = item.hDC;
    const RECT row = item.rcItem;
    bool selected = (item.itemState & ODS_SELECTED) && !(List().hideSelection && GetFocus() != hwnd_);
    if (selected)
        FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
    else
        PaintBackground(dc, row);

    Selected font(dc, CurrentFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::vector<ListColumn>& columns = List().Columns();
    int left = row.left;
    for (int c = 0; c < std::max(1, nativeColumns_); ++c) {
        int width = nativeColumns_ ? static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c)))
                                   : row.right - row.left;
        RECT cell{left + (c == 0 ? 2 : 6), row.top, left + width - 2, row.bottom};
        left += width;
        bool right = c < static_cast<int>(columns.size()) && columns[static_cast<std::size_t>(c)].alignment == Alignment::Right;
        std::string text = CellText(index, c);
        // A caption too long for its column loses part of its name, never its marks.
        const std::size_t marks = c == 0 ? List().Item(index).marks : 0;
        auto measure = [dc](const std::string& s) {
            SIZE size{0, 0};
            GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
            return static_cast<int>(size.cx);
        };
        if (marks > 0) text = FitCaption(text, marks, cell.right - cell.left, measure);
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &cell,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | (right ? DT_RIGHT : DT_LEFT));
    }
    if ((item.itemState & ODS_FOCUS) && GetFocus() == hwnd_) DrawFocusRect(dc, &row);
    return true;
}

void ListViewPeer::LoadBackground() {
    background_ = BitmapFromBmp(List().Background());
    BITMAP info{};
    if (background_ && GetObjectA(background_.Get(), sizeof info, &info))
        backgroundSize_ = SIZE{info.bmWidth, info.bmHeight};
    else
        background_.Reset();
}

void ListViewPeer::PaintBackground(HDC dc, const RECT& area) {
    if (!background_ || backgroundSize_.cx <= 0 || backgroundSize_.cy <= 0) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    // The tiles are laid from the first item's place, so they move with the rows when the
    // list scrolls and the part the list shifts matches the part it repaints.
    int header = 0;
    HWND headerWindow = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
    if (headerWindow && IsWindowVisible(headerWindow)) {
        RECT r;
        GetWindowRect(headerWindow, &r);
        header = r.bottom - r.top;
    }
    int originY = header - NativeTop() * RowHeight();
    int originX = -GetScrollPos(hwnd_, SB_HORZ);
    const int w = backgroundSize_.cx, h = backgroundSize_.cy;
    MemoryDC memory(dc);
    Selected bitmap(memory.Get(), background_.Get());
    int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    for (int y = FloorTo(area.top, originY, h); y < area.bottom; y += h)
        for (int x = FloorTo(area.left, originX, w); x < area.right; x += w) BitBlt(dc, x, y, w, h, memory.Get(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

}  // namespace tastavia::ui::win32
