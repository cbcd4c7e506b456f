#pragma once
// What one run of the program works with: the layout file kind chosen in the start
// dialog. Owned by the start sequence and handed to the windows that need it.
#include "layout/KeyTable.h"

namespace tastavia {

struct Session {
    OsKind osKind = kOsUnchosen;

    bool Chosen() const { return osKind >= kOsWin9x && osKind <= kOsWinXp; }
    bool IsWin9x() const { return osKind == kOsWin9x; }
};

}  // namespace tastavia
