#pragma once
#include <cstdint>
#include <string>

namespace tastavia {

// What GetVersionEx reports: platform 1 is the Windows 9x family, 2 the NT family.
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::string servicePack;
};

class OsVersion {
public:
    virtual ~OsVersion() = default;
    virtual OsVersionInfo Get() = 0;
};

}  // namespace tastavia
