#pragma once
// The files mkkbd writes: the three layout templates and the two built-in layouts.
#include <string>

#include "Layouts.h"

namespace mkkbd {

// The Windows 9x keyboard layout file (403 bytes).
std::string BuildWin98Template();

enum class NtVariant { Windows2000, WindowsXp };
// The NT keyboard layout library: a PE32 DLL exporting KbdLayerDescriptor
// (6416 bytes for Windows 2000, 5632 for XP).
std::string BuildNtTemplate(NtVariant variant);

// A layout INI file as the program's export writes it into a new file.
std::string BuildLayoutIni(const Layout& layout);

}  // namespace mkkbd
