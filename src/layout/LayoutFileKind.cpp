#include "layout/LayoutFileKind.h"

#include "layout/LayoutShape.h"

namespace tastavia {

std::size_t LayoutFileSize(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return 403;
        case kOsWin2000: return 6416;
        case kOsWinXp: return 5632;
        default: return 0;
    }
}

const char* LayoutFileKindName(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return "Windows 9x layout file";
        case kOsWin2000: return "Windows 2000 layout library";
        case kOsWinXp: return "Windows XP layout library";
        default: return "unknown layout file kind";
    }
}

bool IsLayoutFileOfKind(const std::string& bytes, OsKind kind) {
    return HasLayoutShape(bytes, kind);
}

std::optional<OsKind> RecogniseLayoutFile(const std::string& bytes) {
    for (OsKind kind : {kOsWin9x, kOsWin2000, kOsWinXp})
        if (IsLayoutFileOfKind(bytes, kind)) return kind;
    return std::nullopt;
}

}  // namespace tastavia
