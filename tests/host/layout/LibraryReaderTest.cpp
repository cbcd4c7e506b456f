// Layout libraries of other makers (built from tests/fixtures/kbd/layout.c with MinGW gcc
// and clang) and of our own, read back into the 48 keys with the list of what was left
// out; damaged ones refused with a reason.
#include <gtest/gtest.h>

#include "KbdFixture.h"
#include "TestSupport.h"
#include "layout/ForeignLayout.h"
#include "layout/LayoutFileKind.h"
#include "layout/LayoutIni.h"
#include "layout/SystemLibraries.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia {
namespace {

using test::Fixture;
using test::FixtureKeys;
using test::kFixtureLeftOut;

struct Built {
    const char* name;
    std::uint16_t machine;
    unsigned pointerWidth;
};

class OtherMakers : public ::testing::TestWithParam<Built> {};

TEST_P(OtherMakers, ReadIntoTheKeysWithWhatWasLeftOut) {
    const std::string bytes = Fixture(GetParam().name);
    const KbdTables tables = ReadKbdTables(bytes);
    EXPECT_EQ(tables.machine, GetParam().machine);
    EXPECT_EQ(tables.pointerWidth, GetParam().pointerWidth);
    EXPECT_EQ(tables.e0.size(), 6u);
    EXPECT_EQ(tables.e1.size(), 1u);
    EXPECT_EQ(tables.deadKeys.size(), 3u);
    EXPECT_EQ(tables.extendedKeyNames.size(), 2u);
    EXPECT_EQ(tables.deadKeyNames.size(), 2u);
    std::string why;
    const std::optional<ForeignLayout> layout = ReadLayoutLibrary(bytes, &why);
    ASSERT_TRUE(layout) << why;
    EXPECT_EQ(layout->keys, FixtureKeys());
    EXPECT_EQ(layout->leftOut, kFixtureLeftOut);

    // Without its export the record is found by the search.
    std::string unnamed = bytes;
    const std::size_t name = unnamed.find("KbdLayerDescriptor");
    ASSERT_NE(name, std::string::npos);
    unnamed[name] = 'X';
    const std::optional<ForeignLayout> searched = ReadLayoutLibrary(unnamed, &why);
    ASSERT_TRUE(searched) << why;
    EXPECT_EQ(searched->keys, FixtureKeys());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OtherMakers,
                         ::testing::Values(Built{"x86", 0x014C, 4}, Built{"x86-frame", 0x014C, 4},
                                           Built{"x86-swapped", 0x014C, 4}, Built{"wow64", 0x014C, 8},
                                           Built{"x64", 0x8664, 8}, Built{"x64-frame-swapped", 0x8664, 8},
                                           Built{"arm64", 0xAA64, 8}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

// Our own libraries of every kind, with a built-in layout, read as any library is.
TEST(OwnLibraries, ReadBackToTheirKeysWithNothingLeftOut) {
    for (OsKind kind : {kOsWin2000, kOsWinXp}) {
        for (const char* builtin : {"BDS", "PHONETIC"}) {
            test::LayoutFixture f(kind);
            f.New();
            PortableProfileFile profile{f.files};
            const std::string ini = f.dir / "builtin.ini";
            ASSERT_TRUE(f.layout.ExtractResourceToFile(builtin, ini));
            ImportLayout(f.layout, profile, ini);
            const LayoutKeys keys = ReadLayoutKeys(f.layout);
            std::vector<std::string> libraries{f.WorkingBytes()};
            for (Machine machine : {Machine::X64, Machine::Arm64})
                for (const SystemLibrary& wide : SystemLibrariesFor(kind, machine, f.WorkingBytes(), f.resources))
                    libraries.push_back(wide.bytes);
            for (const std::string& library : libraries) {
                SCOPED_TRACE(std::string(LayoutFileKindName(kind)) + " " + builtin + " " + std::to_string(library.size()));
                std::string why;
                const std::optional<ForeignLayout> read = ReadLayoutLibrary(library, &why);
                ASSERT_TRUE(read) << why;
                EXPECT_EQ(read->keys, keys);
                EXPECT_EQ(read->leftOut, std::vector<std::string>{});
            }
        }
    }
}

TEST(OwnLibraries, AreMadeFromKeysOfEveryKind) {
    EmbeddedResources resources;
    for (OsKind kind : kLayoutFileKinds) {
        SCOPED_TRACE(LayoutFileKindName(kind));
        const std::string bytes = WorkingFileFromKeys(FixtureKeys(), kind, resources);
        ASSERT_TRUE(IsLayoutFileOfKind(bytes, kind));
        test::LayoutFixture f(kind);
        test::WriteFile(f.dir / "made", bytes);
        f.layout.OpenWorkingFile(f.dir / "made");
        LayoutKeys want = FixtureKeys();
        if (kind == kOsWin9x) want[kSpaceBar - 1] = ReadLayoutKeys(f.layout)[kSpaceBar - 1];  // fixed there
        EXPECT_EQ(ReadLayoutKeys(f.layout), want);
    }
}

// The x86 fixture with one thing broken, at a place found from its record.
class Damaged : public ::testing::Test {
protected:
    void SetUp() override {
        bytes = Fixture("x86");
        const PeImage image(bytes);
        const std::uint32_t code = image.Export("KbdLayerDescriptor");
        ASSERT_EQ(image.U8(code), 0xB8u);
        record = image.Offset(image.RvaOf(image.U32(code + 1)), 0x3C);
        base = static_cast<std::uint32_t>(image.ImageBase());
    }
    std::uint32_t U32(std::size_t at) const {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    }
    void Put32(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
    // The file offset a pointer of the record leads to.
    std::size_t Target(std::size_t at) const { return PeImage(bytes).Offset(U32(at) - base, 1); }
    void ExpectRefused(const std::string& reason) {
        std::string why;
        EXPECT_FALSE(ReadLayoutLibrary(bytes, &why));
        EXPECT_NE(why.find(reason), std::string::npos) << why;
        bytes = Fixture("x86");
    }
    std::string bytes;
    std::size_t record = 0;
    std::uint32_t base = 0;
};

TEST_F(Damaged, PointersOutsideTheImage) {
    Put32(record + 4, 0x7FFFFFF0);
    ExpectRefused("a pointer leads outside the image");
    Put32(record + 0x18, 0xFFFFFFFE);  // would wrap around the address space
    ExpectRefused("a pointer leads outside the image");
}

TEST_F(Damaged, ListWithoutItsEnd) {
    // The modifier keys pointed at the scan code table, which has no zero virtual key.
    Put32(Target(record), U32(record + 0x18));
    ExpectRefused("its modifier key list does not end");
}

TEST_F(Damaged, CountsThatOverflow) {
    bytes[Target(record + 4) + 4] = static_cast<char>(0xFF);  // 255 shift states in entries of 6 bytes
    ExpectRefused("a character table has a wrong entry size");
    Put32(record + 0x18, base + U32(U32(0x3C) + 24 + 56) - 2);  // 127 scan codes from the image's last two bytes
    ExpectRefused("a table runs outside the file's data");
    bytes[Target(record) + 4] = static_cast<char>(0xFF);  // 65535 modifier combinations
    bytes[Target(record) + 5] = static_cast<char>(0xFF);
    ExpectRefused("its modifier table is too large");
    bytes[record + 0x2C] = static_cast<char>(200);  // ligatures of 200 characters in entries of 6 bytes
    ExpectRefused("its ligature table has a wrong entry size");
}

TEST_F(Damaged, HeadersAndCutFiles) {
    std::string why;
    for (const std::string& bad : {std::string(), std::string("MZ"), std::string(64, 'M'), bytes.substr(0, 0x200)})
        EXPECT_FALSE(ReadLayoutLibrary(bad, &why));
    Put32(0x3C, 0xFFFFFFF0);
    ExpectRefused("it has no PE header");
    // Every cut of the file is refused or read, and never read beyond its end.
    const std::string whole = Fixture("x86");
    for (std::size_t size = 0; size < whole.size(); size += 61) ReadLayoutLibrary(whole.substr(0, size), &why);
}

}  // namespace
}  // namespace tastavia
