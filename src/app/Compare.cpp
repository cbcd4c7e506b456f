#include "app/Compare.h"

#include "layout/LayoutCheck.h"

namespace tastavia {

TForm9::TForm9(ui::Application& app, Resources& resources)
    : KeyListForm(app, resources, "Form9", "Compare Layouts", {"Key", 80}, {"Differs", 130},
                  "Selects this key in the editor") {}

KeyNumber TForm9::ShowDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName) {
    SetDifferences(differences, otherName);
    return ShowRows();
}

void TForm9::SetDifferences(const std::vector<KeyDifference>& differences, const std::string& otherName) {
    std::vector<Row> rows;
    for (const KeyDifference& difference : differences)
        rows.push_back({difference.key,
                        {KeyLabel(difference.key), DifferenceKind(difference), DifferenceText(difference)},
                        DifferenceText(difference) + " (this layout -> the other)"});
    const std::size_t count = differences.size();
    SetRows(std::move(rows), count == 0 ? "The layout is the same as " + otherName + "."
                             : count == 1
                                 ? "1 key differs from " + otherName + ". Double-click it to show it in the editor."
                                 : std::to_string(count) + " keys differ from " + otherName +
                                       ". Double-click one to show it in the editor.");
}

}  // namespace tastavia
