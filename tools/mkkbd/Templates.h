#pragma once
// The files mkkbd writes: the layout templates and the two built-in layouts.
#include <string>

#include "Layouts.h"

namespace mkkbd {

// The Windows 9x keyboard layout file (403 bytes).
std::string BuildWin98Template();

enum class NtVariant { Windows2000, WindowsXp, WindowsX64, Wow64, Arm64 };
// The NT keyboard layout library: a DLL exporting KbdLayerDescriptor (PE32 of 6416
// bytes for Windows 2000, 5632 for XP; PE32+ x64 of 5120 bytes for 64-bit Windows;
// PE32 with 64-bit pointers in its tables, 5376 bytes, for its WOW64 folder; PE32+
// ARM64 of 5120 bytes for Windows on ARM).
std::string BuildNtTemplate(NtVariant variant);

// A layout INI file as the program's export writes it into a new file.
std::string BuildLayoutIni(const Layout& layout);

}  // namespace mkkbd
