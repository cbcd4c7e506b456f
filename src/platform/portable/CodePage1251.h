#pragma once
// Windows-1251, the ANSI code page of a Bulgarian Windows, against Unicode.
#include <cstdint>

namespace tastavia {

// The Unicode character of a Windows-1251 byte (0x98, unassigned, gives U+0098).
std::uint16_t Cp1251ToUnicode(std::uint8_t c);
// The byte of a Unicode character, or '?' for one the code page lacks, as Windows
// converts without a best fit.
std::uint8_t UnicodeToCp1251(std::uint16_t u);

}  // namespace tastavia
