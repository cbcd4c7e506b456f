// The libraries for 64-bit Windows made from XP working files: walked from their export
// by the tests' own reader and compared with the XP library, read back into an XP
// working file, and refused when their shape is not ours. The klc export beside them.
#include <gtest/gtest.h>

#include "LibraryWalk.h"
#include "Templates.h"
#include "TestSupport.h"
#include "layout/Charset.h"
#include "layout/KlcReader.h"
#include "layout/KlcWriter.h"
#include "layout/LayoutIni.h"
#include "layout/SystemLibraries.h"
#include "layout/WideLibraryShape.h"
#include "platform/Errors.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia {
namespace {

using test::WalkLibrary;

constexpr std::uint16_t kNoCharacter = 0xF000;
constexpr KeyNumber kEmptied = 5;  // its shifted character is taken away

struct XpFile {
    std::string bytes;
    LayoutKeys keys;
};

// An XP working file holding a built-in layout, with one empty key slot and one Caps
// flag changed, so that neither is the template's.
XpFile MakeXpFile(const char* builtin) {
    test::LayoutFixture f(kOsWinXp);
    f.New();
    PortableProfileFile profile{f.files};
    const std::string ini = f.dir / "builtin.ini";
    if (!f.layout.ExtractResourceToFile(builtin, ini)) throw std::runtime_error("no built-in layout");
    ImportLayout(f.layout, profile, ini);
    f.layout.WriteKeyChar(kEmptied, ShiftState::Shifted, 0);
    f.layout.WriteCapsFlag(1, !f.layout.ReadCapsFlag(1));
    return {f.WorkingBytes(), ReadLayoutKeys(f.layout)};
}

class WideLibraries : public ::testing::TestWithParam<const char*> {
protected:
    EmbeddedResources resources;
};

TEST_P(WideLibraries, HoldEveryKeyOfTheXpWorkingFileAndReadBackIntoIt) {
    const XpFile xp = MakeXpFile(GetParam());
    const test::LibraryWalk want = WalkLibrary(xp.bytes, 4);
    for (Machine machine : {Machine::X64, Machine::Arm64}) {
        const std::vector<SystemLibrary> libraries = SystemLibrariesFor(kOsWinXp, machine, xp.bytes, resources);
        ASSERT_EQ(libraries.size(), 2u);
        for (const SystemLibrary& library : libraries) {
            const bool native = library.folder == SystemFolder::Native64;
            SCOPED_TRACE(!native ? "WOW64" : machine == Machine::Arm64 ? "ARM64" : "x64");
            const test::LibraryWalk got = WalkLibrary(library.bytes, 8);
            EXPECT_EQ(got.machine, !native ? 0x014C : machine == Machine::Arm64 ? 0xAA64 : 0x8664);
            EXPECT_EQ(got.pe32Plus, native);
            EXPECT_EQ(got.relocationType, native ? 10 : 3);  // DIR64, HIGHLOW
            EXPECT_EQ(got.relocatedRvas, got.pointerRvas);
            // Every entry in every state, the Caps flags, names, scan codes and version.
            EXPECT_EQ(got.entries, want.entries);
            EXPECT_EQ(got.attributes, want.attributes);
            EXPECT_EQ(got.names, want.names);
            EXPECT_EQ(got.extendedNames, want.extendedNames);
            EXPECT_EQ(got.scanToVk, want.scanToVk);
            EXPECT_EQ(got.resources, want.resources);
            for (const KeyInfo& key : KeyTable()) {
                const std::uint8_t vk = static_cast<std::uint8_t>(got.scanToVk.at(key.scanCode));
                const std::vector<std::uint16_t>& units = got.entries.at(vk);
                const KeyChars& chars = At(xp.keys, key.number);
                EXPECT_EQ(CharFromUnicode(units.at(0) & 0xFF, units.at(0) >> 8), chars.unshifted) << int(key.number);
                EXPECT_EQ(CharFromUnicode(units.at(1) & 0xFF, units.at(1) >> 8), chars.shifted) << int(key.number);
                EXPECT_EQ(got.attributes.at(vk), chars.caps ? 1 : 0) << int(key.number);
            }
            EXPECT_EQ(got.entries.at(static_cast<std::uint8_t>(got.scanToVk.at(Key(kEmptied).scanCode))).at(1), kNoCharacter);
            std::string why;
            EXPECT_EQ(WorkingFileFromSystemLibrary(kOsWinXp, machine, library.folder, library.bytes, resources, &why),
                      xp.bytes)
                << why;
        }
    }
}

TEST_P(WideLibraries, OnlyTheNtKindsOn64BitWindowsGetThem) {
    const XpFile xp = MakeXpFile(GetParam());
    const std::vector<SystemLibrary> on32 = SystemLibrariesFor(kOsWinXp, Machine::X86, xp.bytes, resources);
    ASSERT_EQ(on32.size(), 1u);
    EXPECT_EQ(on32[0].folder, SystemFolder::System);
    EXPECT_EQ(on32[0].bytes, xp.bytes);
    const std::string win98 = test::ResourceFile("WIN98.kbd");
    const std::vector<SystemLibrary> win9x = SystemLibrariesFor(kOsWin9x, Machine::Arm64, win98, resources);
    ASSERT_EQ(win9x.size(), 1u);
    EXPECT_EQ(win9x[0].folder, SystemFolder::System);
    EXPECT_THROW(SystemLibrariesFor(kOsWin2000, Machine::X64, xp.bytes, resources), AppError);
    // Load reads the native library back, of the machine's own processor.
    EXPECT_EQ(LoadFolderFor(kOsWinXp, Machine::Arm64), SystemFolder::Native64);
    EXPECT_EQ(SystemFileKind(kOsWinXp, Machine::Arm64, SystemFolder::Native64), kOsArm64);
    EXPECT_EQ(LoadFolderFor(kOsWinXp, Machine::X86), SystemFolder::System);
}

INSTANTIATE_TEST_SUITE_P(Layouts, WideLibraries, ::testing::Values("BDS", "PHONETIC"));

TEST(WideLibraryTemplates, AreWhatMkkbdWrites) {
    EXPECT_EQ(mkkbd::BuildNtTemplate(mkkbd::NtVariant::WindowsX64), test::ResourceFile("WINX64.dll"));
    EXPECT_EQ(mkkbd::BuildNtTemplate(mkkbd::NtVariant::Wow64), test::ResourceFile("WOW64.dll"));
    EXPECT_EQ(mkkbd::BuildNtTemplate(mkkbd::NtVariant::Arm64), test::ResourceFile("WINARM64.dll"));
}

std::string Patched(std::string bytes, std::size_t at, const std::string& with) { return bytes.replace(at, with.size(), with); }

TEST(WideLibraryShapes, ForeignShapesAreRefusedWithAReason) {
    EmbeddedResources resources;
    const std::string x64 = test::ResourceFile("WINX64.dll"), wow = test::ResourceFile("WOW64.dll");
    const std::string arm64 = test::ResourceFile("WINARM64.dll");
    const std::size_t record = 0x200;  // the first thing in .data
    const std::size_t code = x64.find("\x48\x8D\x05");
    const std::size_t name = x64.find("KbdLayerDescriptor");
    const std::size_t ret = arm64.find("\xC0\x03\x5F\xD6");
    const struct {
        SystemFolder folder;
        std::string bytes;
        const char* why;
        Machine machine = Machine::X64;
    } cases[] = {
        {SystemFolder::Native64, x64, "it is for another processor", Machine::Arm64},
        {SystemFolder::Native64, Patched(arm64, ret, "\xC1"), "KbdLayerDescriptor is not the code", Machine::Arm64},
        // add x0, x0, #lo12 + 8: the record would begin at the character tables' pointer
        {SystemFolder::Native64, Patched(arm64, ret - 3, std::string(1, static_cast<char>(arm64[ret - 3] + 0x20))),
         "made by Tastavia: ", Machine::Arm64},
        {SystemFolder::Native64, x64.substr(0, x64.size() - 1), "5119 bytes, not 5120"},
        {SystemFolder::Native64, test::ResourceFile("WINXP.dll"), "5632 bytes, not 5120"},
        {SystemFolder::Native64, wow.substr(0, x64.size()), "it is for another processor"},
        {SystemFolder::Wow64, x64 + std::string(256, '\0'), "it is for another processor"},
        {SystemFolder::Native64, Patched(x64, code, "\xB8"), "KbdLayerDescriptor is not the code our libraries have"},
        {SystemFolder::Native64, Patched(x64, name + 3, "X"), "it does not export KbdLayerDescriptor"},
        {SystemFolder::Native64, Patched(x64, record + 8 + 4, "\x01"), "a pointer lies outside the image"},
        {SystemFolder::Native64, Patched(x64, 0x6F8, "x"), "its key 1 (`) is not where"},
        {SystemFolder::Wow64, Patched(wow, record + 8, std::string(1, static_cast<char>(wow[record + 8] + 16))),
         "its key 1 (`) is not where"},
        {SystemFolder::Wow64, Patched(wow, 0x3C, "\xF0\xFF"), "it has no PE header"},
        {SystemFolder::Native64, Patched(x64, record + 0x38, "\x39"), "its key 48 (Space) is not where"},
        {SystemFolder::Wow64, Patched(wow, record + 0x38, "\x39"), "its key 48 (Space) is not where"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(WorkingFileFromSystemLibrary(kOsWinXp, c.machine, c.folder, c.bytes, resources, &why)) << c.why;
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
    EXPECT_FALSE(X64LibraryShapeFault(x64));
    EXPECT_FALSE(Wow64LibraryShapeFault(wow));
    EXPECT_FALSE(Arm64LibraryShapeFault(arm64));
    // WOW64 libraries that older versions installed end their code without clearing EDX.
    EXPECT_FALSE(Wow64LibraryShapeFault(Patched(wow, wow.find("\x31\xD2\xC3"), "\xC3")));
}

// The klc export keeps every state our libraries type: its Ctrl and Shift+Ctrl columns
// read back as the XP library's own tables give them, and an empty slot stays empty.
TEST(KlcExport, RoundTripsEveryShiftStateOfTheLibraries) {
    const XpFile xp = MakeXpFile("PHONETIC");
    const test::LibraryWalk library = WalkLibrary(xp.bytes, 4);
    std::vector<KlcControlChars> rows;
    EXPECT_EQ(ReadKlc(KlcFileBytes(xp.keys, IdentityFromPath("kbdbuph.dll")), &rows), xp.keys);
    auto state = [](const std::vector<std::uint16_t>& units, std::size_t s) {
        return units.size() > s && units[s] != kNoCharacter ? std::int32_t{units[s]} : -1;
    };
    std::set<std::uint8_t> rowVks;
    int shiftCtrl = 0;
    for (const KlcControlChars& row : rows) {
        // The keypad's decimal key types through VK_DECIMAL, as with Num Lock on.
        const std::uint8_t vk = row.scanCode == 0x53 ? 0x6E : static_cast<std::uint8_t>(library.scanToVk.at(row.scanCode));
        rowVks.insert(vk);
        ASSERT_EQ(library.entries.count(vk), 1u) << int(row.scanCode);
        EXPECT_EQ(row.ctrl, state(library.entries.at(vk), 2)) << int(row.scanCode);
        EXPECT_EQ(row.shiftCtrl, state(library.entries.at(vk), 3)) << int(row.scanCode);
        shiftCtrl += row.shiftCtrl >= 0;
    }
    EXPECT_EQ(shiftCtrl, 3);  // Ctrl+Shift+2, +6 and +-
    for (const auto& [vk, units] : library.entries)
        if (state(units, 3) >= 0) {
            EXPECT_EQ(rowVks.count(vk), 1u) << "VK " << int(vk) << " lost its Shift+Ctrl";
        }
}

}  // namespace
}  // namespace tastavia
