#pragma once
// Reading a klc file back into a key table: the keys of ours its LAYOUT section names,
// in shift states 0 and 1, with Cap 1 (or any Cap with Caps Lock acting as Shift) as
// the Caps-Lock flag. Keys it does not name stay empty. The Ctrl and Shift+Ctrl
// characters, which our libraries keep fixed, can be read beside them.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "layout/LayoutKeys.h"

namespace tastavia {

class KlcError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The characters of one LAYOUT row in shift states 2 (Ctrl) and 3 (Shift+Ctrl); -1
// where the row types none or SHIFTSTATE lacks the state.
struct KlcControlChars {
    std::uint8_t scanCode;
    std::int32_t ctrl;
    std::int32_t shiftCtrl;
};

// UTF-16 LE with a byte order mark. Throws KlcError "line N: ..." for what this program
// cannot take: dead keys, ligatures, characters Windows-1251 lacks, malformed rows.
// `control`, when given, receives every row's Ctrl and Shift+Ctrl characters.
LayoutKeys ReadKlc(const std::string& bytes, std::vector<KlcControlChars>* control = nullptr);

}  // namespace tastavia
