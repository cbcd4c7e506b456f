#pragma once
// Typing with a layout file as Windows types with the installed layout: the physical key
// by its scan code, the level by Shift, and Caps Lock acting as Shift where the key's
// Caps-Lock flag is set (Shift with Caps Lock then gives the unshifted character).
#include <cstdint>
#include <optional>

#include "layout/KeyTable.h"
#include "layout/WorkingLayout.h"

namespace tastavia {

// The key with this set-1 scan code; 0 for a key that is not among the 48, and for
// every key with the E0 prefix (the keypad's / shares its code with key 47).
KeyNumber KeyOfScanCode(std::uint8_t scanCode, bool extended = false);

// The level a key types at.
ShiftState TypingLevel(bool shift, bool capsLock, bool capsFlag);

struct TypedKey {
    KeyNumber key;
    ShiftState level;
    std::uint8_t character;  // Windows-1251; 0: the level has no character
};

// What a key of the physical keyboard types with the working layout file, or nothing
// for a key that is not among the 48. IoError as the key access throws it.
std::optional<TypedKey> TypeKey(WorkingLayout& layout, std::uint8_t scanCode, bool extended, bool shift,
                                bool capsLock);

}  // namespace tastavia
