#pragma once
// TPageControlEx: a page control without a tab strip. Its pages fill the whole control
// and only the program chooses which one shows, by page number.
#include <string>
#include <vector>

#include "ui/PageControl.h"

namespace tastavia {

class TPageControlEx : public ui::PageControl {
public:
    TPageControlEx(ui::Widget* parent, std::string name);

    // Adds a tab-invisible page that the program later chooses by number.
    ui::TabSheet& AddNumberedPage(int number, const std::string& name);
    bool HasPage(int number) const;
    // Shows the page of that number; false, and nothing changes, for an unknown one.
    bool ShowPage(int number);
    // The number of the page shown, 0 before any.
    int ShownPage() const;

private:
    std::vector<int> numbers_;  // page number of each page, by index
};

}  // namespace tastavia
