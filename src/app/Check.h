#pragma once
// TForm6, the layout check: the findings of the working layout file, one a row, from
// which the user picks a key to go to in the editor.
#include <vector>

#include "app/KeyList.h"
#include "layout/LayoutCheck.h"

namespace tastavia {

class TForm6 : public KeyListForm {
public:
    TForm6(ui::Application& app, Resources& resources);

    // Shows the findings modally; the key the user chose to go to, or 0.
    KeyNumber ShowFindings(const std::vector<Finding>& findings);
    // Lists the findings (kind, key, details) without showing the window.
    void SetFindings(const std::vector<Finding>& findings);
};

}  // namespace tastavia
