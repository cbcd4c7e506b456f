// Naming, replacing, deleting and failing to open the working layout file.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Errors.h"

namespace tastavia {
namespace {

using test::FileExists;
using test::LayoutFixture;
using test::ReadFile;

TEST(TimeOfDayNumber, CountsStepsOfTheDay) {
    EXPECT_EQ(TimeOfDayNumber({0, 0, 0, 0}), 0u);
    EXPECT_EQ(TimeOfDayNumber({0, 0, 0, 863}), 0u);
    EXPECT_EQ(TimeOfDayNumber({0, 0, 0, 864}), 1u);
    EXPECT_EQ(TimeOfDayNumber({12, 0, 0, 0}), 50000u);
    EXPECT_EQ(TimeOfDayNumber({18, 0, 0, 0}), 75000u);
    EXPECT_EQ(TimeOfDayNumber({23, 59, 59, 999}), 99999u);
}

TEST(WorkingLayout, MakeTempFileNameJoinsItsParts) {
    LayoutFixture f(kOsWin2000);
    f.clock.time = {0, 0, 8, 640};
    EXPECT_EQ(f.layout.MakeTempFileName("KBD"), f.dir.path() + "/KBD10.tmp");
}

TEST(WorkingLayout, TemplateCopyIsNamedByTheClock) {
    LayoutFixture f(kOsWin2000);
    int opened = 0;
    f.layout.onOpened = [&] { ++opened; };
    f.New();
    EXPECT_EQ(f.layout.WorkingPath(), f.dir / "W2K50000.tmp");
    EXPECT_TRUE(f.layout.IsOpen());
    EXPECT_EQ(ReadFile(f.dir / "W2K50000.tmp"), test::ResourceFile("WIN2K.dll"));
    EXPECT_EQ(f.layout.ReadKeyChar(11, ShiftState::Unshifted), 48);
    EXPECT_EQ(f.layout.ReadKeyChar(11, ShiftState::Shifted), 185);
    EXPECT_EQ(opened, 1);
}

TEST(WorkingLayout, EachKindCopiesItsTemplate) {
    for (auto [kind, name, resource] : {std::tuple{kOsWin9x, "W98", "WIN98.kbd"},
                                        std::tuple{kOsWinXp, "WXP", "WINXP.dll"}}) {
        LayoutFixture f(kind);
        f.clock.time = {6, 0, 0, 0};
        f.New();
        EXPECT_EQ(f.layout.WorkingPath(), f.dir / (std::string(name) + "25000.tmp"));
        EXPECT_EQ(f.WorkingBytes(), test::ResourceFile(resource));
    }
}

TEST(WorkingLayout, ANewCopyWithinTheSameStepReplacesTheFirst) {
    LayoutFixture f(kOsWinXp);
    f.New();
    f.layout.WriteKeyChar(20, ShiftState::Unshifted, 65);
    std::string path = f.layout.WorkingPath();
    f.New();
    EXPECT_EQ(f.layout.WorkingPath(), path);
    EXPECT_EQ(f.WorkingBytes(), test::ResourceFile("WINXP.dll"));
    EXPECT_EQ(f.layout.ReadKeyChar(20, ShiftState::Unshifted), 249);
}

TEST(WorkingLayout, ALaterCopyDeletesTheEarlierFile) {
    LayoutFixture f(kOsWin9x);
    f.New();
    std::string first = f.layout.WorkingPath();
    f.clock.time = {12, 0, 1, 0};
    f.New();
    EXPECT_NE(f.layout.WorkingPath(), first);
    EXPECT_FALSE(FileExists(first));
    EXPECT_TRUE(FileExists(f.layout.WorkingPath()));
}

TEST(WorkingLayout, AnEmptyArgumentClosesAndDeletes) {
    LayoutFixture f(kOsWin2000);
    f.New();
    std::string path = f.layout.WorkingPath();
    int opened = 0;
    f.layout.onOpened = [&] { ++opened; };
    f.layout.OpenWorkingFile("");
    EXPECT_FALSE(f.layout.IsOpen());
    EXPECT_EQ(f.layout.WorkingPath(), "");
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(opened, 0);  // the editor is not touched
    EXPECT_THROW(f.layout.ReadKeyChar(1, ShiftState::Unshifted), IoError);
}

TEST(WorkingLayout, AGivenFileIsOpenedAsItIs) {
    LayoutFixture f(kOsWin9x);
    std::string copy = f.dir / "KBD123.tmp";
    std::string bytes = test::ResourceFile("WIN98.kbd");
    bytes[256] = 'Q';
    test::WriteFile(copy, bytes);
    f.layout.OpenWorkingFile(copy);
    EXPECT_EQ(f.layout.WorkingPath(), copy);
    EXPECT_EQ(f.layout.ReadKeyChar(1, ShiftState::Unshifted), 'Q');
    f.layout.OpenWorkingFile("");
    EXPECT_FALSE(FileExists(copy));  // the system's own copy to delete
}

TEST(WorkingLayout, AMissingFileLeavesNothingOpen) {
    LayoutFixture f(kOsWin2000);
    f.New();
    std::string previous = f.layout.WorkingPath();
    int opened = 0;
    f.layout.onOpened = [&] { ++opened; };
    EXPECT_THROW(f.layout.OpenWorkingFile(f.dir / "missing.tmp"), IoError);
    EXPECT_FALSE(f.layout.IsOpen());
    EXPECT_EQ(f.layout.WorkingPath(), "");
    EXPECT_FALSE(FileExists(previous));
    EXPECT_EQ(opened, 0);
    f.New();  // starts cleanly
    EXPECT_TRUE(f.layout.IsOpen());
    EXPECT_EQ(opened, 1);
}

TEST(WorkingLayout, TheCurrentPathIsDeletedBeforeItCouldBeOpened) {
    LayoutFixture f(kOsWin2000);
    f.New();
    std::string path = f.layout.WorkingPath();
    EXPECT_THROW(f.layout.OpenWorkingFile(path), IoError);
    EXPECT_FALSE(f.layout.IsOpen());
    EXPECT_FALSE(FileExists(path));
}

TEST(WorkingLayout, AFailedExtractionKeepsTheFileBeingEdited) {
    LayoutFixture f(kOsWinXp);
    f.New();
    f.layout.WriteKeyChar(2, ShiftState::Unshifted, 'x');
    std::string previous = f.layout.WorkingPath();
    f.layout.SetTempDirectory(f.dir / "no-such-folder/");
    EXPECT_THROW(f.layout.OpenWorkingFile(kTemplateMarker), IoError);
    EXPECT_EQ(f.layout.WorkingPath(), previous);
    EXPECT_EQ(f.layout.ReadKeyChar(2, ShiftState::Unshifted), 'x');
    f.clock.time = {13, 0, 0, 0};
    f.layout.SetTempDirectory(f.dir.path() + "/");
    f.New();
    EXPECT_FALSE(FileExists(previous));
}

TEST(WorkingLayout, NoKindNoCopy) {
    LayoutFixture f(kOsUnchosen);
    EXPECT_NO_THROW(f.New());
    EXPECT_FALSE(f.layout.IsOpen());
    EXPECT_EQ(f.layout.WorkingPath(), "");
}

TEST(WorkingLayout, ExtractResourceToFileReportsFailures) {
    LayoutFixture f(kOsWin9x);
    EXPECT_FALSE(f.layout.ExtractResourceToFile("BDS", ""));
    EXPECT_FALSE(f.layout.ExtractResourceToFile("NOSUCH", f.dir / "x"));
    EXPECT_FALSE(FileExists(f.dir / "x"));
    EXPECT_TRUE(f.layout.ExtractResourceToFile("BDS", f.dir / "bds.ini"));
    EXPECT_EQ(ReadFile(f.dir / "bds.ini"), test::ResourceFile("BDS.ini"));
    // An existing file is emptied first.
    test::WriteFile(f.dir / "long", std::string(5000, 'x'));
    EXPECT_TRUE(f.layout.ExtractResourceToFile("WIN98", f.dir / "long"));
    EXPECT_EQ(ReadFile(f.dir / "long").size(), 403u);
}

TEST(WorkingLayout, ACopyTakenWhileOpenHoldsEveryWrite) {
    for (OsKind kind : {kOsWin9x, kOsWin2000, kOsWinXp}) {
        LayoutFixture f(kind);
        f.New();
        f.layout.WriteKeyChar(27, ShiftState::Unshifted, 223);
        f.layout.WriteKeyChar(27, ShiftState::Shifted, 168);
        f.layout.WriteCapsFlag(1, true);
        ASSERT_TRUE(f.files.Copy(f.layout.WorkingPath(), f.dir / "installed"));
        LayoutFixture g(kind);
        g.layout.OpenWorkingFile(f.dir / "installed");
        EXPECT_EQ(g.layout.ReadKeyChar(27, ShiftState::Unshifted), 223);
        EXPECT_EQ(g.layout.ReadKeyChar(27, ShiftState::Shifted), 168);
        EXPECT_TRUE(g.layout.ReadCapsFlag(1));
        EXPECT_TRUE(f.layout.IsOpen());  // the copy did not close it
    }
}

TEST(WorkingLayout, KeyAccessOnATruncatedFileFailsWithIoError) {
    LayoutFixture f(kOsWin2000);
    std::string path = f.dir / "short.tmp";
    test::WriteFile(path, test::ResourceFile("WIN2K.dll").substr(0, 2100));
    f.layout.OpenWorkingFile(path);
    EXPECT_EQ(f.layout.ReadKeyChar(16, ShiftState::Unshifted), 243);
    EXPECT_THROW(f.layout.ReadKeyChar(47, ShiftState::Unshifted), IoError);
}

}  // namespace
}  // namespace tastavia
