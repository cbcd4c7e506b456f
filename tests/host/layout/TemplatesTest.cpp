// The committed templates and built-in layouts: mkkbd writes them, and they hold what
// the engine and the INI format expect.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "Templates.h"

namespace tastavia {
namespace {

using test::ResourceFile;

TEST(Mkkbd, ReproducesTheCommittedResourcesByteForByte) {
    EXPECT_EQ(mkkbd::BuildWin98Template(), ResourceFile("WIN98.kbd"));
    EXPECT_EQ(mkkbd::BuildNtTemplate(mkkbd::NtVariant::Windows2000), ResourceFile("WIN2K.dll"));
    EXPECT_EQ(mkkbd::BuildNtTemplate(mkkbd::NtVariant::WindowsXp), ResourceFile("WINXP.dll"));
    EXPECT_EQ(mkkbd::BuildLayoutIni(mkkbd::BdsLayout()), ResourceFile("BDS.ini"));
    EXPECT_EQ(mkkbd::BuildLayoutIni(mkkbd::PhoneticLayout()), ResourceFile("PHONETIC.ini"));
}

TEST(Templates, HaveTheirSizes) {
    EXPECT_EQ(ResourceFile("WIN98.kbd").size(), 403u);
    EXPECT_EQ(ResourceFile("WIN2K.dll").size(), 6416u);
    EXPECT_EQ(ResourceFile("WINXP.dll").size(), 5632u);
    EXPECT_EQ(ResourceFile("BDS.ini").size(), 1120u);
    EXPECT_EQ(ResourceFile("PHONETIC.ini").size(), 1114u);
}

std::uint16_t Word(const std::string& f, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(f[at]) | static_cast<unsigned char>(f[at + 1]) << 8);
}

TEST(Win98Template, HeaderAndTablesPointWhereTheyShould) {
    std::string f = ResourceFile("WIN98.kbd");
    EXPECT_EQ(f.substr(0, 4), std::string("DS\x02\x04", 4));
    EXPECT_EQ(Word(f, 8), 28);
    EXPECT_EQ(Word(f, 12), 375);
    // Offsets in the data block count from byte 28.
    const std::pair<std::size_t, std::size_t> pointers[] = {{38, 98},  {40, 105}, {42, 116}, {44, 128}, {46, 140},
                                                            {48, 110}, {50, 146}, {52, 195}, {56, 354}, {64, 66}};
    for (auto [at, target] : pointers) EXPECT_EQ(Word(f, at) + 28u, target) << "value at " << at;
    // The character tables of the shift states and their virtual-key lists.
    const std::size_t tables[] = {256, 256, 305, 305, 244, 254};
    const std::size_t lists[] = {195, 195, 195, 195, 249, 255};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Word(f, 116 + 2 * i) + 28u, tables[i]);
        EXPECT_EQ(Word(f, 128 + 2 * i) + 28u, lists[i]);
    }
}

TEST(Win98Template, EachKeysPlacesBelongToItsScanCodeAndVirtualKey) {
    std::string f = ResourceFile("WIN98.kbd");
    for (const KeyInfo& key : KeyTable()) {
        if (key.number == kSpaceBar) continue;
        std::size_t entry = key.win9xUnshifted - 256;
        EXPECT_EQ(key.win9xShifted - 305u, entry);
        EXPECT_EQ(static_cast<unsigned char>(f[146 + entry]), key.scanCode) << "key " << int(key.number);
        // The Caps-Lock bit is that of the entry's virtual key.
        unsigned vk = static_cast<unsigned char>(f[195 + entry]);
        EXPECT_EQ(66 + vk / 8, key.win9xCapsByte) << "key " << int(key.number);
        EXPECT_EQ(8 - vk % 8, key.win9xCapsPosition) << "key " << int(key.number);
    }
}

TEST(Win98Template, HoldsTheTypewriterLayoutWithItsTwoOwnPlaces) {
    test::LayoutFixture f(kOsWin9x);
    f.New();
    const mkkbd::Layout& bds = mkkbd::BdsLayout();
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        const mkkbd::KeyChars& want = bds[k - 1];
        EXPECT_EQ(f.layout.ReadKeyChar(k, ShiftState::Unshifted), want.unshifted) << "key " << int(k);
        EXPECT_EQ(f.layout.ReadKeyChar(k, ShiftState::Shifted), k == 12 ? 178 : want.shifted) << "key " << int(k);
        EXPECT_EQ(f.layout.ReadCapsFlag(k), k == 15 ? true : want.caps) << "key " << int(k);
    }
}

TEST(NtTemplates, HoldTheTypewriterLayout) {
    for (OsKind kind : {kOsWin2000, kOsWinXp}) {
        test::LayoutFixture f(kind);
        f.New();
        const mkkbd::Layout& bds = mkkbd::BdsLayout();
        for (KeyNumber k = 1; k <= kKeyCount; ++k) {
            EXPECT_EQ(f.layout.ReadKeyChar(k, ShiftState::Unshifted), bds[k - 1].unshifted) << "key " << int(k);
            EXPECT_EQ(f.layout.ReadKeyChar(k, ShiftState::Shifted), bds[k - 1].shifted) << "key " << int(k);
            EXPECT_EQ(f.layout.ReadCapsFlag(k), bds[k - 1].caps) << "key " << int(k);
        }
    }
}

TEST(BuiltinLayouts, AreExportShapedFiles) {
    for (const char* name : {"BDS.ini", "PHONETIC.ini"}) {
        std::string ini = ResourceFile(name);
        EXPECT_EQ(ini.rfind("[KBD]\r\n", 0), 0u) << name;
        EXPECT_EQ(ini.substr(ini.size() - 8), "1048=0\r\n") << name;
        std::size_t lines = 0;
        for (std::size_t at = 0; (at = ini.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
        EXPECT_EQ(lines, 145u) << name;
        EXPECT_EQ(ini.find('\n', 0), ini.find("\r\n", 0) + 1);
    }
    EXPECT_EQ(ResourceFile("BDS.ini").rfind("[KBD]\r\n1=96\r\n2=49\r\n", 0), 0u);
    EXPECT_NE(ResourceFile("PHONETIC.ini").find("\r\n1=247\r\n"), std::string::npos);  // ч on the grave key
}

}  // namespace
}  // namespace tastavia
