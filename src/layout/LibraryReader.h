#pragma once
// The tables of any Windows keyboard layout library, whoever made it: x86 (with 4-byte
// or, as in the WOW64 folder, 8-byte table pointers), x64 and ARM64. The file is read as
// data, never loaded or run: the record KbdLayerDescriptor returns is found from the
// export's code (mov eax / lea rax / adrp+add) or, failing that, by a bounded search for
// a sound record, and every pointer and count is checked against the image first.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "layout/PeImage.h"

namespace tastavia {

constexpr std::uint16_t kWchNone = 0xF000;
constexpr std::uint16_t kWchDead = 0xF001;
constexpr std::uint16_t kWchLigature = 0xF002;
constexpr std::uint8_t kAttrCapLok = 0x01;
constexpr std::uint8_t kAttrSgCaps = 0x02;
constexpr std::uint8_t kAttrCapLokAltGr = 0x04;
constexpr std::uint8_t kShiftInvalid = 0x0F;

// One row of a character table, with the rows that belong to it.
struct KbdCharEntry {
    std::uint8_t vk = 0;
    std::uint8_t attributes = 0;
    std::vector<std::uint16_t> chars;      // one per column (shift state) of its table
    std::vector<std::uint16_t> capsChars;  // SGCAPS: the Caps Lock characters of the next row
    std::vector<std::uint16_t> deadChars;  // where a column is WCH_DEAD: the dead character in the row after
};

struct KbdLigature {
    std::uint8_t vk;
    std::uint8_t column;
    std::vector<std::uint16_t> chars;  // up to the first NUL or WCH_NONE
};

struct KbdDeadKey {
    std::uint16_t accent, base, composed, flags;
};

struct KbdScanVk {
    std::uint8_t scan;
    std::uint16_t vk;  // with the KBDEXT... flags in the high byte
};

struct KbdKeyName {
    std::uint8_t scan;
    std::vector<std::uint16_t> name;
};

struct KbdTables {
    std::uint16_t machine = 0;
    unsigned pointerWidth = 4;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> modifierKeys;  // virtual key, modifier bits
    std::vector<std::uint8_t> modificationNumbers;  // column of each combination of modifier bits
    std::vector<KbdCharEntry> entries;             // the rows of every table, in order
    std::vector<KbdDeadKey> deadKeys;
    std::vector<KbdKeyName> keyNames, extendedKeyNames;
    std::vector<std::vector<std::uint16_t>> deadKeyNames;
    std::vector<std::uint16_t> scanToVk;  // by scan code
    std::vector<KbdScanVk> e0, e1;
    std::uint32_t localeFlags = 0;
    std::vector<KbdLigature> ligatures;

    // The column of a combination of modifier bits, or -1 when it types nothing.
    int Column(unsigned bits) const {
        if (bits >= modificationNumbers.size() || modificationNumbers[bits] == kShiftInvalid) return -1;
        return modificationNumbers[bits];
    }
};

// The tables of a layout library; LibraryFault with the reason when there are none or
// they are not sound.
KbdTables ReadKbdTables(const std::string& bytes);

}  // namespace tastavia
