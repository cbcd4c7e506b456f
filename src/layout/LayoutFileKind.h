#pragma once
// Telling the layout file kinds apart by their size and first bytes.
#include <optional>
#include <string>

#include "layout/KeyTable.h"

namespace tastavia {

// Every kind that has layout files.
constexpr OsKind kLayoutFileKinds[] = {kOsWin9x, kOsWin2000, kOsWinXp, kOsX64, kOsWow64, kOsArm64};

// The exact size of a layout file of that kind (every file of a kind is a copy of its
// template), or 0 for a kind without files.
std::size_t LayoutFileSize(OsKind kind);
// "Windows 9x layout file", "Windows 2000 layout library", "Windows XP layout library",
// "64-bit Windows layout library", "WOW64 layout library", "Windows on ARM layout library".
const char* LayoutFileKindName(OsKind kind);
// Whether the bytes are a layout file of that kind whose keys can be edited in place (for
// the 64-bit kinds: its size and PE machine; WideLibraryShapeFault walks their tables).
bool IsLayoutFileOfKind(const std::string& bytes, OsKind kind);
// The kind whose files look like these bytes, if any.
std::optional<OsKind> RecogniseLayoutFile(const std::string& bytes);

}  // namespace tastavia
