#pragma once
// Our own profile-file engine, following the rules of the Windows profile API, for
// systems that have none. Reads and writes whole files through Files, at every call.
// A write keeps every other line byte for byte, as native Windows does (Wine 8
// rewrites the whole file in its own format).
#include "platform/Files.h"
#include "platform/ProfileFile.h"

namespace tastavia {

class PortableProfileFile : public ProfileFile {
public:
    explicit PortableProfileFile(Files& files) : files_(files) {}
    std::string GetString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
    void Flush(const std::string& path) override;

private:
    Files& files_;
};

}  // namespace tastavia
