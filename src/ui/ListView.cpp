#include "ui/ListView.h"

#include <algorithm>

namespace tastavia::ui {

namespace {
constexpr int kBorder = 2;  // a sunken edge on each side
constexpr int kDefaultItemHeight = 16;
}  // namespace

void ListView::AddColumn(const ListColumn& column) {
    columns_.push_back(column);
    Notify(Change::Items);
}

void ListView::SetColumnWidth(int column, int width) {
    ListColumn& c = columns_.at(static_cast<std::size_t>(column));
    if (c.width == width) return;
    c.width = width;
    Notify(Change::Columns);
}

std::string FitCaption(const std::string& caption, std::size_t marks, int width,
                       const std::function<int(const std::string&)>& measure) {
    if (measure(caption) <= width) return caption;
    marks = std::min(marks, caption.size());
    const std::string tail = "..." + caption.substr(caption.size() - marks);
    const std::string name = caption.substr(0, caption.size() - marks);
    // The longest start of the name that fits with the ellipsis and the marks.
    std::size_t low = 0, high = name.size();
    while (low < high) {
        std::size_t mid = (low + high + 1) / 2;
        if (measure(name.substr(0, mid) + tail) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return name.substr(0, low) + tail;
}

int ListView::AddItem(const std::string& caption, std::size_t marks) {
    items_.push_back(ListItem{caption, {}, std::min(marks, caption.size())});
    Notify(Change::Items);
    return Count() - 1;
}

void ListView::SetItemCaption(int index, const std::string& caption, std::size_t marks) {
    ListItem& item = items_.at(static_cast<std::size_t>(index));
    item.caption = caption;
    item.marks = std::min(marks, caption.size());
    Notify(Change::ItemText);
}

void ListView::AppendItemMark(int index, const std::string& mark) {
    const ListItem& item = Item(index);
    SetItemCaption(index, item.caption + mark, item.marks + mark.size());
}

void ListView::SetSubItem(int index, int subItem, const std::string& text) {
    auto& subs = items_.at(static_cast<std::size_t>(index)).subItems;
    if (subs.size() <= static_cast<std::size_t>(subItem)) subs.resize(static_cast<std::size_t>(subItem) + 1);
    subs[static_cast<std::size_t>(subItem)] = text;
    Notify(Change::ItemText);
}

void ListView::Clear() {
    // Clearing deselects quietly, as the platform's list does when it deletes items.
    items_.clear();
    selected_ = -1;
    topIndex_ = 0;
    hover_ = -1;
    Notify(Change::Items);
}

void ListView::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) Notify(Change::Items);
}

void ListView::SetSelected(int index) {
    if (index < -1 || index >= Count()) index = -1;
    browsed_ = false;
    if (index == selected_) return;
    // As on the platform: the old item loses the selection first, while none is
    // selected, then the new one gains it.
    int previous = selected_;
    if (previous >= 0) {
        selected_ = -1;
        Notify(Change::Selection);
        if (onSelectItem) Fire([this, previous] { onSelectItem(previous, false); });
        if (selected_ != -1) return;  // a handler selected something else meanwhile
    }
    if (index >= 0) {
        selected_ = index;
        Notify(Change::Selection);
        if (onSelectItem) Fire([this, index] { onSelectItem(index, true); });
    }
}

void ListView::SetTopIndex(int index) {
    index = std::max(0, std::min(index, std::max(0, Count() - VisibleRows())));
    if (index == topIndex_) return;
    topIndex_ = index;
    Notify(Change::Scroll);
}

void ListView::MakeVisible(int index) {
    if (index < 0 || index >= Count()) return;
    int rows = std::max(1, VisibleRows());
    if (index < topIndex_)
        SetTopIndex(index);
    else if (index >= topIndex_ + rows)
        SetTopIndex(index - rows + 1);
}

int ListView::VisibleRows() const {
    if (visibleRows_ > 0) return visibleRows_;
    int height = itemHeight > 0 ? itemHeight : kDefaultItemHeight;
    int header = showColumnHeaders ? height + 4 : 0;
    return std::max(1, (Bounds().height - 2 * kBorder - header) / height);
}

int ListView::ClientWidth() const { return clientWidth_ >= 0 ? clientWidth_ : std::max(0, Bounds().width - 2 * kBorder); }

void ListView::SetBackground(const std::string& bitmapBytes) {
    background_ = bitmapBytes;
    Notify(Change::Picture);
}

void ListView::UserClick(int index, MouseButton button) {
    if (!Usable()) return;
    if (mouseFilter && !mouseFilter(button)) return;
    if (button == MouseButton::Left && index >= 0 && index < Count())
        Fire([this, index] {
            if (index == selected_)
                ReportBrowsed();  // a click on the item the keys came to
            else
                SetSelected(index);
        });
}

void ListView::UserSelect(int index) {
    if (Usable() && index >= -1 && index < Count()) Fire([this, index] { SetSelected(index); });
}

void ListView::UserMove(int index) {
    if (!keysBrowse) {
        UserSelect(index);
        return;
    }
    if (!Usable() || index < -1 || index >= Count() || index == selected_) return;
    // The window shows the move; the handlers hear of it when the user confirms it.
    selected_ = index;
    browsed_ = index >= 0;
    Notify(Change::Selection);
}

void ListView::UserConfirm() {
    if (Usable()) Fire([this] { ReportBrowsed(); });
}

void ListView::ReportBrowsed() {
    if (!browsed_) return;
    browsed_ = false;
    const int index = selected_;
    if (index >= 0 && onSelectItem) onSelectItem(index, true);
}

void ListView::UserDoubleClick(int index) {
    if (!Usable() || index < 0 || index >= Count()) return;
    Fire([this, index] {
        if (index == selected_)
            ReportBrowsed();
        else
            SetSelected(index);
        if (onDoubleClick) onDoubleClick(index);
    });
}

void ListView::UserHover(int index) {
    if (index < -1 || index >= Count()) index = -1;
    if (!itemHint || index == hover_) return;
    hover_ = index;
    SetHint(index >= 0 ? itemHint(index) : std::string());
}

void ListView::CustomDraw() { Fire(onCustomDraw); }

}  // namespace tastavia::ui
