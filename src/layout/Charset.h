#pragma once
// Characters are Windows-1251 bytes everywhere but in the NT layout libraries, which
// store UTF-16 code units.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/portable/CodePage1251.h"

namespace tastavia {

struct CodeUnit {
    std::uint8_t low;
    std::uint8_t high;
    std::uint16_t Value() const { return static_cast<std::uint16_t>(low | (high << 8)); }
};

// The code unit an NT layout library stores for a character. 73 (I) is stored as the
// Cyrillic U+0406, as the Bulgarian typewriter layout has it; 178, whose Windows-1251
// character that is too, keeps U+00B2 so that every byte reads back as itself. 0, no
// character, is stored as the libraries' "no character" 0xF000, which types nothing.
CodeUnit CharToUnicode(std::uint8_t c);
// The character for a stored code unit; U+0406 and U+0049 both read as 73; 0xF000 and
// U+0000 (what older libraries hold for no character) both read as 0. Code units
// outside the mapping read by the rule older libraries were written with.
std::uint8_t CharFromUnicode(std::uint8_t low, std::uint8_t high);

// A Windows-1251 string as UTF-8, for the terminal.
std::string Cp1251ToUtf8(const std::string& text);
std::string CodePointToUtf8(std::uint32_t u);

// The character today's systems should get for a layout byte, given the other
// character of its key. 178 is the Cyrillic I as Windows-1251 has it (the U+00B2 of
// the NT libraries only makes the byte read back as itself); 73 is the Cyrillic I as
// the installed NT layouts give it, except on a key whose other character is the Latin i.
std::uint16_t ModernUnicode(std::uint8_t c, std::uint8_t otherOnKey);
// The byte back for such a character: U+0406 and U+0049 give 73, as the NT libraries
// read; nothing for a character Windows-1251 lacks.
std::optional<std::uint8_t> ByteForModernUnicode(std::uint32_t u);

}  // namespace tastavia
