#pragma once

namespace tastavia {

// Where a layout library goes: GetSystemDirectory's folder (32-bit Windows, and every
// kind but the WOW64 pair), the real 64-bit System32 of a 64-bit Windows, its SysWOW64.
enum class SystemFolder { System, Native64, Wow64 };

}  // namespace tastavia
