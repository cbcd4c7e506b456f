#pragma once
// Files on a POSIX system, behaving as Windows does where the logic can tell: a file
// without the owner's write permission counts as read-only, and a read-only file can
// be neither written, replaced nor deleted (also when running as root). A file is
// replaced by renaming a flushed sibling over it; a link is replaced where it points.
// Files made by CreateUniqueFile and the siblings count as scratch until deleted or
// renamed: RemoveScratchFilesOnSignals removes them when the program is interrupted.
#include "platform/Files.h"

namespace tastavia {

class PosixFiles : public Files {
public:
    // windowsDirectory stands in for the Windows directory (no trailing separator);
    // tempPath for the temporary directory (with one).
    PosixFiles(std::string windowsDirectory, std::string tempPath);

    bool Exists(const std::string& path) override;
    std::vector<std::string> FileNames(const std::string& folder) override;
    FileStatus Status(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override;
    bool IsReadOnly(const std::string& path) override;
    void ClearReadOnly(const std::string& path) override;
    bool Copy(const std::string& source, const std::string& target) override;
    bool Delete(const std::string& path) override;
    std::optional<std::string> ReadAll(const std::string& path) override;
    bool WriteAll(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<RandomAccessFile> Open(const std::string& path, FileAccess access) override;
    std::string CreateUniqueFile(const std::string& directory, const std::string& prefix) override;
    std::string FullPath(const std::string& path) override;
    std::string WindowsDirectory() override;
    std::string TempPath() override;
    // The stand-in Windows directory's system32, and sysnative for a 64-bit Windows.
    std::string SystemFolderPath(SystemFolder folder) override;

    // A Windows-style path as this system spells it: '\' becomes '/'.
    static std::string Native(const std::string& path);

private:
    std::string windowsDirectory_;
    std::string tempPath_;
};

}  // namespace tastavia
