#pragma once
// All 48 keys of a layout read at once, for the whole-layout operations (the check and
// the exports to other systems) that need every key side by side.
#include <array>
#include <cstdint>

#include "layout/KeyAccess.h"
#include "layout/KeyTable.h"
#include "layout/WorkingLayout.h"

namespace tastavia {

struct KeyChars {
    std::uint8_t unshifted = 0;  // Windows-1251; 0 is no character
    std::uint8_t shifted = 0;
    bool caps = false;

    std::uint8_t Char(ShiftState shift) const { return shift == ShiftState::Shifted ? shifted : unshifted; }
    bool operator==(const KeyChars& other) const {
        return unshifted == other.unshifted && shifted == other.shifted && caps == other.caps;
    }
    bool operator!=(const KeyChars& other) const { return !(*this == other); }
};

// Entry k-1 holds key k.
using LayoutKeys = std::array<KeyChars, kKeyCount>;

inline const KeyChars& At(const LayoutKeys& keys, KeyNumber k) { return keys[Key(k).number - 1]; }
inline KeyChars& At(LayoutKeys& keys, KeyNumber k) { return keys[Key(k).number - 1]; }

// Read through the key access operations, so every kind of layout file gives the same
// table for the same layout. IoError as the operations throw it.
LayoutKeys ReadLayoutKeys(KeyAccess& access);
LayoutKeys ReadLayoutKeys(WorkingLayout& layout);

}  // namespace tastavia
