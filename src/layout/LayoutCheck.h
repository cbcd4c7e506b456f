#pragma once
// A layout check that knows Bulgarian: the 30 letters of the alphabet, each once in
// lower and once in upper case, the pair on one key (lower unshifted, upper shifted);
// the Caps-Lock flag on the letter keys and not on the others, or consistently the
// reverse; no character on two keys; no control characters; no key left empty.
//
// Neither built-in layout gives a finding. Their quirks pass by design: BDS has the
// Russian ы only in lower case (Shift+Q, Caps Lock off on that key) and э/Э, Latin I
// and V on Shift+- and Shift+=; these are no Bulgarian letters and are not checked.
// Neither puts a character on two keys: the space bar's space on both levels is one key.
#include <string>
#include <vector>

#include "layout/LayoutKeys.h"

namespace tastavia {

enum class FindingKind {
    EmptyKey,            // a key, or one level of it, has no character
    ControlCharacter,    // a control character, or a byte that is no Windows-1251 character
    MissingLetter,       // a Bulgarian letter is on no key
    LetterCase,          // a letter's lower and upper case are not one key's two levels
    DuplicateCharacter,  // one character on two or more keys
    CapsFlag,            // the Caps-Lock flag breaks the layout's convention
};

struct Finding {
    FindingKind kind;
    KeyNumber key;           // the key to show the user; 0 when the finding has none
    std::string characters;  // the characters involved, Windows-1251
    std::string text;        // one line, Windows-1251, naming the keys and characters
};

// In the order of the kinds above, each kind in key order.
std::vector<Finding> CheckLayout(const LayoutKeys& keys);

// A short name of the kind: "empty key", "control character", ...
const char* FindingKindName(FindingKind kind);
// "key 15 (Q)": the key number and the legend of the physical key.
std::string KeyLabel(KeyNumber k);
// "ж (230)", "space (32)", "control (27)": a character as the findings show it.
std::string CharLabel(std::uint8_t c);

}  // namespace tastavia
