#pragma once
// Two layouts side by side: the keys whose characters or Caps Lock flag differ.
#include <string>
#include <vector>

#include "layout/LayoutKeys.h"
#include "platform/Platform.h"

namespace tastavia {

struct KeyDifference {
    KeyNumber key;
    KeyChars first;   // in the first layout
    KeyChars second;  // in the second
};

// In key order; empty when the layouts are the same on all 48 keys.
std::vector<KeyDifference> CompareLayouts(const LayoutKeys& first, const LayoutKeys& second);

// "key 15 (Q): unshifted , (44) -> я (255), Caps Lock off -> on": only what differs,
// Windows-1251, keys named as the check and show name them.
std::string DifferenceText(const KeyDifference& difference);
// "unshifted, shifted", "Caps Lock", ...: the levels that differ, for a list column.
std::string DifferenceKind(const KeyDifference& difference);

// Any layout file a layout can be compared with: a layout file of a kind the program
// writes (recognised by its size and tables), or an INI file with a KBD section, read
// over the XP template. The file itself is never changed: keys are read from a scratch
// copy. IoError with the reason when the file is none of these or cannot be read.
LayoutKeys ReadLayoutForCompare(Platform& platform, const std::string& path);

}  // namespace tastavia
