// The Windows 9x keyboard layout file: a "DS" header, a data block of offsets and
// small tables, the Caps-Lock bitmap, the scan-code and virtual-key lists, and three
// 49-entry character tables (unshifted, shifted and one more) in scan-code order.
#include <cstdint>
#include <initializer_list>

#include "LittleEndian.h"
#include "Templates.h"
#include "layout/KeyTable.h"

namespace mkkbd {

namespace {

constexpr std::size_t kSize = 403;
constexpr std::size_t kDataBlock = 28;
constexpr std::size_t kCapsBitmap = 66;
constexpr std::size_t kScanList = 146;
constexpr std::size_t kVkList = 195;
constexpr std::size_t kUnshifted = 256;
constexpr std::size_t kShifted = 305;
constexpr std::size_t kExtra = 354;
constexpr std::size_t kEntries = 49;

void Put8(std::string& f, std::size_t at, std::initializer_list<unsigned> bytes) {
    for (unsigned b : bytes) f[at++] = static_cast<char>(b);
}

void Put16(std::string& f, std::size_t at, std::initializer_list<unsigned> values) {
    for (unsigned v : values) {
        StoreLe16(f, at, v);
        at += 2;
    }
}

// The key's entry in the scan-code list.
std::size_t EntryOf(const tastavia::KeyInfo& key) { return key.win9xUnshifted - kUnshifted; }

// The virtual key whose bit in the Caps-Lock bitmap the key uses.
unsigned VirtualKeyOf(const tastavia::KeyInfo& key) {
    return (key.win9xCapsByte - kCapsBitmap) * 8 + (8 - key.win9xCapsPosition);
}

}  // namespace

std::string BuildWin98Template() {
    std::string f(kSize, '\0');
    Put8(f, 0, {'D', 'S', 0x02, 0x04});
    StoreLe32(f, 8, kDataBlock);
    StoreLe32(f, 12, kSize - kDataBlock);

    // Nineteen 16-bit values; those that are offsets count from the data block.
    Put16(f, kDataBlock, {2, 3, 5, 0, 0, 70, 77, 88, 100, 112, 82, 118, 167, 48, 326, 0, 0, 0, 38});

    Put8(f, kCapsBitmap, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF,
                          0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                          0x00, 0xD4, 0x00, 0x00, 0x00, 0x48, 0x04, 0x00, 0x00, 0x00});

    // Modifier keys (Alt, Shift, Ctrl) and the small tables that follow them.
    Put8(f, 98, {0x12, 0x80, 0x10, 0x80, 0x11, 0x80});
    Put8(f, 104, {0x00, 0x01, 0x02, 0x03, 0x04, 0x06, 0x00, 0x00, 0x01, 0x01, 0x02, 0x03});
    Put16(f, 116, {228, 228, 277, 277, 216, 226});  // character tables per shift state
    Put16(f, 128, {167, 167, 167, 167, 221, 227});  // their virtual-key lists
    Put8(f, 140, {49, 49, 49, 49, 5, 1});            // their lengths

    // Ctrl characters: - [ ] \ and the 102nd key, then Ctrl+Shift+6.
    Put8(f, 244, {0x1F, 0x1B, 0x1D, 0x1C, 0x1C});
    Put8(f, 249, {0xBD, 0xDB, 0xDD, 0xDC, 0xE2});
    Put8(f, 254, {0x1E, 0x36});

    const Layout& bds = BdsLayout();
    for (const tastavia::KeyInfo& key : tastavia::KeyTable()) {
        if (key.number == tastavia::kSpaceBar) continue;
        std::size_t i = EntryOf(key);
        const KeyChars& chars = bds[key.number - 1];
        f[kScanList + i] = static_cast<char>(key.scanCode);
        f[kVkList + i] = static_cast<char>(VirtualKeyOf(key));
        f[kUnshifted + i] = static_cast<char>(chars.unshifted);
        f[kShifted + i] = static_cast<char>(chars.shifted);
    }
    // The two entries no key number uses: the 102nd key and the keypad's decimal key.
    Put8(f, kScanList + 47, {0x56, 0x53});
    Put8(f, kVkList + 47, {0xE2, 0x6E});
    Put8(f, kUnshifted + 47, {0x5C, 0x2C});
    Put8(f, kShifted + 47, {0x7C, 0x08});
    // This file kind has always typed the Cyrillic I on Shift+minus.
    f[kShifted + EntryOf(tastavia::Key(12))] = static_cast<char>(178);

    Put8(f, kExtra, {0x60, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0x2D, 0x2E,
                     0x2C, 0xF3, 0xE5, 0xE8, 0xF8, 0xF9, 0xEA, 0xF1, 0xE4, 0xE7, 0xF6, 0x3B, 0x28,
                     0xFC, 0xDF, 0xE0, 0xEE, 0xE6, 0xE3, 0xF2, 0xED, 0xE2, 0xEC, 0xF7, 0xFE, 0xE9,
                     0xFA, 0xFD, 0xF4, 0xF5, 0xEF, 0xF0, 0xEB, 0xE1, 0x5C, 0x2C});
    static_assert(kExtra + kEntries == kSize, "the last table ends the file");
    return f;
}

std::string BuildLayoutIni(const Layout& layout) {
    std::string ini = "[KBD]\r\n";
    for (int k = 1; k <= 48; ++k) ini += std::to_string(k) + "=" + std::to_string(layout[k - 1].unshifted) + "\r\n";
    for (int k = 1; k <= 48; ++k)
        ini += std::to_string(k + 48) + "=" + std::to_string(layout[k - 1].shifted) + "\r\n";
    for (int k = 1; k <= 48; ++k) ini += std::to_string(k + 1000) + "=" + (layout[k - 1].caps ? "1" : "0") + "\r\n";
    return ini;
}

}  // namespace mkkbd
