#pragma once
// Files through kernel32's ANSI functions that Windows 95 already has. A file is
// replaced by a flushed sibling that takes its place: MoveFileEx where the system has
// it; on Windows 9x, which lacks it, the old file is deleted and the sibling renamed,
// so that a crash in between leaves the new file under its temporary name.
#include "platform/Files.h"

namespace tastavia {

// How a finished sibling takes the target's place: Automatic picks by what the system
// offers; ReplacingMove (MoveFileEx) and DeleteThenMove test each way on one system.
enum class ReplaceMethod { Automatic, ReplacingMove, DeleteThenMove };

class Win32Files : public Files {
public:
    explicit Win32Files(ReplaceMethod method = ReplaceMethod::Automatic) : method_(method) {}

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
    bool WriteScratch(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<RandomAccessFile> Open(const std::string& path, FileAccess access) override;
    std::string CreateUniqueFile(const std::string& directory, const std::string& prefix) override;
    std::string FullPath(const std::string& path) override;
    std::string WindowsDirectory() override;
    std::string TempPath() override;
    std::string SystemFolderPath(SystemFolder folder) override;
    bool LastFailureDenied() override { return lastFailureDenied_; }
    bool InUse(const std::string& path) override;

private:
    // Writes bytes into a new sibling of target and puts it in target's place.
    bool ReplaceWith(const std::string& target, const std::string& bytes, const std::string& source);

    // Remembers whether a failure was Windows' refusal for want of rights.
    bool Failed();

    ReplaceMethod method_;
    bool lastFailureDenied_ = false;
};

}  // namespace tastavia
