#pragma once
// Files that fail when a FaultPlan says so, over any other Files. Every call that can
// report a failure counts, the open files' byte access included; a failing call does
// nothing and fails as the real one would: a write or copy leaves the target as it was.
#include "platform/Files.h"
#include "platform/memory/FaultPlan.h"

namespace tastavia {

class FaultyFiles : public Files {
public:
    FaultyFiles(Files& inner, FaultPlan& plan) : inner_(inner), plan_(plan) {}

    // In the persistent mode a failing look at a path finds nothing, as the system's does.
    bool Exists(const std::string& path) override { return !ReadFails("Exists", path) && inner_.Exists(path); }
    std::vector<std::string> FileNames(const std::string& folder) override {
        return ReadFails("FileNames", folder) ? std::vector<std::string>{} : inner_.FileNames(folder);
    }
    FileStatus Status(const std::string& path) override {
        return ReadFails("Status", path) ? FileStatus() : inner_.Status(path);
    }
    bool SameFile(const std::string& a, const std::string& b) override { return inner_.SameFile(a, b); }
    bool IsReadOnly(const std::string& path) override { return inner_.IsReadOnly(path); }
    void ClearReadOnly(const std::string& path) override;
    bool Copy(const std::string& source, const std::string& target) override;
    bool Delete(const std::string& path) override;
    std::optional<std::string> ReadAll(const std::string& path) override;
    bool WriteAll(const std::string& path, const std::string& bytes) override;
    std::unique_ptr<RandomAccessFile> Open(const std::string& path, FileAccess access) override;
    std::string CreateUniqueFile(const std::string& directory, const std::string& prefix) override;
    std::string FullPath(const std::string& path) override;
    std::string WindowsDirectory() override { return inner_.WindowsDirectory(); }
    std::string TempPath() override { return inner_.TempPath(); }
    std::string SystemFolderPath(SystemFolder folder) override { return inner_.SystemFolderPath(folder); }
    bool LastFailureDenied() override { return inner_.LastFailureDenied(); }
    bool InUse(const std::string& path) override { return inner_.InUse(path); }

private:
    bool Fails(const char* operation, const std::string& path) { return plan_.NextCallFails(std::string(operation) + " " + path); }
    bool ReadFails(const char* operation, const std::string& path) {
        return plan_.NextReadFails(std::string(operation) + " " + path);
    }

    Files& inner_;
    FaultPlan& plan_;
};

}  // namespace tastavia
