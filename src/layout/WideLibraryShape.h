#pragma once
// Whether a file is one of our own layout libraries for 64-bit Windows, found the way
// the system finds the tables: from the export KbdLayerDescriptor, through the record
// its code returns, to the character table entries the key access reads and patches.
#include <optional>
#include <string>

#include "layout/KeyTable.h"

namespace tastavia {

// The x64 library (PE32+, x64, 8-byte pointers, KbdLayerDescriptor a `lea rax, [rip+n];
// ret`). Nothing when the 48 keys lie where the key access reads them; otherwise why not.
std::optional<std::string> X64LibraryShapeFault(const std::string& bytes);

// The WOW64 library (PE32, x86, tables with 8-byte pointers whose upper half is zero,
// KbdLayerDescriptor a `mov eax, record; xor edx, edx; ret`, or without the xor as older
// copies have it). Nothing when sound; otherwise why not.
std::optional<std::string> Wow64LibraryShapeFault(const std::string& bytes);

// The ARM64 library (PE32+, ARM64, 8-byte pointers, KbdLayerDescriptor an `adrp x0;
// add x0, x0, #lo12; ret`). Nothing when sound; otherwise why not.
std::optional<std::string> Arm64LibraryShapeFault(const std::string& bytes);

// The one of the three for kind 4, 5 or 6; nothing for the other kinds, which are told by
// their size and first bytes alone.
std::optional<std::string> WideLibraryShapeFault(const std::string& bytes, OsKind kind);

}  // namespace tastavia
