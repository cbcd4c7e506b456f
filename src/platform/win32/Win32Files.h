#pragma once
#include "platform/Files.h"

namespace tastavia {

class Win32Files : public Files {
public:
    bool Exists(const std::string& path) override;
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
};

}  // namespace tastavia
