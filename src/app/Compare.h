#pragma once
// TForm9, the comparison of the edited layout with another: the keys that differ, one a
// row, from which the user picks a key to go to in the editor.
#include <string>
#include <vector>

#include "app/KeyList.h"
#include "layout/LayoutCompare.h"

namespace tastavia {

class TForm9 : public KeyListForm {
public:
    TForm9(ui::Application& app, Resources& resources);

    // Shows the differences from the layout named modally; the key chosen, or 0.
    KeyNumber ShowDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName);
    // Lists them (key, what differs, details) without showing the window.
    void SetDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName);
};

}  // namespace tastavia
