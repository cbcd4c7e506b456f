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
    // A 64-bit Windows running this 32-bit program under WOW64: its system folder is then
    // redirected, and layouts are 64-bit libraries in the real System32.
    bool windows64 = false;
    // An ARM64 Windows, which runs this program through its x86 emulation but loads only
    // ARM64 keyboard layout libraries.
    bool arm64 = false;
    // Whether the program may change the system folder and the machine's registry: always
    // on Windows 9x; on NT a member of the Administrators group, elevated where UAC is on.
    bool administrator = true;
};

class OsVersion {
public:
    virtual ~OsVersion() = default;
    virtual OsVersionInfo Get() = 0;
};

}  // namespace tastavia
