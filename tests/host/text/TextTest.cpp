// The text helpers every layer shares.
#include <gtest/gtest.h>

#include "text/Text.h"

namespace tastavia {
namespace {

TEST(Text, TrimmingAndBlanks) {
    EXPECT_EQ(StripSpaces("  a\tb  "), "a\tb");  // spaces only
    EXPECT_EQ(TrimControls(std::string("\0\t x y\r ", 8)), "x y");
    EXPECT_TRUE(IsBlank(std::string("\0 \t", 3)));
    EXPECT_FALSE(IsBlank(" . "));
}

TEST(Text, ControlCharactersShowAsCaretLetters) {
    EXPECT_EQ(VisibleText(std::string("a\0b\x05\x1F\x7F\x98\xE0", 8)), "a^@b^E^_^?\x98\xE0");
}

TEST(Text, PlainFileNames) {
    for (const char* name : {"kbdbu.dll", "kbdbu", "\xEC\xEE\xFF.dll", ".hidden", "con1.dll", "com0"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", ".", "..", "..\\x.dll", "a/b", "c:x", "a*b", "a\x01.dll", "x.", "x ", "CON",
                             "nul.txt", "Com1", "lpt9.dll"})
        EXPECT_FALSE(IsPlainFileName(name)) << name;
}

}  // namespace
}  // namespace tastavia
