#pragma once

namespace tastavia {

// The processor Windows itself runs on. This program is x86 code everywhere: on x64 and
// ARM64 it runs under WOW64 (on ARM64 through x86 emulation), and layouts that type
// there are libraries for the machine's own processor in the real System32.
enum class Machine { X86, X64, Arm64 };

}  // namespace tastavia
