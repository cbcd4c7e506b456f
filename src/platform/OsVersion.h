#pragma once
#include <cstdint>
#include <string>

#include "platform/Machine.h"

namespace tastavia {

// What GetVersionEx reports: platform 1 is the Windows 9x family, 2 the NT family.
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::string servicePack;
    // The processor of the Windows: on x64 and ARM64 this 32-bit program runs under WOW64,
    // its system folder is redirected, and layouts are libraries for that processor in
    // the real System32.
    Machine machine = Machine::X86;
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
