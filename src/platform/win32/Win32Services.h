#pragma once
// The small Win32 services: profile files, clock, version, the module's resources.
#include "platform/Clock.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/Resources.h"

namespace tastavia {

class Win32ProfileFile : public ProfileFile {
public:
    std::string GetString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool Flush(const std::string& path) override;
};

class Win32Clock : public Clock {
public:
    TimeOfDay LocalTime() override;
};

class Win32OsVersion : public OsVersion {
public:
    OsVersionInfo Get() override;
};

class Win32Resources : public Resources {
public:
    std::optional<std::string_view> RcData(const char* name) override;
    std::optional<std::string_view> Bitmap(const char* name) override;
};

}  // namespace tastavia
