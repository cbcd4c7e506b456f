#pragma once
// Whether the layout being edited has changes since it was opened, installed or
// exported: its keys are compared with those it had then, so that a change undone by
// hand, or an import of the same layout, leaves nothing to lose.
#include <cstdint>
#include <optional>
#include <string>

#include "layout/LayoutKeys.h"
#include "layout/WorkingLayout.h"

namespace tastavia {

// Asked before New, Load, an INI import, a built-in layout or Close drops such changes.
extern const char* const kDiscardQuestion;
// Shown in the main window while there are such changes.
extern const char* const kUnsavedChangesText;

class EditState {
public:
    // The keys as they are now count as kept: just opened, installed or exported.
    void MarkSaved(WorkingLayout& layout);
    // Whether the keys differ from the kept ones. Reads them only after writes; a
    // file that cannot be read counts as changed, so that nothing goes unasked.
    bool HasChanges(WorkingLayout& layout);

private:
    std::optional<LayoutKeys> saved_;
    std::uint32_t checkedWrites_ = 0;
    bool changed_ = false;
};

// The one message of a command that failed: which action stopped, and why.
std::string FailureText(const std::string& action, const std::string& reason);

}  // namespace tastavia
