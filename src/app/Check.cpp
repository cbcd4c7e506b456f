#include "app/Check.h"

namespace tastavia {

TForm6::TForm6(ui::Application& app, Resources& resources)
    : KeyListForm(app, resources, "Form6", "Layout Check", {"Kind", 120}, {"Key", 80},
                  "Selects the key of this finding in the editor") {}

KeyNumber TForm6::ShowFindings(const std::vector<Finding>& findings) {
    SetFindings(findings);
    return ShowRows();
}

void TForm6::SetFindings(const std::vector<Finding>& findings) {
    std::vector<Row> rows;
    for (const Finding& finding : findings)
        rows.push_back({finding.key, {FindingKindName(finding.kind), finding.key != 0 ? KeyLabel(finding.key) : "",
                                      finding.text}, finding.text});
    const std::size_t count = findings.size();
    SetRows(std::move(rows), count == 0   ? "No problems found."
                             : count == 1 ? "1 problem found. Double-click it to show its key in the editor."
                                          : std::to_string(count) +
                                                " problems found. Double-click one to show its key in the editor.");
}

}  // namespace tastavia
