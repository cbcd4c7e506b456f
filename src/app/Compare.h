#pragma once
// TForm9, the comparison of the edited layout with another: the keys that differ, one a
// row, from which the user picks a key to go to in the editor.
#include <string>
#include <vector>

#include "layout/LayoutCompare.h"
#include "platform/Resources.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace tastavia {

class TForm9 : public ui::Form {
public:
    TForm9(ui::Application& app, Resources& resources);

    ui::Label Label1{this, "Label1"};           // how many keys differ, and from what
    ui::ListView ListView1{this, "ListView1"};  // key, what differs, details
    ui::Label Label2{this, "Label2"};           // the selected difference in full
    ui::Button Button1{this, "Button1"};        // Show Key
    ui::Button Button2{this, "Button2"};        // Close

    // Shows the differences from the layout named modally; the key chosen, or 0.
    KeyNumber ShowDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName);
    // Lists them without showing the window.
    void SetDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName);
    const std::vector<KeyDifference>& Differences() const { return differences_; }

    void ListView1SelectItem();
    void ListView1DblClick(int index) { GoToKey(index); }
    void ListView1CustomDraw();
    void Button1Click() { GoToKey(ListView1.Selected()); }
    void Button2Click() { Close(); }

private:
    void CreateControls();
    void GoToKey(int index);

    std::vector<KeyDifference> differences_;
    KeyNumber chosenKey_ = 0;
};

}  // namespace tastavia
