#include "layout/ForeignLayout.h"

#include <cstdio>

#include "layout/BytesFile.h"
#include "layout/Charset.h"
#include "layout/KeyAccess.h"
#include "layout/LayoutFileKind.h"
#include "layout/WorkingLayout.h"
#include "platform/Errors.h"

namespace tastavia {

namespace {

constexpr std::uint16_t kOwnCyrillicI = 0x00B2;  // how our NT libraries store byte 178

std::string Hex(std::uint32_t u) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(u));
    return text;
}

bool Printable(std::uint16_t u) { return u >= 0x20 && u != 0x7F && (u < 0xF000 || u > 0xF002); }

// A character for a line of the list: itself where Windows-1251 has it, and its number.
std::string Describe(std::uint16_t u) {
    const std::optional<std::uint8_t> byte = ByteForModernUnicode(u);
    if (byte && u >= 0x20 && u != 0x7F) return std::string(1, static_cast<char>(*byte)) + " (" + Hex(u) + ")";
    return Hex(u);
}

std::string Text(const std::vector<std::uint16_t>& units) {
    std::string text;
    for (std::uint16_t u : units) {
        const std::optional<std::uint8_t> byte = ByteForModernUnicode(u);
        text += byte && *byte >= 0x20 ? static_cast<char>(*byte) : '?';
    }
    return text;
}

// The name of a combination of modifier bits: "Shift", "AltGr", "Shift+Ctrl", ...
std::string StateName(unsigned bits) {
    if ((bits & 6) == 6) return std::string(bits & 1 ? "Shift+" : "") + "AltGr" + ((bits & ~7u) ? "+other modifiers" : "");
    static const char* const names[] = {"Shift", "Ctrl", "Alt", "Kana", "Roya", "Loya", "modifier 64", "Group Select"};
    std::string name;
    for (unsigned b = 0; b < 8; ++b)
        if (bits & (1u << b)) name += (name.empty() ? "" : "+") + std::string(names[b]);
    return name.empty() ? "unshifted" : name;
}

class Converter {
public:
    explicit Converter(const KbdTables& t) : t_(t) {}

    ForeignLayout Run() {
        ForeignLayout result;
        const int unshifted = t_.Column(0), shifted = t_.Column(1);
        for (const KeyInfo& key : KeyTable()) {
            const KbdCharEntry* entry = EntryOf(VkOf(key.scanCode));
            if (!entry) continue;
            const std::string name = "key " + std::to_string(key.number) + " (" + key.physicalKey + ")";
            KeyChars& chars = result.keys[key.number - 1];
            chars.unshifted = Take(*entry, unshifted, name + ", unshifted", result.leftOut);
            chars.shifted = Take(*entry, shifted, name + ", shifted", result.leftOut);
            chars.caps = (entry->attributes & kAttrCapLok) != 0;
            if (entry->attributes & kAttrSgCaps) Caps(*entry, chars, unshifted, shifted, name, result.leftOut);
            OtherStates(*entry, unshifted, shifted, name, result.leftOut);
        }
        OutsideKeys(result.leftOut);
        return result;
    }

private:
    std::uint8_t VkOf(std::uint8_t scan) const {
        return scan < t_.scanToVk.size() ? static_cast<std::uint8_t>(t_.scanToVk[scan] & 0xFF) : 0xFF;
    }

    const KbdCharEntry* EntryOf(std::uint8_t vk) const {
        if (vk == 0 || vk == 0xFF) return nullptr;
        for (const KbdCharEntry& e : t_.entries)
            if (e.vk == vk) return &e;
        return nullptr;
    }

    static std::uint16_t At(const std::vector<std::uint16_t>& chars, int column) {
        return column >= 0 && static_cast<std::size_t>(column) < chars.size() ? chars[static_cast<std::size_t>(column)] : kWchNone;
    }

    // What a column types that our layouts cannot hold, or nothing.
    std::optional<std::string> Special(const KbdCharEntry& e, int column) const {
        const std::uint16_t c = At(e.chars, column);
        if (c == kWchDead) return "dead key " + Describe(At(e.deadChars, column));
        if (c != kWchLigature) return std::nullopt;
        for (const KbdLigature& l : t_.ligatures)
            if (l.vk == e.vk && l.column == column) {
                std::string units;
                for (std::uint16_t u : l.chars) units += (units.empty() ? "" : " ") + Hex(u);
                return "ligature \"" + Text(l.chars) + "\" (" + units + ")";
            }
        return std::string("ligature (not in the ligature table)");
    }

    // The Windows-1251 byte of a column; 0 and a line of the list when there is none.
    std::uint8_t Take(const KbdCharEntry& e, int column, const std::string& where, std::vector<std::string>& leftOut) {
        const std::uint16_t c = At(e.chars, column);
        if (c == 0 || c == kWchNone) return 0;
        if (std::optional<std::string> special = Special(e, column)) {
            leftOut.push_back(where + ": " + *special);
            return 0;
        }
        if (c == kOwnCyrillicI) return 178;
        // Byte 73 is the Cyrillic I in our NT libraries, as the Bulgarian layouts have it.
        if (c == 'I')
            leftOut.push_back(where + ": the Latin I (U+0049) is kept as byte 73, which Tastavia's NT layouts type as "
                                      "the Cyrillic \xB2 (U+0406)");
        if (std::optional<std::uint8_t> byte = ByteForModernUnicode(c)) return *byte;
        leftOut.push_back(where + ": " + Hex(c) + " is not in Windows-1251");
        return 0;
    }

    // SGCAPS: our flag says only whether Caps Lock acts as Shift.
    void Caps(const KbdCharEntry& e, KeyChars& chars, int unshifted, int shifted, const std::string& name,
              std::vector<std::string>& leftOut) {
        const std::uint16_t c0 = At(e.capsChars, unshifted), c1 = At(e.capsChars, shifted);
        const std::uint16_t u0 = At(e.chars, unshifted), u1 = At(e.chars, shifted);
        if (c0 == u1 && c1 == u0) {
            chars.caps = true;
            return;
        }
        chars.caps = false;
        if (c0 == u0 && c1 == u1) return;
        leftOut.push_back(name + ", with Caps Lock: " + (Printable(c0) ? Describe(c0) : "nothing") + " and " +
                          (Printable(c1) ? Describe(c1) : "nothing") + " shifted (own Caps Lock characters)");
    }

    void OtherStates(const KbdCharEntry& e, int unshifted, int shifted, const std::string& name,
                     std::vector<std::string>& leftOut) {
        std::vector<int> named{unshifted, shifted};
        for (unsigned bits = 2; bits < t_.modificationNumbers.size(); ++bits) {
            const int column = t_.Column(bits);
            bool seen = false;
            for (int n : named) seen = seen || n == column;
            if (column < 0 || seen) continue;
            named.push_back(column);
            const std::uint16_t c = At(e.chars, column);
            // Ctrl's control characters (and Ctrl+Space) are the usual ones, which our templates give.
            if (c == 0 || c == kWchNone || ((bits & 2) && (c <= 0x20 || c == 0x7F))) continue;
            const std::optional<std::string> special = Special(e, column);
            std::string line = name + ", " + StateName(bits) + ": " + (special ? *special : Describe(c));
            if ((bits & 6) == 6 && (e.attributes & kAttrCapLokAltGr)) line += " (Caps Lock acts on it)";
            leftOut.push_back(line);
        }
    }

    // The key beside the left Shift with the backslash and bar that every template of ours
    // gives it: nothing is lost there.
    bool TemplateGivesIt(const KbdCharEntry& e) const {
        const int unshifted = t_.Column(0), shifted = t_.Column(1);
        if (e.vk != 0xE2 || At(e.chars, unshifted) != '\\' || At(e.chars, shifted) != '|') return false;
        for (std::size_t column = 0; column < e.chars.size(); ++column)
            if (static_cast<int>(column) != unshifted && static_cast<int>(column) != shifted && Printable(e.chars[column]))
                return false;
        return true;
    }

    std::string KeyNameOf(std::uint8_t scan) const {
        for (const KbdKeyName& n : t_.keyNames)
            if (n.scan == scan) return " \"" + Text(n.name) + "\"";
        return "";
    }

    void OutsideKeys(std::vector<std::string>& leftOut) {
        for (const KbdCharEntry& e : t_.entries) {
            // The numeric keypad and the space bar are not layout keys.
            if ((e.vk >= 0x60 && e.vk <= 0x6F) || e.vk == 0x20 || EntryOf(e.vk) != &e) continue;
            std::optional<std::uint8_t> scan;
            bool ours = false;
            for (std::size_t s = 0; s < t_.scanToVk.size() && !ours; ++s) {
                if ((t_.scanToVk[s] & 0xFF) != e.vk) continue;
                for (const KeyInfo& key : KeyTable()) ours = ours || key.scanCode == s;
                if (!scan) scan = static_cast<std::uint8_t>(s);
            }
            if (ours || !scan) continue;
            // Unshifted and Shift first, whatever their places in the table.
            std::vector<int> columns{t_.Column(0), t_.Column(1)};
            for (int column = 0; column < static_cast<int>(e.chars.size()); ++column)
                if (column != columns[0] && column != columns[1]) columns.push_back(column);
            std::string chars;
            for (int column : columns) {
                const std::uint16_t c = At(e.chars, column);
                if (Printable(c)) chars += (chars.empty() ? "" : ", ") + Describe(c);
                else if (c == kWchDead || c == kWchLigature) chars += (chars.empty() ? "" : ", ") + *Special(e, column);
            }
            if (chars.empty() || TemplateGivesIt(e)) continue;
            char number[8];
            std::snprintf(number, sizeof number, "%02X", static_cast<unsigned>(*scan));
            leftOut.push_back(std::string("scan code ") + number + KeyNameOf(*scan) + ", not one of the 48 keys: " + chars);
        }
    }

    const KbdTables& t_;
};

}  // namespace

ForeignLayout ForeignLayoutFromTables(const KbdTables& tables) { return Converter(tables).Run(); }

std::optional<ForeignLayout> ReadLayoutLibrary(const std::string& bytes, std::string* why) {
    try {
        if (bytes.size() > kMaxLayoutLibrarySize) throw LibraryFault("it is far too large for a keyboard layout");
        return ForeignLayoutFromTables(ReadKbdTables(bytes));
    } catch (const LibraryFault& fault) {
        if (why) *why = std::string("This is no keyboard layout library that can be read: ") + fault.what() + ".";
        return std::nullopt;
    }
}

std::string WorkingFileFromKeys(const LayoutKeys& keys, OsKind kind, Resources& resources) {
    const char* name = TemplateResource(kind);
    std::optional<std::string_view> found = name ? resources.RcData(name) : std::nullopt;
    std::string bytes = found ? std::string(*found) : std::string();
    if (!found || !IsLayoutFileOfKind(bytes, kind))
        throw AppError(std::string("The program's ") + LayoutFileKindName(kind) + " template is missing.");
    BytesFile file(bytes);
    std::unique_ptr<KeyAccess> access = MakeKeyAccess(kind, file);
    for (const KeyInfo& key : KeyTable()) {
        const KeyChars& chars = keys[key.number - 1];
        access->WriteKeyChar(key.number, ShiftState::Unshifted, chars.unshifted);
        access->WriteKeyChar(key.number, ShiftState::Shifted, chars.shifted);
        access->WriteCapsFlag(key.number, chars.caps);
    }
    return bytes;
}

}  // namespace tastavia
