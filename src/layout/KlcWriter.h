#pragma once
// A layout as a klc file: the text source that today's Windows layout tools compile
// into a layout library. UTF-16 LE with a byte order mark, CR LF line ends.
#include <string>

#include "layout/LayoutExport.h"
#include "layout/LayoutKeys.h"

namespace tastavia {

// Shift states 0 (none), 1 (Shift), 2 (Ctrl) and 3 (Shift+Ctrl) with the characters our
// layout libraries type; Cap 1 where the Caps-Lock flag is set; -1 where a key types nothing.
// Keys keep their standard virtual keys, so shortcuts stay where users expect them.
std::string KlcFileBytes(const LayoutKeys& keys, const ExportIdentity& identity);

// The virtual-key name of a key as the LAYOUT section writes it: "OEM_3", "1", "Q", "SPACE".
std::string KlcVirtualKeyName(KeyNumber k);

}  // namespace tastavia
