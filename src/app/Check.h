#pragma once
// TForm6, the layout check: the findings of the working layout file, one a row, from
// which the user picks a key to go to in the editor.
#include <vector>

#include "layout/LayoutCheck.h"
#include "platform/Resources.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"

namespace tastavia {

class TForm6 : public ui::Form {
public:
    TForm6(ui::Application& app, Resources& resources);

    ui::Label Label1{this, "Label1"};        // how many findings
    ui::ListView ListView1{this, "ListView1"};  // kind, key, details
    ui::Label Label2{this, "Label2"};        // the selected finding in full
    ui::Button Button1{this, "Button1"};     // Show Key
    ui::Button Button2{this, "Button2"};     // Close

    // Shows the findings modally; the key the user chose to go to, or 0.
    KeyNumber ShowFindings(const std::vector<Finding>& findings);
    // Lists the findings without showing the window.
    void SetFindings(const std::vector<Finding>& findings);
    const std::vector<Finding>& Findings() const { return findings_; }

    void ListView1SelectItem();
    void ListView1DblClick(int index);
    void ListView1CustomDraw();
    void Button1Click();
    void Button2Click() { Close(); }

private:
    void CreateControls();
    void Fill();
    // Closes the window with the finding's key chosen; a finding of no key stays open.
    void GoToKey(int index);

    std::vector<Finding> findings_;
    KeyNumber chosenKey_ = 0;
};

}  // namespace tastavia
