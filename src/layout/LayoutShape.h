#pragma once
// Whether a file's bytes have the shape our key access relies on: it patches fixed byte
// offsets, so a file is taken for editing only when those offsets are the key cells of
// the kind's tables. Each check is bounded: any bytes at all are a safe input.
#include <string>

#include "layout/KeyTable.h"

namespace tastavia {

// A Windows 9x layout file: the size, the "DS" header, and the offsets of the data
// block, the Caps-Lock bitmap and the two character tables the keys are patched in.
bool HasWin9xLayoutShape(const std::string& bytes);

// A Windows 2000 (kind 2) or XP (kind 3) layout library: the size and a sound PE32 DLL
// whose KbdLayerDescriptor, walked from the export, gives character tables that hold
// each of the 48 keys' entry (virtual key as the library's scan-code table gives it,
// attribute byte, unshifted and shifted code units) exactly at the key's offsets.
bool HasNtLayoutShape(const std::string& bytes, OsKind kind);

// The check of the kind (for the 64-bit Windows libraries, WideLibraryShapeFault);
// false for a kind without files.
bool HasLayoutShape(const std::string& bytes, OsKind kind);

}  // namespace tastavia
