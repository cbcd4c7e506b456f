#include "app/EditState.h"

#include "platform/Errors.h"

namespace tastavia {

const char* const kDiscardQuestion =
    "The layout being edited has changes that are not saved (neither installed nor exported to an INI file). "
    "Discard them?";
const char* const kUnsavedChangesText = "The layout has changes that are not saved";

void EditState::MarkSaved(WorkingLayout& layout) {
    saved_.reset();
    changed_ = false;
    checkedWrites_ = layout.Writes();
    if (!layout.IsOpen()) return;
    try {
        saved_ = ReadLayoutKeys(layout);
    } catch (const AppError&) {
        // Nothing to compare with: whatever is there counts as a change.
        changed_ = true;
    }
}

bool EditState::HasChanges(WorkingLayout& layout) {
    if (!layout.IsOpen()) return false;
    if (layout.Writes() == checkedWrites_) return changed_;
    checkedWrites_ = layout.Writes();
    try {
        changed_ = !saved_ || ReadLayoutKeys(layout) != *saved_;
    } catch (const AppError&) {
        changed_ = true;
    }
    return changed_;
}

std::string FailureText(const std::string& action, const std::string& reason) {
    const std::string what = action.empty() ? "The last action" : "\"" + action + "\"";
    return what + " could not be finished.\r\rReason: " + reason;
}

}  // namespace tastavia
