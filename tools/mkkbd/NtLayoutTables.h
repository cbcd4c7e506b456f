#pragma once
// The keyboard tables of the NT layout library: the record KbdLayerDescriptor returns
// and everything it points to, with the BDS layout in the character tables.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "PeImage.h"
#include "layout/KeyTable.h"

namespace mkkbd {

// The scan code table's virtual key (flags stripped) for a scan code.
std::uint8_t VirtualKeyOfScanCode(std::uint8_t scanCode);

// The section offset at which the program will patch a key's unshifted code unit.
using KeyPlace = std::function<std::size_t(tastavia::KeyNumber)>;

// Writes the tables into the section, the character tables at the keys' places
// (throws std::logic_error when the tables cannot lie there), and returns the
// section offset of the record.
std::size_t WriteLayoutTables(SectionWriter& data, const KeyPlace& place);

}  // namespace mkkbd
