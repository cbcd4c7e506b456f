// The shared table of the profile API's rules, run against the real API of Wine and
// against our portable engine over Win32 files: both must follow it, and agree.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ProfileCases.h"
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

}  // namespace
}  // namespace tastavia::test
