// The layout exported for today's systems: klc read back by our own parser, XKB compiled
// by xkbcomp and typed on through the system's keymap library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "BuiltinKeys.h"
#include "layout/Charset.h"
#include "layout/KlcReader.h"
#include "layout/KlcWriter.h"
#include "layout/XkbWriter.h"

namespace tastavia {
namespace {

using test::BuiltinKeys;

std::string Utf16Bytes(const std::u16string& text) {
    std::string bytes("\xFF\xFE", 2);
    for (char16_t u : text) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return bytes;
}

// The ASCII of UTF-16 LE bytes after the mark; other characters become '?'.
std::string AsciiOf(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += bytes[i + 1] == 0 && static_cast<unsigned char>(bytes[i]) < 0x80 ? bytes[i] : '?';
    return text;
}

class Builtin : public ::testing::TestWithParam<const char*> {};

TEST_P(Builtin, KlcIsUtf16WithCrLfAndTheUsualSectionsAndReadsBackTheSame) {
    const LayoutKeys keys = BuiltinKeys(kOsWin2000, GetParam());
    const std::string bytes = KlcFileBytes(keys, IdentityFromPath("C:\\KBD\\KbdBuPh.dll"));
    ASSERT_EQ(bytes.compare(0, 2, "\xFF\xFE"), 0);
    const std::string text = AsciiOf(bytes);
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        ASSERT_EQ(text[i - 1], '\r') << "a line without CR at " << i;
    std::size_t at = 0;
    for (const char* line : {"KBD\tkbdbuph\t\"Bulgarian (kbdbuph)\"\r\n", "\nCOPYRIGHT\t\"", "\nCOMPANY\t\"",
                             "\nLOCALENAME\t\"bg-BG\"\r\n", "\nLOCALEID\t\"00000402\"\r\n", "\nVERSION\t1.0\r\n",
                             "\nSHIFTSTATE\r\n", "\nLAYOUT\r\n", "\n29\tOEM_3\t\t", "\n39\tSPACE\t\t0\t0020\t0020\t0020",
                             "\nKEYNAME\r\n", "\nKEYNAME_EXT\r\n", "\nDESCRIPTIONS\r\n\r\n0409\tBulgarian (kbdbuph)\r\n",
                             "\nLANGUAGENAMES\r\n", "\nENDKBD\r\n"}) {
        std::size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line;
        at = found;
    }
    EXPECT_EQ(ReadKlc(bytes), keys);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Builtin, ::testing::Values("BDS", "PHONETIC"));

TEST(KlcReader, TakesCharactersHexAndNothing) {
    const std::u16string klc =
        u"KBD\tx\t\"X\"\r\nSHIFTSTATE\r\n\r\n1\t// Shift first\r\n0\r\n2\r\n"
        u"LAYOUT\t\t;a comment\r\n"
        u"10\tQ\t\t1\t\u042F\t\u044F\t-1\t// Q: \u044F \u042F\r\n"
        u"02\t1\t\t0\t0021\t1\t-1\r\n"
        u"03\t2\t\t4\t-1\t0040\t0000\r\n"
        u"56\tOEM_102\t0\t005c\t007c\t001c\r\n"
        u"KEYNAME\r\n\r\n01\tEsc\r\nENDKBD\r\n";
    const LayoutKeys keys = ReadKlc(Utf16Bytes(klc));
    EXPECT_EQ(At(keys, 15), (KeyChars{0xFF, 0xDF, true}));  // я unshifted: the Shift column comes first
    EXPECT_EQ(At(keys, 2), (KeyChars{'1', '!', false}));
    EXPECT_EQ(At(keys, 3), (KeyChars{'@', 0, false}));      // Cap 4 is Caps Lock with AltGr only
    EXPECT_EQ(At(keys, 4), KeyChars{});                     // not named: empty
}

TEST(KlcReader, RefusesWhatItCannotTakeWithTheLine) {
    const std::u16string head = u"KBD\tx\t\"X\"\r\nSHIFTSTATE\r\n0\r\n1\r\nLAYOUT\r\n";
    const std::pair<std::string, const char*> cases[] = {
        {std::string("KBD x"), "byte order mark"},
        {Utf16Bytes(head + u"10\tQ\t1\t0430\t0410\r\n"), "no ENDKBD"},
        {Utf16Bytes(head + u"10\tQ\t1\t0430@\t0410\r\nENDKBD\r\n"), "line 6: dead keys"},
        {Utf16Bytes(head + u"10\tQ\t1\t4e00\t0410\r\nENDKBD\r\n"), "line 6: U+4E00 has no Windows-1251"},
        {Utf16Bytes(head + u"10\tQ\t1\t0430\r\nENDKBD\r\n"), "line 6: a LAYOUT row needs"},
        {Utf16Bytes(head + u"10\tQ\tSGCap\t0430\t0410\r\nENDKBD\r\n"), "SGCap"},
        {Utf16Bytes(head + u"10\tQ\t1\ta\tA\r\n10\tQ\t1\tb\tB\r\nENDKBD\r\n"), "line 7: scan code given twice"},
        {Utf16Bytes(u"KBD\tx\t\"X\"\r\nSHIFTSTATE\r\n0\r\nLAYOUT\r\n10\tQ\t1\ta\r\nENDKBD\r\n"), "states 0 and 1"},
    };
    for (const auto& [bytes, message] : cases) {
        try {
            ReadKlc(bytes);
            ADD_FAILURE() << "accepted; expected " << message;
        } catch (const KlcError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

TEST(ModernCharacters, CyrillicIForTheTypewriterAndLatinIBesideLatinSmallI) {
    const struct {
        KeyChars key;
        std::uint16_t unshifted, shifted;
    } cases[] = {
        {{'-', 73, false}, 0x002D, 0x0406},  // BDS: the NT layouts' Cyrillic I
        {{'i', 73, true}, 0x0069, 0x0049},   // a Latin letter key stays Latin
        {{0xB3, 178, true}, 0x0456, 0x0406}, // і/І as Windows-1251 has them, not the ² of the NT libraries
        {{0xE0, 0, false}, 0x0430, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyCodePoint(c.key, ShiftState::Unshifted), c.unshifted);
        EXPECT_EQ(KeyCodePoint(c.key, ShiftState::Shifted), c.shifted);
    }
    EXPECT_EQ(ByteForModernUnicode(0x0406), 73);
    EXPECT_EQ(ByteForModernUnicode(0x0049), 73);
    EXPECT_EQ(ByteForModernUnicode(0x0456), 0xB3);
    EXPECT_EQ(ByteForModernUnicode(0x4E00), std::nullopt);
    EXPECT_EQ(IdentityFromPath("/home/u/my-layout.v2.dll").name, "mylayout");
    EXPECT_EQ(IdentityFromPath("\xEA\xE1.dll").name, "kbdbgtas");  // no ASCII letters at all
}

// The system's keymap library, loaded at run time so that the build does not need it.
struct XkbCommon {
    void* library = dlopen("libxkbcommon.so.0", RTLD_NOW);
    template <typename F>
    F* Get(const char* name) { return reinterpret_cast<F*>(dlsym(library, name)); }
    ~XkbCommon() { if (library) dlclose(library); }
};

std::string RunXkbcomp(const std::string& dir, const std::string& symbols, const std::string& compiled) {
    test::WriteFile(dir + "/xkb/symbols/tastavia", symbols);
    test::WriteFile(dir + "/keymap.xkb",
                    "xkb_keymap {\n  xkb_keycodes { include \"evdev+aliases(qwerty)\" };\n"
                    "  xkb_types { include \"complete\" };\n  xkb_compat { include \"complete\" };\n"
                    "  xkb_symbols { include \"tastavia\" };\n};\n");
    const std::string command = "xkbcomp -I'" + dir + "/xkb' -xkb '" + dir + "/keymap.xkb' '" + compiled + "' 2>'" +
                                dir + "/xkbcomp.txt'";
    if (std::system(command.c_str()) != 0) return "xkbcomp failed: " + test::ReadFile(dir + "/xkbcomp.txt");
    return test::ReadFile(dir + "/xkbcomp.txt");
}

TEST_P(Builtin, XkbcompTakesTheSymbolsAndTheCompiledKeymapTypesTheLayout) {
    if (std::system("command -v xkbcomp >/dev/null 2>&1") != 0) GTEST_SKIP() << "xkbcomp is missing: apt-get install x11-xkb-utils";
    XkbCommon xkb;
    if (!xkb.library) GTEST_SKIP() << "libxkbcommon.so.0 is missing: apt-get install libxkbcommon0";
    const LayoutKeys keys = BuiltinKeys(kOsWinXp, GetParam());
    test::TempDir dir;
    ASSERT_EQ(std::system(("mkdir -p '" + dir / "xkb/symbols'").c_str()), 0);
    const std::string messages = RunXkbcomp(dir.path(), XkbSymbolsText(keys, IdentityFromPath("bds.dll")), dir / "out.xkb");
    ASSERT_EQ(messages.find("xkbcomp failed"), std::string::npos) << messages;
    for (const KeyInfo& info : KeyTable())  // xkbcomp warns about other keys only: those have no symbols here
        EXPECT_EQ(messages.find("<" + XkbKeyName(info.number) + ">"), std::string::npos) << messages;

    auto contextNew = xkb.Get<void*(int)>("xkb_context_new");
    auto keymapNew = xkb.Get<void*(void*, const char*, int, int)>("xkb_keymap_new_from_string");
    auto keyByName = xkb.Get<std::uint32_t(void*, const char*)>("xkb_keymap_key_by_name");
    auto modIndex = xkb.Get<std::uint32_t(void*, const char*)>("xkb_keymap_mod_get_index");
    auto stateNew = xkb.Get<void*(void*)>("xkb_state_new");
    auto updateMask = xkb.Get<int(void*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t)>(
        "xkb_state_update_mask");
    auto keyUtf32 = xkb.Get<std::uint32_t(void*, std::uint32_t)>("xkb_state_key_get_utf32");
    auto stateUnref = xkb.Get<void(void*)>("xkb_state_unref");
    auto keymapUnref = xkb.Get<void(void*)>("xkb_keymap_unref");
    auto contextUnref = xkb.Get<void(void*)>("xkb_context_unref");
    ASSERT_TRUE(contextNew && keymapNew && keyByName && modIndex && stateNew && updateMask && keyUtf32 && stateUnref &&
                keymapUnref && contextUnref);

    void* context = contextNew(0);
    void* keymap = keymapNew(context, test::ReadFile(dir / "out.xkb").c_str(), 1, 0);
    ASSERT_NE(keymap, nullptr);
    void* state = stateNew(keymap);
    const std::uint32_t shift = 1u << modIndex(keymap, "Shift"), lock = 1u << modIndex(keymap, "Lock");
    // What Windows types: Caps Lock acts as Shift on keys with the flag, and not at all elsewhere
    // (X capitalises letters there: BDS's ы, so those states are left out).
    auto expected = [](std::uint8_t c) -> std::uint32_t { return c == 73 ? 0x0406 : Cp1251ToUnicode(c); };
    for (const KeyInfo& info : KeyTable()) {
        const KeyChars& key = At(keys, info.number);
        const std::uint32_t code = keyByName(keymap, XkbKeyName(info.number).c_str());
        for (bool shifted : {false, true}) {
            updateMask(state, shifted ? shift : 0, 0, 0, 0, 0, 0);
            EXPECT_EQ(keyUtf32(state, code), expected(shifted ? key.shifted : key.unshifted)) << XkbKeyName(info.number);
            if (!key.caps) continue;
            updateMask(state, shifted ? shift : 0, 0, lock, 0, 0, 0);
            EXPECT_EQ(keyUtf32(state, code), expected(shifted ? key.unshifted : key.shifted)) << XkbKeyName(info.number) << " Caps Lock";
        }
    }
    stateUnref(state);
    keymapUnref(keymap);
    contextUnref(context);
}

}  // namespace
}  // namespace tastavia
