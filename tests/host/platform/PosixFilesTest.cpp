// Files on a POSIX system: whole-or-nothing replacement, what Status and SameFile see,
// and scratch files removed when the program is interrupted.
#include <dlfcn.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "fault/FaultSweep.h"
#include "platform/posix/ScratchFiles.h"

// A close that fails on demand (as on a network file system that writes at close):
// this test program's own close stands before the C library's.
namespace {
bool failingCloses = false;
}  // namespace

extern "C" int close(int fd) {
    using Close = int (*)(int);
    static const Close real = reinterpret_cast<Close>(dlsym(RTLD_NEXT, "close"));
    const int result = real(fd);
    if (failingCloses && result == 0) {
        errno = EIO;
        return -1;
    }
    return result;
}

namespace tastavia::test {
namespace {

struct PosixFilesTest : ::testing::Test {
    TempDir dir;
    PosixFiles files{dir.path(), dir.path() + "/"};
};

TEST_F(PosixFilesTest, ReplacingKeepsTheModeAndTheLinkAndLeavesNoSibling) {
    const std::string target = dir / "k.dll";
    WriteFile(target, std::string(4096, 'o'));
    ::chmod(target.c_str(), 0640);
    ASSERT_EQ(::symlink("k.dll", (dir / "link.dll").c_str()), 0);
    ASSERT_TRUE(files.WriteAll(dir / "link.dll", "new"));
    EXPECT_EQ(ReadFile(target), "new");
    struct stat st {};
    ASSERT_EQ(::lstat((dir / "link.dll").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_FALSE(files.WriteAll(dir / "missing/k.dll", "x"));
    EXPECT_FALSE(files.WriteAll(dir.path(), "x"));
    EXPECT_FALSE(files.Copy(dir / "missing.dll", target));
    MakeReadOnly(target);
    EXPECT_FALSE(files.Copy(dir / "link.dll", target));
    EXPECT_EQ(ReadFile(target), "new");
    auto left = FolderFiles(dir.path());
    EXPECT_EQ(left.size(), 2u) << NewFiles({{"k.dll", ""}, {"link.dll", ""}}, left);
}

TEST_F(PosixFilesTest, AFileWhoseCloseFailsIsNotReportedWritten) {
    const std::string target = dir / "k.dll";
    WriteFile(target, "old");
    failingCloses = true;
    const bool written = files.WriteAll(target, "new");
    failingCloses = false;
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(FolderFiles(dir.path()).size(), 1u);
}

TEST_F(PosixFilesTest, StatusAndSameFileSeeThroughSpellingsAndLinks) {
    const std::string path = dir / "a.ini";
    WriteFile(path, "12345");
    FileStatus first = files.Status(path);
    EXPECT_EQ(first.kind, FileKind::File);
    EXPECT_EQ(first.size, 5u);
    EXPECT_EQ(files.Status(dir.path()).kind, FileKind::Folder);
    EXPECT_EQ(files.Status("/dev/null").kind, FileKind::Other);
    EXPECT_EQ(files.Status(dir / "none").kind, FileKind::Missing);
    ASSERT_TRUE(files.WriteAll(path, "54321"));  // the same size, other bytes
    EXPECT_NE(files.Status(path).version, first.version);

    ASSERT_EQ(::symlink(path.c_str(), (dir / "b.ini").c_str()), 0);
    EXPECT_TRUE(files.SameFile(path, dir / "b.ini"));
    EXPECT_TRUE(files.SameFile(path, dir / "./x/../a.ini"));
    EXPECT_TRUE(files.SameFile(dir / "none", dir / "x/../none"));
    EXPECT_FALSE(files.SameFile(path, dir / "A.ini"));
}

// A child tracks scratch files and is killed; the files go with it, the signal stays its death.
TEST_F(PosixFilesTest, ScratchFilesGoWhenTheProgramIsInterrupted) {
    for (int signal : {SIGINT, SIGTERM}) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RemoveScratchFilesOnSignals();
            files.CreateUniqueFile(dir.path(), "tas");
            std::string kept = files.CreateUniqueFile(dir.path(), "keep");
            UntrackScratchFile(kept);
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        auto left = FolderFiles(dir.path());
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left.begin()->first.rfind("keep", 0), 0u);
        std::remove((dir / left.begin()->first).c_str());
    }
}

}  // namespace
}  // namespace tastavia::test
