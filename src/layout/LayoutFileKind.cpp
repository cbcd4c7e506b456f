#include "layout/LayoutFileKind.h"

#include "layout/LayoutShape.h"

namespace tastavia {

std::size_t LayoutFileSize(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return 403;
        case kOsWin2000: return 6416;
        case kOsWinXp: return 5632;
        case kOsX64: return 5120;
        case kOsWow64: return 5376;
        case kOsArm64: return 5120;
        default: return 0;
    }
}

const char* LayoutFileKindName(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return "Windows 9x layout file";
        case kOsWin2000: return "Windows 2000 layout library";
        case kOsWinXp: return "Windows XP layout library";
        case kOsX64: return "64-bit Windows layout library";
        case kOsWow64: return "WOW64 layout library";
        case kOsArm64: return "Windows on ARM layout library";
        default: return "unknown layout file kind";
    }
}

bool IsLayoutFileOfKind(const std::string& bytes, OsKind kind) {
    if (kind != kOsX64 && kind != kOsWow64 && kind != kOsArm64) return HasLayoutShape(bytes, kind);
    // The libraries for 64-bit Windows are told by their size and PE machine here; their
    // tables are walked, with the reason for a refusal, before a key is read
    // (WideLibraryShapeFault).
    if (bytes.size() != LayoutFileSize(kind) || bytes.compare(0, 2, "MZ") != 0) return false;
    // Our libraries keep the PE header at 0x80; the machine follows its signature.
    const char* header = kind == kOsX64 ? "PE\0\0\x64\x86" : kind == kOsArm64 ? "PE\0\0\x64\xAA" : "PE\0\0\x4C\x01";
    return bytes.compare(0x80, 6, header, 6) == 0;
}

std::optional<OsKind> RecogniseLayoutFile(const std::string& bytes) {
    for (OsKind kind : kLayoutFileKinds)
        if (IsLayoutFileOfKind(bytes, kind)) return kind;
    return std::nullopt;
}

}  // namespace tastavia
