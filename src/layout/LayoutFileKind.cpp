#include "layout/LayoutFileKind.h"

namespace tastavia {

std::size_t LayoutFileSize(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return 403;
        case kOsWin2000: return 6416;
        case kOsWinXp: return 5632;
        case kOsX64: return 5120;
        case kOsWow64: return 5376;
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
        default: return "unknown layout file kind";
    }
}

bool IsLayoutFileOfKind(const std::string& bytes, OsKind kind) {
    std::size_t size = LayoutFileSize(kind);
    if (size == 0 || bytes.size() != size) return false;
    const char* magic = kind == kOsWin9x ? "DS" : "MZ";
    if (bytes.compare(0, 2, magic) != 0) return false;
    if (kind != kOsX64 && kind != kOsWow64) return true;
    // Our libraries keep the PE header at 0x80; the machine follows its signature.
    const char* header = kind == kOsX64 ? "PE\0\0\x64\x86" : "PE\0\0\x4C\x01";
    return bytes.compare(0x80, 6, header, 6) == 0;
}

std::optional<OsKind> RecogniseLayoutFile(const std::string& bytes) {
    for (OsKind kind : kLayoutFileKinds)
        if (IsLayoutFileOfKind(bytes, kind)) return kind;
    return std::nullopt;
}

}  // namespace tastavia
