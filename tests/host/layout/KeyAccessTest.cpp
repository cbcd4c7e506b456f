// Reading and patching keys of fresh template copies, byte by byte.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace tastavia {
namespace {

using test::LayoutFixture;

constexpr auto kUp = ShiftState::Unshifted;
constexpr auto kDown = ShiftState::Shifted;

// Offsets at which two files differ.
std::vector<std::size_t> Diff(const std::string& a, const std::string& b) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) at.push_back(i);
    if (a.size() != b.size()) at.push_back(std::min(a.size(), b.size()));
    return at;
}

TEST(Win9xKeyAccess, ReadsTheTemplate) {
    LayoutFixture f(kOsWin9x);
    f.New();
    WorkingLayout& l = f.layout;
    EXPECT_EQ(l.ReadKeyChar(1, kUp), 96);
    EXPECT_EQ(l.ReadKeyChar(1, kDown), 126);
    EXPECT_EQ(l.ReadKeyChar(14, kUp), 40);  // its bytes lie after those of key 26
    EXPECT_EQ(l.ReadKeyChar(14, kDown), 41);
    EXPECT_EQ(l.ReadKeyChar(12, kDown), 178);
    EXPECT_TRUE(l.ReadCapsFlag(15));
    EXPECT_FALSE(l.ReadCapsFlag(1));
    EXPECT_EQ(l.ReadKeyChar(48, kUp), 32);
    EXPECT_EQ(l.ReadKeyChar(48, kDown), 32);
    EXPECT_FALSE(l.ReadCapsFlag(48));
}

TEST(Win9xKeyAccess, WritesOnlyTheKeysByte) {
    LayoutFixture f(kOsWin9x);
    f.New();
    std::string before = f.WorkingBytes();
    f.layout.WriteKeyChar(16, kUp, 65);
    std::string after = f.WorkingBytes();
    EXPECT_EQ(Diff(before, after), std::vector<std::size_t>{270});
    EXPECT_EQ(static_cast<unsigned char>(after[270]), 65);
    f.layout.WriteKeyChar(16, kDown, 66);
    EXPECT_EQ(static_cast<unsigned char>(f.WorkingBytes()[319]), 66);
}

TEST(Win9xKeyAccess, CapsFlagsKeepTheOtherBitsOfTheirByte) {
    LayoutFixture f(kOsWin9x);
    f.New();
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(f.WorkingBytes()[at]); };
    EXPECT_EQ(byte(72), 0x00);
    f.layout.WriteCapsFlag(8, true);
    EXPECT_EQ(byte(72), 0x80);
    f.layout.WriteCapsFlag(2, true);
    EXPECT_EQ(byte(72), 0x82);
    EXPECT_TRUE(f.layout.ReadCapsFlag(8));
    EXPECT_TRUE(f.layout.ReadCapsFlag(2));
    EXPECT_FALSE(f.layout.ReadCapsFlag(3));
    f.layout.WriteCapsFlag(8, false);
    EXPECT_EQ(byte(72), 0x02);
    EXPECT_EQ(byte(74), 0xFE);
    f.layout.WriteCapsFlag(27, false);
    EXPECT_EQ(byte(74), 0xFC);
}

TEST(Win9xKeyAccess, TheSpaceBarIsFixed) {
    LayoutFixture f(kOsWin9x);
    f.New();
    std::string before = f.WorkingBytes();
    for (int c = 0; c < 256; c += 17) {
        f.layout.WriteKeyChar(48, kUp, static_cast<std::uint8_t>(c));
        f.layout.WriteKeyChar(48, kDown, static_cast<std::uint8_t>(c));
    }
    f.layout.WriteCapsFlag(48, true);
    EXPECT_EQ(f.WorkingBytes(), before);
    EXPECT_EQ(f.layout.ReadKeyChar(48, kDown), 32);
}

TEST(Win9xKeyAccess, EveryKeyHasItsOwnPlaces) {
    LayoutFixture f(kOsWin9x);
    f.New();
    for (KeyNumber k = 1; k < kSpaceBar; ++k) {
        f.layout.WriteKeyChar(k, kUp, k);
        f.layout.WriteKeyChar(k, kDown, static_cast<std::uint8_t>(100 + k));
        f.layout.WriteCapsFlag(k, k % 2 == 0);
    }
    for (KeyNumber k = 1; k < kSpaceBar; ++k) {
        EXPECT_EQ(f.layout.ReadKeyChar(k, kUp), k);
        EXPECT_EQ(f.layout.ReadKeyChar(k, kDown), 100 + k);
        EXPECT_EQ(f.layout.ReadCapsFlag(k), k % 2 == 0) << "key " << int(k);
    }
}

class NtKeyAccessTest : public ::testing::TestWithParam<OsKind> {
protected:
    // The file offset of a Windows 2000 place in this kind's library.
    std::size_t At(std::size_t win2000Offset) const {
        return GetParam() == kOsWinXp ? win2000Offset - 520 : win2000Offset;
    }
};

TEST_P(NtKeyAccessTest, ReadsTheTemplate) {
    LayoutFixture f(GetParam());
    f.New();
    std::string bytes = f.WorkingBytes();
    auto byte = [&](std::size_t w2k) { return static_cast<unsigned char>(bytes[At(w2k)]); };
    EXPECT_EQ(f.layout.ReadKeyChar(11, kDown), 185);
    EXPECT_EQ(byte(2036), 0x16);
    EXPECT_EQ(byte(2037), 0x21);
    EXPECT_EQ(f.layout.ReadKeyChar(12, kDown), 73);
    EXPECT_EQ(byte(2376), 0x06);
    EXPECT_EQ(byte(2377), 0x04);
    EXPECT_EQ(f.layout.ReadKeyChar(16, kUp), 243);
    EXPECT_EQ(f.layout.ReadKeyChar(16, kDown), 211);
    EXPECT_TRUE(f.layout.ReadCapsFlag(16));
    EXPECT_EQ(byte(2051), 1);
    EXPECT_EQ(f.layout.ReadKeyChar(48, kUp), 32);
    EXPECT_EQ(f.layout.ReadKeyChar(48, kDown), 32);
    EXPECT_FALSE(f.layout.ReadCapsFlag(15));
}

TEST_P(NtKeyAccessTest, WritesCodeUnitsAndAttributesInPlace) {
    LayoutFixture f(GetParam());
    f.New();
    std::string before = f.WorkingBytes();
    f.layout.WriteKeyChar(48, kDown, 224);
    std::string after = f.WorkingBytes();
    EXPECT_EQ(Diff(before, after), (std::vector<std::size_t>{At(2332), At(2333)}));
    EXPECT_EQ(static_cast<unsigned char>(after[At(2332)]), 0x30);
    EXPECT_EQ(static_cast<unsigned char>(after[At(2333)]), 0x04);

    f.layout.WriteCapsFlag(3, true);
    EXPECT_EQ(Diff(after, f.WorkingBytes()), std::vector<std::size_t>{At(2353)});
    EXPECT_TRUE(f.layout.ReadCapsFlag(3));
}

TEST_P(NtKeyAccessTest, OnlyAnAttributeOfExactlyOneIsCapsSensitive) {
    LayoutFixture f(GetParam());
    f.New();
    std::string bytes = f.WorkingBytes();
    bytes[At(2051)] = 3;  // key 16's attribute with a further bit
    test::WriteFile(f.layout.WorkingPath(), bytes);
    EXPECT_FALSE(f.layout.ReadCapsFlag(16));
    f.layout.WriteCapsFlag(16, true);
    EXPECT_EQ(f.WorkingBytes()[At(2051)], 1);
}

TEST_P(NtKeyAccessTest, EveryByteRoundTrips) {
    LayoutFixture f(GetParam());
    f.New();
    for (unsigned c = 0; c < 256; ++c) {
        f.layout.WriteKeyChar(29, kDown, static_cast<std::uint8_t>(c));
        ASSERT_EQ(f.layout.ReadKeyChar(29, kDown), c);
    }
    EXPECT_EQ(f.layout.ReadKeyChar(29, kUp), 224);  // the other shift state is untouched
}

TEST_P(NtKeyAccessTest, EveryKeyHasItsOwnPlaces) {
    LayoutFixture f(GetParam());
    f.New();
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        f.layout.WriteKeyChar(k, kUp, static_cast<std::uint8_t>(k + 150));
        f.layout.WriteKeyChar(k, kDown, static_cast<std::uint8_t>(k + 200));
        f.layout.WriteCapsFlag(k, k % 3 == 0);
    }
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        EXPECT_EQ(f.layout.ReadKeyChar(k, kUp), k + 150);
        EXPECT_EQ(f.layout.ReadKeyChar(k, kDown), k + 200);
        EXPECT_EQ(f.layout.ReadCapsFlag(k), k % 3 == 0) << "key " << int(k);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, NtKeyAccessTest, ::testing::Values(kOsWin2000, kOsWinXp),
                         [](const auto& info) { return info.param == kOsWin2000 ? "Win2000" : "WinXp"; });

}  // namespace
}  // namespace tastavia
