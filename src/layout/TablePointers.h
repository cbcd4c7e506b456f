#pragma once
// Every pointer of a layout library's tables, found from the record KbdLayerDescriptor
// returns as the system follows them: the record's own, the modifiers' key list, each
// character table and each key name. The loader must move exactly these when the library
// does not load at its own base: a pointer it leaves would lead outside the library, a
// relocation elsewhere would change the bytes it lands on.
#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "layout/PeSoundness.h"

namespace tastavia {

// The RVA of each non-NULL pointer field, pointers being `pointerSize` (4 or 8) bytes;
// nothing when one leaves the image or a list does not end inside it.
std::optional<std::set<std::uint32_t>> TablePointerFields(const std::string& bytes, const PeFacts& facts,
                                                          std::uint32_t recordRva, std::uint32_t pointerSize);

// Whether the library's relocations are exactly its tables' pointers, and `extra` (the
// code's own address, where the code holds one).
bool RelocatesExactlyItsPointers(const std::string& bytes, const PeFacts& facts, std::uint32_t recordRva,
                                 std::uint32_t pointerSize, std::optional<std::uint32_t> extra);

}  // namespace tastavia
