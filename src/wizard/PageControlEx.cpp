#include "wizard/PageControlEx.h"

#include <algorithm>

namespace tastavia {

TPageControlEx::TPageControlEx(ui::Widget* parent, std::string name) : PageControl(parent, std::move(name)) {
    // The Win32 peer then hides the strip and lets the pages cover the frame as well.
    showTabs = false;
}

ui::TabSheet& TPageControlEx::AddNumberedPage(int number, const std::string& name) {
    ui::TabSheet& page = AddPage(name, "");
    page.tabVisible = false;
    numbers_.push_back(number);
    return page;
}

bool TPageControlEx::HasPage(int number) const {
    return std::find(numbers_.begin(), numbers_.end(), number) != numbers_.end();
}

bool TPageControlEx::ShowPage(int number) {
    auto found = std::find(numbers_.begin(), numbers_.end(), number);
    if (found == numbers_.end()) return false;
    SetActivePage(static_cast<int>(found - numbers_.begin()));
    return true;
}

int TPageControlEx::ShownPage() const {
    int index = ActivePage();
    return index >= 0 && index < static_cast<int>(numbers_.size()) ? numbers_[static_cast<std::size_t>(index)] : 0;
}

}  // namespace tastavia
