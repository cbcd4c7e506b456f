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

TEST(Text, SameAsciiIgnoresOnlyTheCaseOfLatinLetters) {
    EXPECT_TRUE(SameAscii("Kbd-Bu.DLL", "kbd-bu.dll"));
    EXPECT_FALSE(SameAscii("kbdbu.dll", "kbdbu.dl"));
    EXPECT_FALSE(SameAscii("\xE0", "\xC0"));  // Cyrillic a and A are not folded
    EXPECT_FALSE(SameAscii("[", "{"));        // nor are characters 32 apart that are no letters
}

TEST(Text, ControlCharactersShowAsCaretLetters) {
    EXPECT_EQ(VisibleText(std::string("a\0b\x05\x1F\x7F\x98\xE0", 8)), "a^@b^E^_^?\x98\xE0");
}

TEST(Text, PlainFileNames) {
    for (const char* name : {"kbdbu.dll", "kbdbu", "\xEC\xEE\xFF.dll", ".hidden", "con1.dll", "com0", "conin.dll",
                             "COM10.dll", "nul_.dll", "a.con"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", ".", "..", "..\\x.dll", "a/b", "c:x", "a*b", "a\x01.dll", "x.", "x ", "CON",
                             "nul.txt", "Com1", "lpt9.dll"})
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    // Windows drops the spaces before the dot, and the dots and spaces at the end.
    for (const char* name : {"COM1 .dll", "NUL .dll", "CON .dll", "AUX .dll", "PRN .dll", "LPT1 .dll", "CONIN$",
                             "conout$.dll", "CLOCK$", "nul. .", "com9  .ini", "CON.a.b"}) {
        EXPECT_TRUE(IsDeviceName(name)) << name;
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
}

TEST(Text, DevicePathsInEverySpelling) {
    for (const char* path : {"COM1:", "NUL:", "con:", "lpt1:x", "C:\\dir\\COM1.ini", "c:COM1 .ini", "d:/x/nul. .",
                             "\\\\.\\COM1", "\\\\?\\C:\\x.ini", "//./PhysicalDrive0", "\\/?/x", "a.ini:stream",
                             "C:\\x\\y.dll:", "AUX"})
        EXPECT_TRUE(IsDevicePath(path)) << path;
    for (const char* path : {"x.ini", "C:\\dir\\x.ini", "c:x.ini", "\\\\server\\share\\a.ini", "..\\com10.dll",
                             "nul_\\a.ini", "C:/com/x"})
        EXPECT_FALSE(IsDevicePath(path)) << path;
}

}  // namespace
}  // namespace tastavia
