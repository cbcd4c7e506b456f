#pragma once
// The 48 character keys every layout consists of, and where each lives in the two
// kinds of layout file.
#include <array>
#include <cstdint>

namespace tastavia {

using KeyNumber = std::uint8_t;  // 1..48; 0 means no key
constexpr KeyNumber kKeyCount = 48;
constexpr KeyNumber kSpaceBar = 48;

enum class ShiftState { Unshifted, Shifted };

// OS kind: which layout file kind the program works with.
using OsKind = std::uint8_t;
constexpr OsKind kOsWin9x = 1;
constexpr OsKind kOsWin2000 = 2;
constexpr OsKind kOsWinXp = 3;
// The libraries 64-bit Windows needs (x64 or ARM64, and WOW64 beside either): made from
// an XP working file when installing, and kinds of their own only for the command line.
// The start dialog offers 1..3.
constexpr OsKind kOsX64 = 4;
constexpr OsKind kOsWow64 = 5;
constexpr OsKind kOsArm64 = 6;
constexpr OsKind kOsUnchosen = 100;

struct KeyInfo {
    KeyNumber number;
    const char* physicalKey;  // the US legend of the key
    std::uint8_t scanCode;    // set 1
    // Windows 9x layout file: character bytes, Caps-Lock byte and bit position
    // (1 = most significant bit). An unshifted offset of 0 marks the fixed space bar.
    std::uint16_t win9xUnshifted;
    std::uint16_t win9xShifted;
    std::uint16_t win9xCapsByte;
    std::uint8_t win9xCapsPosition;
    // NT layout library: the file offset, in the Windows 2000 library, of the key's
    // unshifted code unit.
    std::uint16_t ntOffset;
};

// Entry k-1 describes key k.
const std::array<KeyInfo, kKeyCount>& KeyTable();
const KeyInfo& Key(KeyNumber k);

inline bool IsKeyNumber(unsigned k) { return k >= 1 && k <= kKeyCount; }

}  // namespace tastavia
