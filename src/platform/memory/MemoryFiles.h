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

    void SetReadOnly(const std::string& path);

private:
    struct Entry {
        std::shared_ptr<Content> content;
        bool readOnly = false;
    };

    std::map<std::string, Entry> files_;
    unsigned unique_ = 0;
};

}  // namespace tastavia
