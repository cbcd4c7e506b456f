// Layout INI import and export through the profile-file engine, on real files.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "layout/LayoutIni.h"
#include "platform/Errors.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia {
namespace {

using test::ReadFile;
using test::ResourceFile;
using test::WriteFile;

constexpr auto kUp = ShiftState::Unshifted;
constexpr auto kDown = ShiftState::Shifted;

struct IniFixture : test::LayoutFixture {
    PortableProfileFile profile{files};
    int imported = 0, exported = 0;

    explicit IniFixture(OsKind kind) : LayoutFixture(kind) {
        layout.onImported = [this] { ++imported; };
        layout.onExported = [this] { ++exported; };
        New();
    }
    std::vector<IniValueNote> Import(const std::string& iniText) {
        WriteFile(dir / "in.ini", iniText);
        return ImportLayout(layout, profile, dir / "in.ini");
    }
};

TEST(ParseIniInteger, FollowsTheProfileNumberRules) {
    EXPECT_EQ(ParseIniInteger("65"), 65);
    EXPECT_EQ(ParseIniInteger("0x41"), 65);
    EXPECT_EQ(ParseIniInteger("0X41"), 65);
    EXPECT_EQ(ParseIniInteger("$41"), 65);
    EXPECT_EQ(ParseIniInteger("$ff"), 255);
    EXPECT_EQ(ParseIniInteger("-1"), -1);
    EXPECT_EQ(ParseIniInteger("+7"), 7);
    EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseIniInteger("0x"), std::nullopt);  // two characters: not hexadecimal, not decimal
    EXPECT_EQ(ParseIniInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x80000000"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("99999999999999999999"), std::nullopt);
    for (const char* bad : {"", "abc", "12a", "-", "$", "0x4G", "1 2", "--1", "4.5"})
        EXPECT_EQ(ParseIniInteger(bad), std::nullopt) << bad;
}

class BuiltinRoundTrip : public ::testing::TestWithParam<std::tuple<OsKind, const char*>> {};

TEST_P(BuiltinRoundTrip, ImportThenExportGivesTheResource) {
    auto [kind, resource] = GetParam();
    IniFixture f(kind);
    std::string builtin = f.dir / "builtin.tmp";
    ASSERT_TRUE(f.layout.ExtractResourceToFile(resource, builtin));
    ImportLayout(f.layout, f.profile, builtin);
    ExportLayout(f.layout, f.profile, f.files, f.dir / "out.ini");
    EXPECT_EQ(ReadFile(f.dir / "out.ini"), ReadFile(builtin));
    EXPECT_EQ(f.imported, 1);
    EXPECT_EQ(f.exported, 1);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, BuiltinRoundTrip,
                         ::testing::Combine(::testing::Values(kOsWin9x, kOsWin2000, kOsWinXp),
                                            ::testing::Values("BDS", "PHONETIC")));

TEST(LayoutImport, ValuesAreReadByTheNumberRules) {
    IniFixture f(kOsWin2000);
    f.Import("[KBD]\r\n1=0x41\r\n2=$41\r\n3=65\r\n4=321\r\n5=-1\r\n6=letters\r\n7=\r\n8=0x100000000\r\n");
    EXPECT_EQ(f.layout.ReadKeyChar(1, kUp), 65);
    EXPECT_EQ(f.layout.ReadKeyChar(2, kUp), 65);
    EXPECT_EQ(f.layout.ReadKeyChar(3, kUp), 65);
    EXPECT_EQ(f.layout.ReadKeyChar(4, kUp), 65);
    EXPECT_EQ(f.layout.ReadKeyChar(5, kUp), 255);
    EXPECT_EQ(f.layout.ReadKeyChar(6, kUp), 53);  // keeps its character
    EXPECT_EQ(f.layout.ReadKeyChar(7, kUp), 54);
    EXPECT_EQ(f.layout.ReadKeyChar(8, kUp), 55);
}

TEST(LayoutImport, CapsValuesSetClearOrKeep) {
    IniFixture f(kOsWinXp);
    f.Import("[KBD]\r\n1001=2\r\n1016=0\r\n1017=letters\r\n1002=-5\r\n");
    EXPECT_TRUE(f.layout.ReadCapsFlag(1));
    EXPECT_FALSE(f.layout.ReadCapsFlag(16));
    EXPECT_TRUE(f.layout.ReadCapsFlag(17));  // kept
    EXPECT_TRUE(f.layout.ReadCapsFlag(2));
    EXPECT_FALSE(f.layout.ReadCapsFlag(3));  // missing: kept
}

TEST(LayoutImport, ChangesOnlyTheKeysTheFileHolds) {
    for (OsKind kind : {kOsWin9x, kOsWin2000}) {
        IniFixture f(kind);
        std::string before = f.WorkingBytes();
        f.Import("[kbd]\r\n17=200\r\n");  // section names match in any letter case
        EXPECT_EQ(f.layout.ReadKeyChar(17, kUp), 200);
        f.layout.WriteKeyChar(17, kUp, 229);
        EXPECT_EQ(f.WorkingBytes(), before);
        EXPECT_EQ(f.imported, 1);
    }
}

TEST(LayoutImport, OtherSectionsAndMissingFilesChangeNothing) {
    IniFixture f(kOsWin2000);
    std::string before = f.WorkingBytes();
    f.Import("[OTHER]\r\n1=65\r\n");
    ImportLayout(f.layout, f.profile, f.dir / "missing.ini");
    ImportLayout(f.layout, f.profile, "");
    EXPECT_EQ(f.WorkingBytes(), before);
    EXPECT_EQ(f.imported, 3);
}

TEST(LayoutImport, ValuesNotTakenAsTheyStandAreNotedOnceEach) {
    IniFixture f(kOsWinXp);
    const std::vector<IniValueNote> notes =
        f.Import("[KBD]\r\n1=300\r\n2=abc\r\n3=65\r\n4=\r\n50=-1\r\n1001=1\r\n1002=7\r\n1003=x\r\n");
    EXPECT_EQ(f.layout.ReadKeyChar(1, kUp), 44);  // applied as before: modulo 256
    EXPECT_EQ(f.layout.ReadKeyChar(2, kUp), '1');  // kept
    EXPECT_TRUE(f.layout.ReadCapsFlag(2));
    EXPECT_EQ(DescribeIniNotes(notes),
              "1=300: out of range 0-255, taken as 44 (,)\n"
              "2=abc: not a number, the key kept its value 49\n"
              "50=-1: out of range 0-255, taken as 255 (\xFF)\n"
              "1002=7: out of range 0-1, taken as 1\n"
              "1003=x: not a number, the key kept its value 0");
    EXPECT_EQ(DescribeIniNotes(notes, 2), "1=300: out of range 0-255, taken as 44 (,)\n"
                                          "2=abc: not a number, the key kept its value 49\n... and 3 more");
    EXPECT_TRUE(f.Import("[KBD]\r\n1=65\r\n").empty());
}

TEST(LayoutImport, TheSpaceBarIsIgnoredOnlyOnWindows9x) {
    const std::string ini = "[KBD]\r\n48=65\r\n96=66\r\n1048=1\r\n";
    IniFixture w98(kOsWin9x);
    std::string before = w98.WorkingBytes();
    w98.Import(ini);
    EXPECT_EQ(w98.WorkingBytes(), before);

    IniFixture nt(kOsWinXp);
    nt.Import(ini);
    EXPECT_EQ(nt.layout.ReadKeyChar(48, kUp), 65);
    EXPECT_EQ(nt.layout.ReadKeyChar(48, kDown), 66);
    EXPECT_TRUE(nt.layout.ReadCapsFlag(48));
}

TEST(LayoutImport, AFailingWorkingFileEndsTheImportAtThatKey) {
    IniFixture f(kOsWin2000);
    std::string path = f.dir / "short.tmp";
    WriteFile(path, ResourceFile("WIN2K.dll").substr(0, 2100));  // ends before key 3's table
    f.layout.OpenWorkingFile(path);
    WriteFile(f.dir / "in.ini", "[KBD]\r\n1=65\r\n2=66\r\n4=67\r\n");
    EXPECT_THROW(ImportLayout(f.layout, f.profile, f.dir / "in.ini"), IoError);
    EXPECT_EQ(f.layout.ReadKeyChar(1, kUp), 65);
    EXPECT_EQ(f.layout.ReadKeyChar(2, kUp), 66);
    EXPECT_EQ(f.layout.ReadKeyChar(4, kUp), 51);  // after the failing key 3
    EXPECT_EQ(f.imported, 0);  // the view is not reset
}

TEST(LayoutExport, WritesAllKeysInOrderOnWindows9x) {
    IniFixture f(kOsWin9x);
    ExportLayout(f.layout, f.profile, f.files, f.dir / "out.ini");
    std::string ini = ReadFile(f.dir / "out.ini");
    EXPECT_NE(ini.find("\r\n12=45\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\n60=178\r\n"), std::string::npos);  // this template's own І
    EXPECT_NE(ini.find("\r\n48=32\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\n96=32\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\n1015=1\r\n"), std::string::npos);
    EXPECT_EQ(ini.substr(ini.size() - 8), "1048=0\r\n");
    EXPECT_LT(ini.find("\r\n48="), ini.find("\r\n49="));
    EXPECT_LT(ini.find("\r\n96="), ini.find("\r\n1001="));
}

TEST(LayoutExport, KeepsOtherSectionsAndReplacesValuesInPlace) {
    IniFixture f(kOsWinXp);
    WriteFile(f.dir / "out.ini", "[Before]\r\na=1\r\n[KBD]\r\n2=0\r\n1=0\r\n[After]\r\nb=2\r\n");
    ExportLayout(f.layout, f.profile, f.files, f.dir / "out.ini");
    std::string ini = ReadFile(f.dir / "out.ini");
    EXPECT_EQ(ini.rfind("[Before]\r\na=1\r\n[KBD]\r\n2=49\r\n1=96\r\n3=50\r\n", 0), 0u);
    EXPECT_NE(ini.find("1048=0\r\n[After]\r\nb=2\r\n"), std::string::npos);
}

TEST(LayoutExport, AnUnwritableFileStopsWithTheProfileError) {
    IniFixture f(kOsWin2000);
    std::string path = f.dir / "ro.ini";
    WriteFile(path, "[KBD]\r\n");
    test::MakeReadOnly(path);
    try {
        ExportLayout(f.layout, f.profile, f.files, path);
        FAIL() << "no error";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path + "\rThe file is read-only.");
    }
    EXPECT_EQ(ReadFile(path), "[KBD]\r\n");
    EXPECT_EQ(f.exported, 0);
}

}  // namespace
}  // namespace tastavia
