#pragma once
// A report-style list with whole-row selection and at most one selected item.
#include <functional>
#include <string>
#include <vector>

#include "ui/Widget.h"

namespace tastavia::ui {

struct ListColumn {
    std::string caption;
    int width = 50;
    Alignment alignment = Alignment::Left;
};

struct ListItem {
    std::string caption;
    std::vector<std::string> subItems;
    // How many characters at the end of the caption are marks ("*", " - [BASE]"): when
    // the caption is too long for its column, the name before them is cut, not they.
    std::size_t marks = 0;
};

// The caption as a column of that width shows it: whole when it fits, else its name cut
// with "..." and its last marks characters kept whole. measure gives a text's width.
std::string FitCaption(const std::string& caption, std::size_t marks, int width,
                       const std::function<int(const std::string&)>& measure);

class ListView : public Widget {
public:
    using Widget::Widget;

    // (item, selected): an item gained or lost the selection.
    std::function<void(int, bool)> onSelectItem;
    // Before the list paints.
    std::function<void()> onCustomDraw;
    // (item): the user double-clicked an item.
    std::function<void(int)> onDoubleClick;
    // Asked for every mouse-button press on the list; false drops the press.
    std::function<bool(MouseButton)> mouseFilter;

    // An item's hint (empty: none). With it, the list's hint is that of the item under
    // the mouse, so that a caption cut to fit shows whole.
    std::function<std::string(int)> itemHint;

    bool showColumnHeaders = true;
    bool readOnly = true;
    bool rowSelect = true;
    bool hideSelection = false;
    int itemHeight = 0;  // 0: the font's
    // Keys only browse: a selection moved with the keyboard is reported (onSelectItem)
    // when the user confirms it with Enter or Space, or double-clicks; clicks at once.
    bool keysBrowse = false;

    const std::vector<ListColumn>& Columns() const { return columns_; }
    void AddColumn(const ListColumn& column);
    void SetColumnWidth(int column, int width);

    int Count() const { return static_cast<int>(items_.size()); }
    const ListItem& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int AddItem(const std::string& caption, std::size_t marks = 0);
    void SetItemCaption(int index, const std::string& caption, std::size_t marks = 0);
    // Appends a mark to an item's caption; however long the caption, its marks show.
    void AppendItemMark(int index, const std::string& mark);
    void SetSubItem(int index, int subItem, const std::string& text);
    void Clear();
    // Repainting is held back between BeginUpdate and EndUpdate.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();
    // Holds repainting back for as long as it lives, also when a refill fails half way.
    class UpdateScope {
    public:
        explicit UpdateScope(ListView& list) : list_(list) { list_.BeginUpdate(); }
        ~UpdateScope() { list_.EndUpdate(); }
        UpdateScope(const UpdateScope&) = delete;
        UpdateScope& operator=(const UpdateScope&) = delete;

    private:
        ListView& list_;
    };
    bool Updating() const { return updating_ > 0; }

    int Selected() const { return selected_; }  // -1: none
    // Selects an item (-1: none); raises onSelectItem for the item that lost the
    // selection, then for the one that gained it.
    void SetSelected(int index);
    // The first item shown at the top; MakeVisible scrolls the least that shows an item.
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    void MakeVisible(int index);
    // Rows fully shown at once, from the client height and the item height, unless the
    // real control said how many it shows.
    int VisibleRows() const;
    void SetVisibleRows(int rows) { visibleRows_ = rows; }
    // The width inside the border, where the columns are laid out.
    int ClientWidth() const;
    void SetClientWidth(int width) { clientWidth_ = width; }

    void SetBackground(const std::string& bitmapBytes);
    const std::string& Background() const { return background_; }

    // User input. A press the mouse filter drops does nothing. UserSelect is a
    // selection the user made by any means that got past the filter (the keyboard, or
    // a press the native list already let through); -1 clears it.
    void UserClick(int index, MouseButton button = MouseButton::Left);
    void UserSelect(int index);
    // The user moved the selection with the keyboard (arrows, pages, a typed letter).
    void UserMove(int index);
    // Enter or Space on the list: reports the selection the keys moved to, if any.
    void UserConfirm();
    // A double click with the left button on an item that got past the filter.
    void UserDoubleClick(int index);
    // The mouse moved over an item (-1: off the items).
    void UserHover(int index);
    int HoverItem() const { return hover_; }
    void CustomDraw();

private:
    std::vector<ListColumn> columns_;
    std::vector<ListItem> items_;
    void ReportBrowsed();

    int selected_ = -1;
    bool browsed_ = false;  // the selection moved with the keys and is not reported yet
    int topIndex_ = 0;
    int updating_ = 0;
    int clientWidth_ = -1;
    int visibleRows_ = 0;
    int hover_ = -1;
    std::string background_;
};

}  // namespace tastavia::ui
