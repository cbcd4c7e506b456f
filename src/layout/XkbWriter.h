#pragma once
// A layout as an XKB symbols file for Linux: one group, two levels, characters as
// Unicode keysyms (U0430). Keys with the Caps-Lock flag get the type ALPHABETIC, where
// Caps Lock acts as Shift and Shift with Caps Lock gives the first level, as on
// Windows; the others TWO_LEVEL. Unlike Windows, X still capitalises a lower-case letter
// on a TWO_LEVEL key under Caps Lock (BDS's ы on Shift+Q gives Ы there).
#include <string>

#include "layout/LayoutExport.h"
#include "layout/LayoutKeys.h"

namespace tastavia {

// UTF-8 text (the characters appear in comments only; the rest is ASCII).
std::string XkbSymbolsText(const LayoutKeys& keys, const ExportIdentity& identity);

// The XKB key name of a key: "TLDE", "AE01", "AD01", "BKSL", "SPCE".
std::string XkbKeyName(KeyNumber k);
// The keysym written for a character: "U0430", "BackSpace", or "NoSymbol" for none.
std::string XkbKeysym(std::uint16_t u);

}  // namespace tastavia
