#include "layout/KlcWriter.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "layout/KeyNames.h"

namespace tastavia {

namespace {

// A character of a LAYOUT row; kNone is the format's -1, no character.
using Cell = std::int32_t;
constexpr Cell kNone = -1;

// The Ctrl characters our libraries give these keys (Ctrl+[ is Escape, Ctrl+Space a space).
Cell CtrlCodePoint(std::uint8_t scanCode) {
    switch (scanCode) {
        case 0x1A: return 0x001B;
        case 0x1B: return 0x001D;
        case 0x2B: return 0x001C;
        case 0x39: return 0x0020;
        case 0x56: return 0x001C;
        default: return kNone;
    }
}

// Their Shift+Ctrl characters: Ctrl+Shift+2 is NUL, Ctrl+Shift+6 and Ctrl+Shift+- the
// record and unit separators.
Cell ShiftCtrlCodePoint(std::uint8_t scanCode) {
    switch (scanCode) {
        case 0x03: return 0x0000;
        case 0x07: return 0x001E;
        case 0x0C: return 0x001F;
        default: return kNone;
    }
}

Cell KeyCell(const KeyChars& key, ShiftState shift) {
    return key.Char(shift) == 0 ? kNone : KeyCodePoint(key, shift);
}

class Text {
public:
    Text& operator<<(const std::string& ascii) {
        for (char c : ascii) units_ += static_cast<char16_t>(static_cast<unsigned char>(c));
        return *this;
    }
    Text& Unit(std::uint16_t u) {
        units_ += static_cast<char16_t>(u);
        return *this;
    }
    Text& Line(const std::string& ascii = "") { return *this << ascii << "\r\n"; }

    std::string LittleEndianBytes() const {
        std::string bytes("\xFF\xFE", 2);
        for (char16_t u : units_) {
            bytes += static_cast<char>(u & 0xFF);
            bytes += static_cast<char>(u >> 8);
        }
        return bytes;
    }

private:
    std::u16string units_;
};

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", digits, value);
    return buffer;
}

// ASCII letters and digits as themselves, as the format's own files write them; NUL
// is 0000, a character, unlike -1.
std::string CharToken(Cell u) {
    if (u == kNone) return "-1";
    if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) return std::string(1, static_cast<char>(u));
    return Hex(static_cast<unsigned>(u), 4);
}

bool Printable(Cell u) { return u > 0x20 && u != 0x7F && !(u >= 0x80 && u < 0xA0); }

std::string Quoted(const std::string& name) {
    return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

struct Row {
    std::uint8_t scanCode;
    std::string vk;
    bool caps;
    Cell normal;
    Cell shift;
};

void WriteRow(Text& text, const Row& row) {
    text << Hex(row.scanCode, 2) << "\t" << row.vk << (row.vk.size() < 8 ? "\t\t" : "\t") << (row.caps ? "1" : "0")
         << "\t" << CharToken(row.normal) << "\t" << CharToken(row.shift) << "\t" << CharToken(CtrlCodePoint(row.scanCode))
         << "\t" << CharToken(ShiftCtrlCodePoint(row.scanCode)) << "\t\t//";
    for (Cell u : {row.normal, row.shift})
        if (Printable(u)) text.Unit(' ').Unit(static_cast<std::uint16_t>(u));
    text.Line();
}

void Layout(Text& text, const LayoutKeys& keys) {
    std::vector<Row> rows;
    for (const KeyInfo& info : KeyTable()) {
        const KeyChars& key = At(keys, info.number);
        rows.push_back({info.scanCode, KlcVirtualKeyName(info.number), key.caps, KeyCell(key, ShiftState::Unshifted),
                        KeyCell(key, ShiftState::Shifted)});
    }
    // Not keys of ours: the keypad's decimal key gives the Bulgarian decimal comma, the
    // 102nd key what it gives on US keyboards.
    rows.push_back({0x53, "DECIMAL", false, ',', ','});
    rows.push_back({0x56, "OEM_102", false, '\\', '|'});
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.scanCode < b.scanCode; });
    text.Line("LAYOUT").Line().Line("//SC\tVK_\t\tCap\t0\t1\t2\t3").Line("//--\t----\t\t----\t----\t----\t----\t----").Line();
    for (const Row& row : rows) WriteRow(text, row);
    text.Line();
}

void KeyNames(Text& text, const char* section, const KeyName* names, std::size_t count) {
    text.Line(section).Line();
    for (std::size_t i = 0; i < count; ++i) text.Line(Hex(names[i].scanCode, 2) + "\t" + Quoted(names[i].name));
    text.Line();
}

}  // namespace

std::string KlcVirtualKeyName(KeyNumber k) {
    static const std::pair<const char*, const char*> kOem[] = {
        {"`", "OEM_3"}, {"-", "OEM_MINUS"}, {"=", "OEM_PLUS"}, {"\\", "OEM_5"},      {"[", "OEM_4"},      {"]", "OEM_6"},
        {";", "OEM_1"}, {"'", "OEM_7"},     {",", "OEM_COMMA"}, {".", "OEM_PERIOD"}, {"/", "OEM_2"}, {"Space", "SPACE"},
    };
    const std::string legend = Key(k).physicalKey;
    for (const auto& [key, vk] : kOem)
        if (legend == key) return vk;
    return legend;  // digits and letters name their own virtual keys
}

std::string KlcFileBytes(const LayoutKeys& keys, const ExportIdentity& identity) {
    Text text;
    text.Line("KBD\t" + identity.name + "\t\"" + identity.description + "\"").Line();
    text.Line("COPYRIGHT\t\"Made with Tastavia v1.1\"").Line();
    text.Line("COMPANY\t\"Tastavia\"").Line();
    text.Line("LOCALENAME\t\"bg-BG\"").Line();
    text.Line("LOCALEID\t\"00000402\"").Line();
    text.Line("VERSION\t1.0").Line();
    text.Line("SHIFTSTATE").Line().Line("0\t// none").Line("1\t// Shift").Line("2\t// Ctrl").Line("3\t// Shift+Ctrl").Line();
    Layout(text, keys);
    KeyNames(text, "KEYNAME", kKeyNames, std::size(kKeyNames));
    KeyNames(text, "KEYNAME_EXT", kExtendedKeyNames, std::size(kExtendedKeyNames));
    text.Line("DESCRIPTIONS").Line().Line("0409\t" + identity.description).Line();
    text.Line("LANGUAGENAMES").Line().Line("0409\tBulgarian (Bulgaria)").Line();
    text.Line("ENDKBD");
    return text.LittleEndianBytes();
}

}  // namespace tastavia
