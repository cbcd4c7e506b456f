#pragma once
// What the exports to today's systems (klc for Windows, XKB for Linux) share: the
// layout's name and the Unicode character of each key level.
#include <cstdint>
#include <string>

#include "layout/LayoutKeys.h"

namespace tastavia {

struct ExportIdentity {
    std::string name;         // up to 8 lower-case ASCII letters and digits, as a library name
    std::string description;  // "Bulgarian (name)"
};

// From the layout file's name: "C:\\KBD\\KbdBuPh.dll" gives "kbdbuph".
ExportIdentity IdentityFromPath(const std::string& path);

// The character a modern system gets for one level of a key (ModernUnicode); 0 for none.
std::uint16_t KeyCodePoint(const KeyChars& key, ShiftState shift);

}  // namespace tastavia
