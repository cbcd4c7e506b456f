#pragma once
// Pages of controls, one shown at a time.
#include <memory>
#include <string>
#include <vector>

#include "ui/Widget.h"

namespace tastavia::ui {

class TabSheet : public Widget {
public:
    using Widget::Widget;
    bool tabVisible = true;
};

class PageControl : public Widget {
public:
    using Widget::Widget;
    // The page becomes a child of this control; the control owns it.
    TabSheet& AddPage(const std::string& name, const std::string& caption);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TabSheet& Page(int index) { return *pages_.at(static_cast<std::size_t>(index)); }
    int ActivePage() const { return active_; }
    void SetActivePage(int index);
    // Without tabs, pages fill the whole control and only the program switches them.
    bool showTabs = true;

private:
    std::vector<std::unique_ptr<TabSheet>> pages_;
    int active_ = -1;
};

}  // namespace tastavia::ui
