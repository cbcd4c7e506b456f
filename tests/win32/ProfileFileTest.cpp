// The shared table of the profile API's rules, run against the real API of Wine and
// against our portable engine over Win32 files: both must follow it, and agree.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ProfileCases.h"
#include "layout/LayoutIni.h"
#include "platform/Errors.h"
#include "Win32TestSupport.h"
#include "platform/portable/PortableProfileFile.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Services.h"

namespace tastavia::test {
namespace {

// Runs a case in a fresh folder of the Wine prefix.
class ProfileFolder : public Win32Folder {
public:
    ProfileFolder() : Win32Folder("tastavia-ini") {}

    // Each run gets a file of its own: Wine caches profile files by name.
    ProfileOutcome Run(const ProfileCase& c, ProfileFile& profile, const std::string& fileName) {
        auto put = [this](const std::string& path, const std::string& bytes) {
            ASSERT_TRUE(files().WriteAll(path, bytes));
        };
        auto get = [this](const std::string& path) { return files().ReadAll(path); };
        return RunProfileCase(c, profile, path() + fileName, put, get);
    }
};

class ProfileTableUnderWine : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileTableUnderWine, RealApiAndPortableEngineFollowItAlike) {
    const ProfileCase& c = GetParam();
    ProfileFolder folder;
    Win32ProfileFile realApi;
    PortableProfileFile portable(folder.files());
    ProfileOutcome real = folder.Run(c, realApi, "real.ini");
    ProfileOutcome ours = folder.Run(c, portable, "portable.ini");
    {
        SCOPED_TRACE("real API");
        ExpectAsInTable(c, real, !c.wineReformats);
    }
    {
        SCOPED_TRACE("portable engine");
        ExpectAsInTable(c, ours, true);
    }
    EXPECT_EQ(ours.reads, real.reads);
    EXPECT_EQ(ours.writes, real.writes);
    if (!c.wineReformats) {
        EXPECT_EQ(ours.bytes, real.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileTableUnderWine, ::testing::ValuesIn(ProfileCases()), ProfileCaseName());

TEST(ProfileFileUnderWine, NoFolderNoWrite) {
    ProfileFolder folder;
    Win32ProfileFile realApi;
    PortableProfileFile portable(folder.files());
    const std::string path = folder.path() + "missing\\layout.ini";
    EXPECT_FALSE(realApi.WriteString(path, "KBD", "1", "a"));
    EXPECT_FALSE(portable.WriteString(path, "KBD", "1", "a"));
    EXPECT_FALSE(folder.files().Exists(path));
}

// Wine running as root writes read-only files through the real API anyway, so only
// our engine is held to the Windows rule here.
TEST(ProfileFileUnderWine, PortableEngineLeavesAReadOnlyFileAlone) {
    ProfileFolder folder;
    PortableProfileFile portable(folder.files());
    const std::string path = folder.path() + "layout.ini";
    ASSERT_TRUE(folder.files().WriteAll(path, "[KBD]\r\n1=a\r\n"));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(portable.WriteString(path, "KBD", "1", "b"));
    EXPECT_FALSE(portable.WriteString(path, "KBD", "2", "b"));
    EXPECT_EQ(folder.files().ReadAll(path), std::optional<std::string>("[KBD]\r\n1=a\r\n"));
    EXPECT_EQ(portable.GetString(path, "KBD", "1", "-"), "a");
}

class NoonClock : public Clock {
public:
    TimeOfDay LocalTime() override { return {12, 0, 0, 0}; }
};

// The export through the real API writes into a copy beside the target, which then
// replaces it: other sections stay, nothing is left beside it, and a read-only target,
// which Wine run by root would write, stays as it was.
TEST(ProfileFileUnderWine, ExportThroughTheRealApiReplacesTheTargetWhole) {
    ProfileFolder folder;
    Win32ProfileFile realApi;
    NoonClock clock;
    Win32Resources resources;
    WorkingLayout layout(folder.files(), clock, resources);
    layout.SetOsKind(kOsWinXp);
    layout.SetTempDirectory(folder.path());
    layout.OpenWorkingFile(kTemplateMarker);
    const std::string target = folder.path() + "out.ini", locked = folder.path() + "locked.ini";
    ASSERT_TRUE(folder.files().WriteAll(target, "[Mine]\r\nx=1\r\n"));
    ASSERT_TRUE(folder.files().WriteAll(locked, "[Mine]\r\n"));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    ExportLayout(layout, realApi, folder.files(), target);
    EXPECT_THROW(ExportLayout(layout, realApi, folder.files(), locked), IoError);
    layout.OpenWorkingFile("");

    EXPECT_EQ(realApi.GetString(target, "Mine", "x", "-"), "1");
    EXPECT_EQ(realApi.GetString(target, "KBD", "29", "-"), "224");
    EXPECT_EQ(realApi.GetString(target, "KBD", "1048", "-"), "0");
    EXPECT_EQ(folder.files().ReadAll(locked), std::optional<std::string>("[Mine]\r\n"));
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder.path() + "tas*").c_str(), &found);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "left behind: " << found.cFileName;
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

}  // namespace
}  // namespace tastavia::test
