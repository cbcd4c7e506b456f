#include "ui/PageControl.h"

namespace tastavia::ui {

TabSheet& PageControl::AddPage(const std::string& name, const std::string& caption) {
    pages_.push_back(std::make_unique<TabSheet>(this, name));
    TabSheet& page = *pages_.back();
    page.SetCaption(caption);
    page.SetVisible(false);
    if (active_ < 0) SetActivePage(0);
    return page;
}

void PageControl::SetActivePage(int index) {
    if (index < 0 || index >= PageCount() || index == active_) return;
    if (active_ >= 0) Page(active_).SetVisible(false);
    active_ = index;
    Page(active_).SetVisible(true);
    Notify(Change::Page);
}

}  // namespace tastavia::ui
