#include <gtest/gtest.h>

#include "layout/Charset.h"

namespace tastavia {
namespace {

std::uint16_t Stored(std::uint8_t c) { return CharToUnicode(c).Value(); }

TEST(CharToUnicode, StoresBytesAsTheLibrariesExpect) {
    EXPECT_EQ(Stored(192), 0x0410);  // А: bytes 0x10, 0x04
    EXPECT_EQ(CharToUnicode(192).low, 0x10);
    EXPECT_EQ(CharToUnicode(192).high, 0x04);
    EXPECT_EQ(Stored(255), 0x044F);
    EXPECT_EQ(Stored(185), 0x2116);  // №
    EXPECT_EQ(Stored(73), 0x0406);   // the typewriter layout's I is the Cyrillic one
    EXPECT_EQ(Stored(65), 0x0041);
    EXPECT_EQ(Stored(0), 0xF000);  // no character: nothing is typed, not a NUL
    EXPECT_EQ(Stored(127), 0x007F);
}

TEST(CharToUnicode, GivesTheWindows1251CharacterForTheUpperHalf) {
    EXPECT_EQ(Stored(168), 0x0401);  // Ё, not ¨
    EXPECT_EQ(Stored(184), 0x0451);  // ё
    EXPECT_EQ(Stored(0x84), 0x201E);  // „
    EXPECT_EQ(Stored(0x93), 0x201C);  // “
    EXPECT_EQ(Stored(0x96), 0x2013);  // –
    EXPECT_EQ(Stored(0x97), 0x2014);  // —
    EXPECT_EQ(Stored(0x88), 0x20AC);  // €
    EXPECT_EQ(Stored(0x98), 0x0098);  // unassigned in Windows-1251
    EXPECT_EQ(Stored(167), 0x00A7);  // § is the same in both
    EXPECT_EQ(Stored(0xBB), 0x00BB);
    EXPECT_EQ(Stored(0xB3), 0x0456);  // і
    // 178 is І too, whose code unit belongs to 73; it keeps its own so both read back.
    EXPECT_EQ(Stored(178), 0x00B2);
}

TEST(CharFromUnicode, EveryByteReadsBackAsItself) {
    for (unsigned c = 0; c < 256; ++c) {
        CodeUnit u = CharToUnicode(static_cast<std::uint8_t>(c));
        EXPECT_EQ(CharFromUnicode(u.low, u.high), c) << "byte " << c;
    }
}

TEST(CharFromUnicode, BothCapitalIsReadAs73) {
    EXPECT_EQ(CharFromUnicode(0x06, 0x04), 73);
    EXPECT_EQ(CharFromUnicode(0x49, 0x00), 73);
}

TEST(CharFromUnicode, NoCharacterReadsAsZeroTheNewWayAndTheOld) {
    EXPECT_EQ(CharFromUnicode(0x00, 0xF0), 0);
    EXPECT_EQ(CharFromUnicode(0x00, 0x00), 0);
}

TEST(CharFromUnicode, ReadsCodeUnitsOutsideTheMappingByTheOldRule) {
    EXPECT_EQ(CharFromUnicode(0x60, 0x04), (0x60 + 176) % 256);  // Ѡ, not in Windows-1251
    EXPECT_EQ(CharFromUnicode(0x41, 0x30), 0x41);                // other high bytes are ignored
    // Libraries written the old way held U+0080..U+00BF for the bytes 128..191.
    for (unsigned c = 0x80; c < 0xC0; ++c) {
        if (c == 185) continue;  // always stored as U+2116
        EXPECT_EQ(CharFromUnicode(static_cast<std::uint8_t>(c), 0), c) << "byte " << c;
    }
}

TEST(Cp1251ToUtf8, EncodesCyrillicAndPunctuation) {
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF"), "\xD0\x90\xD1\x8F");  // Ая
    EXPECT_EQ(Cp1251ToUtf8("\xB9"), "\xE2\x84\x96");          // №
    EXPECT_EQ(Cp1251ToUtf8("A"), "A");
}

}  // namespace
}  // namespace tastavia
