// Typing with a layout file by scan code, Shift and Caps Lock, on every kind of file.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "layout/KeyTyping.h"
#include "layout/LayoutIni.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia {
namespace {

TEST(KeyTyping, EveryKeyIsFoundByItsScanCodeAndNoOtherKeyIs) {
    for (const KeyInfo& key : KeyTable()) EXPECT_EQ(KeyOfScanCode(key.scanCode), key.number);
    for (std::uint8_t other : {0x00, 0x01, 0x0E, 0x0F, 0x1C, 0x1D, 0x2A, 0x36, 0x3A, 0x47, 0x56, 0x52})
        EXPECT_EQ(KeyOfScanCode(other), 0) << int(other);
    EXPECT_EQ(KeyOfScanCode(0x35, true), 0);  // the keypad's /, not key 47
    EXPECT_EQ(KeyOfScanCode(0x1C, true), 0);
}

struct Typed {
    std::uint8_t scanCode;
    bool extended, shift, capsLock;
    KeyNumber key;  // 0: not a layout key
    std::uint8_t character;
};

TEST(KeyTyping, BdsTypesItsCharactersWithShiftAndCapsLock) {
    const Typed table[] = {
        {0x20, false, false, false, 29, 0xE0},  // D: а
        {0x20, false, true, false, 29, 0xC0},   // А
        {0x20, false, false, true, 29, 0xC0},   // Caps Lock acts as Shift on a letter key
        {0x20, false, true, true, 29, 0xE0},    // and Shift with it gives the lower case
        {0x02, false, false, true, 2, '1'},     // no flag on the digits
        {0x02, false, true, true, 2, '!'},
        {0x10, false, true, false, 15, 0xFB},   // Q shifted: ы
        {0x10, false, false, true, 15, ','},    // no flag there
        {0x39, false, true, false, 48, ' '},
        {0x35, false, false, false, 47, 0xE1},  // /: б
        {0x35, true, false, false, 0, 0},       // the keypad's /
        {0x56, false, false, false, 0, 0},
    };
    for (OsKind kind : {kOsWin9x, kOsWin2000, kOsWinXp}) {
        test::LayoutFixture f(kind);
        f.New();
        PortableProfileFile profile{f.files};
        const std::string ini = f.dir / "bds.ini";
        ASSERT_TRUE(f.layout.ExtractResourceToFile("BDS", ini));
        ImportLayout(f.layout, profile, ini);
        for (const Typed& t : table) {
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " scan " << int(t.scanCode) << " shift "
                                            << t.shift << " caps " << t.capsLock);
            const std::optional<TypedKey> typed = TypeKey(f.layout, t.scanCode, t.extended, t.shift, t.capsLock);
            ASSERT_EQ(typed.has_value(), t.key != 0);
            if (!typed) continue;
            EXPECT_EQ(typed->key, t.key);
            EXPECT_EQ(typed->character, t.character);
            EXPECT_EQ(typed->level, TypingLevel(t.shift, t.capsLock, f.layout.ReadCapsFlag(t.key)));
        }
    }
}

}  // namespace
}  // namespace tastavia
