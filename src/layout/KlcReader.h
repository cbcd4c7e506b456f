#pragma once
// Reading a klc file back into a key table: the keys of ours its LAYOUT section names,
// in shift states 0 and 1, with Cap 1 (or any Cap with Caps Lock acting as Shift) as
// the Caps-Lock flag. Keys it does not name stay empty.
#include <stdexcept>
#include <string>

#include "layout/LayoutKeys.h"

namespace tastavia {

class KlcError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// UTF-16 LE with a byte order mark. Throws KlcError "line N: ..." for what this program
// cannot take: dead keys, ligatures, characters Windows-1251 lacks, malformed rows.
LayoutKeys ReadKlc(const std::string& bytes);

}  // namespace tastavia
