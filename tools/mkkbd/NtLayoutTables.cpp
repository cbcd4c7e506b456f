#include "NtLayoutTables.h"

#include <array>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "Layouts.h"
#include "layout/Charset.h"
#include "layout/KeyNames.h"

namespace mkkbd {

using tastavia::KeyName;
using tastavia::kExtendedKeyNames;
using tastavia::kKeyNames;

namespace {

using tastavia::KeyNumber;

constexpr std::uint16_t kNoChar = 0xF000;
constexpr std::uint8_t kCapsLockActsAsShift = 0x01;
constexpr std::uint32_t kLocaleFlags = 0x00010000;  // version 1, no AltGr
constexpr std::uint32_t kKeyboardType = 4;

// Where the record's fields lie: every pointer takes the section's pointer size and is
// aligned to it; so are the DWORD fields that follow a BYTE.
struct RecordLayout {
    std::size_t p;  // pointer size
    std::size_t Pointer(int index) const { return p * static_cast<std::size_t>(index); }  // the first six pointers
    std::size_t ScanTable() const { return 6 * p; }
    std::size_t ScanCount() const { return 7 * p; }
    std::size_t E0() const { return 8 * p; }
    std::size_t E1() const { return 9 * p; }
    std::size_t LocaleFlags() const { return 10 * p; }
    std::size_t Ligatures() const { return p == 8 ? 0x58 : 0x30; }
    std::size_t KeyboardType() const { return Ligatures() + p; }
    std::size_t Size() const { return KeyboardType() + 8; }
};

// Scan codes 0x00-0x7E of the standard 101/102-key keyboard, flags included.
constexpr std::array<std::uint16_t, 127> kStandardScanToVk = {{
    0x00FF, 0x001B, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x0030, 0x00BD, 0x00BB, 0x0008, 0x0009,
    0x0051, 0x0057, 0x0045, 0x0052, 0x0054, 0x0059, 0x0055, 0x0049, 0x004F, 0x0050, 0x00DB, 0x00DD, 0x000D, 0x00A2, 0x0041, 0x0053,
    0x0044, 0x0046, 0x0047, 0x0048, 0x004A, 0x004B, 0x004C, 0x00BA, 0x00DE, 0x00C0, 0x00A0, 0x00DC, 0x005A, 0x0058, 0x0043, 0x0056,
    0x0042, 0x004E, 0x004D, 0x00BC, 0x00BE, 0x00BF, 0x01A1, 0x026A, 0x00A4, 0x0020, 0x0014, 0x0070, 0x0071, 0x0072, 0x0073, 0x0074,
    0x0075, 0x0076, 0x0077, 0x0078, 0x0079, 0x0390, 0x0291, 0x0C24, 0x0C26, 0x0C21, 0x006D, 0x0C25, 0x0C0C, 0x0C27, 0x006B, 0x0C23,
    0x0C28, 0x0C22, 0x0C2D, 0x0C2E, 0x002C, 0x00FF, 0x00E2, 0x007A, 0x007B, 0x000C, 0x00EE, 0x00F1, 0x00EA, 0x00F9, 0x00F5, 0x00F3,
    0x00FF, 0x00FF, 0x00FB, 0x002F, 0x007C, 0x007D, 0x007E, 0x007F, 0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0085, 0x0086, 0x00ED,
    0x00FF, 0x00E9, 0x00FF, 0x00C1, 0x00FF, 0x00FF, 0x0087, 0x00FF, 0x00FF, 0x00FF, 0x00FF, 0x00EB, 0x0009, 0x00FF, 0x00C2,
}};

// The Bulgarian typewriter arrangement gives four keys other virtual keys.
constexpr std::pair<std::uint8_t, std::uint16_t> kBulgarianMoves[] = {
    {0x10, 0x00BC}, {0x0D, 0x00BE}, {0x33, 0x00DF}, {0x34, 0x0051}};

constexpr std::pair<std::uint8_t, std::uint16_t> kE0ScanToVk[] = {
    {0x10, 0x01B1}, {0x19, 0x01B0}, {0x1D, 0x01A3}, {0x20, 0x01AD}, {0x21, 0x01B7}, {0x22, 0x01B3}, {0x24, 0x01B2},
    {0x2E, 0x01AE}, {0x30, 0x01AF}, {0x32, 0x01AC}, {0x35, 0x016F}, {0x37, 0x012C}, {0x38, 0x01A5}, {0x47, 0x0124},
    {0x48, 0x0126}, {0x49, 0x0121}, {0x4B, 0x0125}, {0x4D, 0x0127}, {0x4F, 0x0123}, {0x50, 0x0128}, {0x51, 0x0122},
    {0x52, 0x012D}, {0x53, 0x012E}, {0x5B, 0x015B}, {0x5C, 0x015C}, {0x5D, 0x015D}, {0x5F, 0x015F}, {0x65, 0x01AA},
    {0x66, 0x01AB}, {0x67, 0x01A8}, {0x68, 0x01A9}, {0x69, 0x01A7}, {0x6A, 0x01A6}, {0x6B, 0x01B6}, {0x6C, 0x01B4},
    {0x6D, 0x01B5}, {0x1C, 0x010D}, {0x46, 0x0103},
};
constexpr std::pair<std::uint8_t, std::uint16_t> kE1ScanToVk[] = {{0x1D, 0x0013}};

// One character table entry: a key of the program (its virtual key and first two
// columns come from the scan code table and the layout) or a fixed one.
struct EntryDef {
    KeyNumber key;
    std::uint8_t vk;
    std::array<std::uint16_t, 4> chars;
};

EntryDef KeyEntry(KeyNumber key, std::uint16_t ctrl = 0, std::uint16_t shiftCtrl = 0) {
    return {key, 0, {0, 0, ctrl, shiftCtrl}};
}

EntryDef FixedEntry(std::uint8_t vk, std::uint16_t normal, std::uint16_t shift = 0, std::uint16_t ctrl = 0) {
    return {0, vk, {normal, shift, ctrl, 0}};
}

struct TableDef {
    std::uint8_t states;
    std::vector<EntryDef> entries;
};

// The numeric keypad comes last so that looking a character up finds the main block.
std::vector<TableDef> CharTables() {
    TableDef plain{2, {}};
    for (KeyNumber k : {1, 2, 4, 5, 6, 8, 9, 10, 11, 13}) plain.entries.push_back(KeyEntry(k));
    for (KeyNumber k = 15; k <= 24; ++k) plain.entries.push_back(KeyEntry(k));
    for (KeyNumber k = 27; k <= 47; ++k) plain.entries.push_back(KeyEntry(k));
    plain.entries.insert(plain.entries.end(), {FixedEntry(0x6E, ',', ','), FixedEntry(0x09, 0x09, 0x09),
                                               FixedEntry(0x6B, '+', '+'), FixedEntry(0x6F, '/', '/'),
                                               FixedEntry(0x6A, '*', '*'), FixedEntry(0x6D, '-', '-')});
    TableDef withCtrl{3, {KeyEntry(25, 0x1B), KeyEntry(26, 0x1D), KeyEntry(14, 0x1C),
                          FixedEntry(0xE2, '\\', '|', 0x1C), FixedEntry(0x08, 0x08, 0x08, 0x7F),
                          FixedEntry(0x1B, 0x1B, 0x1B, 0x1B), FixedEntry(0x0D, 0x0D, 0x0D, 0x0A), KeyEntry(48, 0x20),
                          FixedEntry(0x03, 0x03, 0x03, 0x03)}};
    TableDef withShiftCtrl{4, {KeyEntry(3, kNoChar, 0x00), KeyEntry(7, kNoChar, 0x1E), KeyEntry(12, kNoChar, 0x1F)}};
    TableDef numpad{1, {}};
    for (std::uint8_t digit = 0; digit < 10; ++digit)
        numpad.entries.push_back(FixedEntry(static_cast<std::uint8_t>(0x60 + digit), static_cast<std::uint16_t>('0' + digit)));
    return {plain, withCtrl, withShiftCtrl, numpad};
}

std::uint16_t ScanToVk(std::uint8_t scanCode) {
    for (auto [scan, vk] : kBulgarianMoves)
        if (scan == scanCode) return vk;
    return kStandardScanToVk.at(scanCode);
}

void WriteScanPairs(SectionWriter& d, const std::pair<std::uint8_t, std::uint16_t>* pairs, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        d.Put8(pairs[i].first);
        d.Put8(0);
        d.Put16(pairs[i].second);
    }
    d.Put32(0);
}

// A table of scan code (padded to a pointer) and name pointer; the pointers are set
// once the strings exist.
std::size_t WriteNameTable(SectionWriter& d, std::size_t count) {
    d.Align(d.PointerSize());
    std::size_t at = d.Size();
    for (std::size_t i = 0; i <= count; ++i) {
        d.PutNull();
        d.PutNull();
    }
    return at;
}

void WriteNames(SectionWriter& d, std::size_t table, const KeyName* names, std::size_t count) {
    const std::size_t p = d.PointerSize();
    for (std::size_t i = 0; i < count; ++i) {
        d.Set32(table + 2 * p * i, names[i].scanCode);
        d.SetPointer(table + 2 * p * i + p, d.PutWideString(names[i].name));
    }
}

void WriteCharEntry(SectionWriter& d, const TableDef& table, const EntryDef& entry, const KeyPlace& place) {
    std::uint8_t vk = entry.vk;
    std::uint8_t attributes = 0;
    std::array<std::uint16_t, 4> chars = entry.chars;
    if (entry.key != 0) {
        const tastavia::KeyInfo& key = tastavia::Key(entry.key);
        const KeyChars& initial = BdsLayout()[entry.key - 1];
        vk = VirtualKeyOfScanCode(key.scanCode);
        attributes = initial.caps ? kCapsLockActsAsShift : 0;
        chars[0] = tastavia::CharToUnicode(initial.unshifted).Value();
        chars[1] = tastavia::CharToUnicode(initial.shifted).Value();
        if (d.Size() + 2 != place(entry.key))
            throw std::logic_error("key " + std::to_string(entry.key) + " is not where the program patches it");
    }
    d.Put8(vk);
    d.Put8(attributes);
    for (std::uint8_t i = 0; i < table.states; ++i) d.Put16(chars[i]);
}

}  // namespace

std::uint8_t VirtualKeyOfScanCode(std::uint8_t scanCode) { return static_cast<std::uint8_t>(ScanToVk(scanCode) & 0xFF); }

std::size_t WriteLayoutTables(SectionWriter& d, const KeyPlace& place) {
    const std::vector<TableDef> tables = CharTables();
    const std::size_t p = d.PointerSize();
    const RecordLayout r{p};

    const std::size_t record = d.Size();
    while (d.Size() < record + r.Size()) d.Put32(0);
    d.Set32(record + r.ScanCount(), static_cast<std::uint32_t>(kStandardScanToVk.size()));
    d.Set32(record + r.LocaleFlags(), kLocaleFlags);
    d.Set32(record + r.KeyboardType(), kKeyboardType);
    // Dead keys, their names and ligatures stay NULL: the layout has none.

    const std::size_t modifiers = d.PutNull();
    d.Put16(3);  // Shift, Ctrl and Shift+Ctrl select columns 1..3
    for (std::uint8_t column = 0; column <= 3; ++column) d.Put8(column);
    d.Align(p);
    d.SetPointer(modifiers, d.Put8(0x10));  // VK_SHIFT
    d.Put8(1);
    d.Put8(0x11);  // VK_CONTROL
    d.Put8(2);
    d.Put8(0x12);  // VK_MENU
    d.Put8(4);
    d.Put16(0);
    d.SetPointer(record + r.Pointer(0), modifiers);

    // Each entry: the entries' pointer, then the number of states and the entry size.
    d.Align(p);
    const std::size_t tableList = d.Size();
    for (std::size_t i = 0; i <= tables.size(); ++i) {
        d.PutNull();
        d.PutNull();
    }
    d.SetPointer(record + r.Pointer(1), tableList);

    d.SetPointer(record + r.ScanTable(), d.Size());
    for (std::size_t scan = 0; scan < kStandardScanToVk.size(); ++scan) d.Put16(ScanToVk(static_cast<std::uint8_t>(scan)));
    d.Align(4);
    d.SetPointer(record + r.E0(), d.Size());
    WriteScanPairs(d, kE0ScanToVk, std::size(kE0ScanToVk));
    d.SetPointer(record + r.E1(), d.Size());
    WriteScanPairs(d, kE1ScanToVk, std::size(kE1ScanToVk));

    const std::size_t names = WriteNameTable(d, std::size(kKeyNames));
    d.SetPointer(record + r.Pointer(3), names);

    // The character tables lie where the program patches the keys; the first entry
    // of the first table is key 1.
    d.PadTo(place(tables[0].entries[0].key) - 2);
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const TableDef& table = tables[t];
        const std::uint8_t entrySize = static_cast<std::uint8_t>(2 + 2 * table.states);
        d.SetPointer(tableList + 2 * p * t, d.Size());
        d.Set32(tableList + 2 * p * t + p, static_cast<std::uint32_t>(table.states | entrySize << 8));
        for (const EntryDef& entry : table.entries) WriteCharEntry(d, table, entry, place);
        for (std::uint8_t i = 0; i < entrySize; ++i) d.Put8(0);
    }

    const std::size_t extendedNames = WriteNameTable(d, std::size(kExtendedKeyNames));
    d.SetPointer(record + r.Pointer(4), extendedNames);
    WriteNames(d, names, kKeyNames, std::size(kKeyNames));
    WriteNames(d, extendedNames, kExtendedKeyNames, std::size(kExtendedKeyNames));
    d.Align(p);
    return record;
}

}  // namespace mkkbd
