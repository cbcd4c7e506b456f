#pragma once
// The layout libraries built from tests/fixtures/kbd/layout.c, and what they hold as
// our 48 keys and the list of what those cannot hold.
#include <string>
#include <vector>

#include "TestSupport.h"
#include "layout/LayoutKeys.h"

namespace tastavia::test {

inline std::string Fixture(const std::string& name) { return test::ReadFile(std::string(TASTAVIA_KBD_FIXTURES) + "/" + name + ".dll"); }

// What layout.c holds, seen through our 48 keys.
inline LayoutKeys FixtureKeys() {
    LayoutKeys keys{};
    auto set = [&](KeyNumber k, int unshifted, int shifted, bool caps) {
        keys[k - 1] = KeyChars{static_cast<std::uint8_t>(unshifted), static_cast<std::uint8_t>(shifted), caps};
    };
    set(2, '1', '!', false);
    set(3, '2', '@', false);
    set(15, 0xFF, 0xDF, true);   // я Я
    set(16, 0xE2, 0xC2, true);   // в В: SGCAPS that only swaps the cases
    set(17, 0xE5, 0xC5, false);  // е Е: SGCAPS with characters of its own
    set(18, 0, 0, true);         // CAPLOK, both characters outside Windows-1251
    set(19, 0xF2, 0xD2, true);   // т Т
    set(20, 0xE6, 0, false);     // ж, then a ligature
    set(21, 0xF3, 0xD3, true);   // у У
    set(22, 'i', 'I', true);
    set(25, 0xF8, 0xD8, true);   // ш Ш
    set(36, 0, ':', false);      // a dead key unshifted
    set(48, ' ', ' ', false);
    return keys;
}

inline const std::vector<std::string> kFixtureLeftOut = {
    "key 17 (E), with Caps Lock: x (U+0078) and X (U+0058) shifted (own Caps Lock characters)",
    "key 18 (R), unshifted: U+045D is not in Windows-1251",
    "key 18 (R), shifted: U+040D is not in Windows-1251",
    "key 19 (T), AltGr: \x88 (U+20AC) (Caps Lock acts on it)",
    "key 20 (Y), shifted: ligature \"d\xE6\" (U+0064 U+0436)",
    "key 21 (U), AltGr: dead key ~ (U+007E)",
    "key 22 (I), shifted: the Latin I (U+0049) is kept as byte 73, which Tastavia's NT layouts type as the "
    "Cyrillic \xB2 (U+0406)",
    "key 36 (;), unshifted: dead key U+00B4",
    "scan code 56 \"<>\", not one of the 48 keys: < (U+003C), > (U+003E)",
};

}  // namespace tastavia::test
