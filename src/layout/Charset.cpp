#include "layout/Charset.h"

namespace tastavia {

namespace {

constexpr std::uint8_t kLatinCapitalI = 73;
constexpr std::uint8_t kCyrillicCapitalI = 178;  // І, U+0406 in Windows-1251
constexpr std::uint16_t kNoCharacter = 0xF000;    // what the layout libraries type as nothing

std::uint16_t StoredUnit(std::uint8_t c) {
    if (c == 0) return kNoCharacter;
    if (c == kLatinCapitalI) return 0x0406;
    if (c == kCyrillicCapitalI) return 0x00B2;
    return Cp1251ToUnicode(c);
}

}  // namespace

CodeUnit CharToUnicode(std::uint8_t c) {
    std::uint16_t u = StoredUnit(c);
    return CodeUnit{static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)};
}

std::uint8_t CharFromUnicode(std::uint8_t low, std::uint8_t high) {
    const std::uint16_t u = static_cast<std::uint16_t>(low | (high << 8));
    if (u == 0x0049) return kLatinCapitalI;
    // 256 entries: a linear search keeps the mapping in one place and is cheap enough.
    for (unsigned c = 0; c < 256; ++c)
        if (StoredUnit(static_cast<std::uint8_t>(c)) == u) return static_cast<std::uint8_t>(c);
    if (high == 0x04) return static_cast<std::uint8_t>((low + 176) & 0xFF);
    return low;
}

std::string Cp1251ToUtf8(const std::string& text) {
    std::string out;
    for (unsigned char c : text) out += CodePointToUtf8(Cp1251ToUnicode(c));
    return out;
}

std::string CodePointToUtf8(std::uint32_t u) {
    std::string out;
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
    return out;
}

std::uint16_t ModernUnicode(std::uint8_t c, std::uint8_t otherOnKey) {
    constexpr std::uint8_t kLatinSmallI = 105;
    if (c == kLatinCapitalI) return otherOnKey == kLatinSmallI ? 0x0049 : 0x0406;
    return Cp1251ToUnicode(c);
}

std::optional<std::uint8_t> ByteForModernUnicode(std::uint32_t u) {
    if (u == 0x0049 || u == 0x0406) return kLatinCapitalI;
    for (unsigned c = 0; c < 256; ++c)
        if (Cp1251ToUnicode(static_cast<std::uint8_t>(c)) == u) return static_cast<std::uint8_t>(c);
    return std::nullopt;
}

}  // namespace tastavia
