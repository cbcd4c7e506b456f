#pragma once
// Files held in memory, for fuzzing and tests: paths are names as given, every folder
// exists, and a replaced file leaves open handles on its old bytes, as a rename does.
#include <map>
#include <memory>
#include <string>

#include "platform/Files.h"

namespace tastavia {

class MemoryFiles : public Files {
public:
    struct Content {
        std::string bytes;
        std::uint64_t version;  // new for every change, through any handle
    };

    MemoryFiles() = default;

    bool Exists(const std::string& path) override { return files_.count(path) != 0; }
    FileStatus Status(const std::string& path) override;
    bool SameFile(const std::string& a, const std::string& b) override { return a == b; }
    bool IsReadOnly(const std::string& path) override;
    void ClearReadOnly(const std::string& path) override;
    bool Copy(const std::string& source, const std::string& target) override;
    bool Delete(const std::string& path) override;
    std::optional<std::string> ReadAll(const std::string& path) override;
    bool WriteAll(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<RandomAccessFile> Open(const std::string& path, FileAccess access) override;
    std::string CreateUniqueFile(const std::string& directory, const std::string& prefix) override;
    std::string FullPath(const std::string& path) override { return path; }
    std::string WindowsDirectory() override { return "WINDOWS"; }
    std::string TempPath() override { return "TEMP/"; }
    std::string SystemFolderPath(SystemFolder folder) override {
        return folder == SystemFolder::Native64 ? "WINDOWS\\Sysnative\\" : "WINDOWS\\system32\\";
    }
    bool LastFailureDenied() override { return lastFailureDenied_; }

    void SetReadOnly(const std::string& path);
    // As for a standard user: writes and deletes of files whose path starts with
    // folder fail, refused for want of rights.
    void DenyWrites(const std::string& folder) { deniedFolder_ = folder; }

private:
    struct Entry {
        std::shared_ptr<Content> content;
        bool readOnly = false;
    };

    bool Denied(const std::string& path);

    std::map<std::string, Entry> files_;
    std::string deniedFolder_;
    bool lastFailureDenied_ = false;
    unsigned unique_ = 0;
};

}  // namespace tastavia
