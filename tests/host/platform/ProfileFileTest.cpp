// The portable profile-file engine on real files, held to the shared table of the
// profile API's rules, plus what only the host can set up.
#include <gtest/gtest.h>

#include "ProfileCases.h"
#include "TestSupport.h"
#include "platform/Errors.h"
#include "platform/memory/FaultyFiles.h"
#include "platform/portable/PortableProfileFile.h"
#include "platform/posix/PosixFiles.h"

namespace tastavia::test {
namespace {

struct HostProfile {
    TempDir dir;
    PosixFiles files{dir.path(), dir.path() + "/"};
    PortableProfileFile profile{files};
};

std::optional<std::string> BytesOf(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    return ReadFile(path);
}

class PortableProfileCases : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(PortableProfileCases, FollowTheTable) {
    HostProfile host;
    ProfileOutcome outcome = RunProfileCase(GetParam(), host.profile, host.dir / "layout.ini", WriteFile, BytesOf);
    ExpectAsInTable(GetParam(), outcome, true);
}

INSTANTIATE_TEST_SUITE_P(Table, PortableProfileCases, ::testing::ValuesIn(ProfileCases()), ProfileCaseName());

TEST(PortableProfileFile, ReadOnlyFileIsNeitherWrittenNorReplaced) {
    HostProfile host;
    const std::string path = host.dir / "layout.ini";
    const std::string original = "[KBD]\n1=a\n";
    WriteFile(path, original);
    MakeReadOnly(path);
    EXPECT_FALSE(host.profile.WriteString(path, "KBD", "1", "b"));
    EXPECT_FALSE(host.profile.WriteString(path, "KBD", "2", "b"));
    EXPECT_FALSE(host.profile.WriteString(path, "New", "1", "b"));
    // Not even an unchanged value counts as written.
    EXPECT_FALSE(host.profile.WriteString(path, "KBD", "1", "a"));
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(host.profile.GetString(path, "KBD", "1", "-"), "a");
}

TEST(PortableProfileFile, UnwritableLocationMakesNoFile) {
    HostProfile host;
    const std::string path = host.dir / "missing/layout.ini";
    EXPECT_FALSE(host.profile.WriteString(path, "KBD", "1", "a"));
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(host.profile.GetString(path, "KBD", "1", "-"), "-");
}

TEST(PortableProfileFile, WindowsSeparatorsAndEmbeddedNulsAreHandledAsTheApiDoes) {
    HostProfile host;
    // Names and values reach the real API as C strings: they end at the first NUL.
    ASSERT_TRUE(host.profile.WriteString(host.dir.path() + "\\layout.ini", std::string("KBD\0x", 5),
                                         std::string("1\0y", 3), std::string("a\0z", 3)));
    ASSERT_TRUE(host.profile.Flush(host.dir.path() + "\\layout.ini"));
    EXPECT_EQ(ReadFile(host.dir / "layout.ini"), "[KBD]\r\n1=a\r\n");
    EXPECT_EQ(host.profile.GetString(host.dir / "layout.ini", "KBD", std::string("1\0q", 3), "-"), "a");
}

// A last line without a break that ends in a NUL byte still gets its break before what
// is added after it.
TEST(PortableProfileFile, AddedLinesNeverJoinALastLineEndingInANul) {
    HostProfile host;
    const std::string path = host.dir / "layout.ini";
    WriteFile(path, std::string("[A]\r\nk=1\r\nx\0", 12));
    ASSERT_TRUE(host.profile.WriteString(path, "B", "m", "2"));
    ASSERT_TRUE(host.profile.Flush(path));
    EXPECT_EQ(ReadFile(path), std::string("[A]\r\nk=1\r\nx\0\r\n[B]\r\nm=2\r\n", 24));
}

TEST(PortableProfileFile, KeepsWritesUntilFlushAndRereadsAFileThatChanged) {
    HostProfile host;
    const std::string path = host.dir / "layout.ini";
    WriteFile(path, "[KBD]\r\n1=a\r\n");
    EXPECT_EQ(host.profile.GetString(path, "KBD", "1", "-"), "a");
    ASSERT_TRUE(host.files.WriteAll(path, "[KBD]\r\n1=bb\r\n"));  // another program's write
    EXPECT_EQ(host.profile.GetString(path, "KBD", "1", "-"), "bb");

    ASSERT_TRUE(host.profile.WriteString(path, "KBD", "2", "c"));
    EXPECT_EQ(ReadFile(path), "[KBD]\r\n1=bb\r\n");
    EXPECT_EQ(host.profile.GetString(path, "KBD", "2", "-"), "c");
    ASSERT_TRUE(host.profile.Flush(path));
    EXPECT_EQ(ReadFile(path), "[KBD]\r\n1=bb\r\n2=c\r\n");
}

TEST(PortableProfileFile, AFileThatCannotBeReadIsNeitherTakenForEmptyNorReplaced) {
    TempDir dir;
    PosixFiles real{dir.path(), dir.path() + "/"};
    FaultPlan plan;
    FaultyFiles files{real, plan};
    WriteFile(dir / "layout.ini", "[KBD]\r\n1=a\r\n");
    plan.FailCall(1);  // the read
    PortableProfileFile reader{files};
    EXPECT_THROW(reader.GetString(dir / "layout.ini", "KBD", "1", "-"), IoError);
    plan.FailCall(1);
    PortableProfileFile writer{files};
    EXPECT_FALSE(writer.WriteString(dir / "layout.ini", "KBD", "1", "b"));
    EXPECT_TRUE(writer.Flush(dir / "layout.ini"));
    EXPECT_EQ(ReadFile(dir / "layout.ini"), "[KBD]\r\n1=a\r\n");
}

}  // namespace
}  // namespace tastavia::test
