#pragma once
// A window that lists keys of the edited layout, one a row of three columns, with the
// selected row in full below it; Show Key, or a double-click, closes it with that row's
// key chosen for the editor. The layout check and the comparison are two such lists.
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Resources.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace tastavia {

class KeyListForm : public ui::Form {
public:
    ui::Label Label1{this, "Label1"};           // what the rows are, and how many
    ui::ListView ListView1{this, "ListView1"};  // the three columns
    ui::Label Label2{this, "Label2"};           // the selected row in full
    ui::Button Button1{this, "Button1"};        // Show Key
    ui::Button Button2{this, "Button2"};        // Close

    void ListView1SelectItem();
    void ListView1DblClick(int index) { GoToKey(index); }
    void ListView1CustomDraw();
    void Button1Click() { GoToKey(ListView1.Selected()); }
    void Button2Click() { Close(); }

protected:
    struct Column {
        const char* caption;
        int width;
    };
    // A row of no key (0) can be read but not gone to.
    struct Row {
        KeyNumber key;
        std::string cells[3];
        std::string detail;  // Label2's text while it is selected
    };
    // The first two columns as given; the third takes the width left.
    KeyListForm(ui::Application& app, Resources& resources, const char* name, const char* caption, Column first,
                Column second, const char* showKeyHint);

    // Lists the rows under the summary without showing the window, the first selected.
    void SetRows(std::vector<Row> rows, const std::string& summary);
    // Shows the rows set modally; the key the user chose to go to, or 0.
    KeyNumber ShowRows();

private:
    // Closes the window with the row's key chosen; a row of no key leaves it open.
    void GoToKey(int index);

    int fixedWidth_;  // of the first two columns
    std::vector<Row> rows_;
    KeyNumber chosenKey_ = 0;
};

}  // namespace tastavia
