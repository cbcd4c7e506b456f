#include "layout/LayoutExport.h"

#include "layout/Charset.h"

namespace tastavia {

namespace {

constexpr std::size_t kMaxNameLength = 8;
const char* const kFallbackName = "kbdbgtas";

}  // namespace

ExportIdentity IdentityFromPath(const std::string& path) {
    std::size_t start = path.find_last_of("/\\:");
    std::string base = path.substr(start == std::string::npos ? 0 : start + 1);
    base = base.substr(0, base.rfind('.'));
    std::string name;
    for (char c : base) {
        if (name.size() == kMaxNameLength) break;
        if (c >= 'A' && c <= 'Z') name += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) name += c;
    }
    if (name.empty()) name = kFallbackName;
    return {name, "Bulgarian (" + name + ")"};
}

std::uint16_t KeyCodePoint(const KeyChars& key, ShiftState shift) {
    const bool shifted = shift == ShiftState::Shifted;
    const std::uint8_t c = shifted ? key.shifted : key.unshifted;
    return c == 0 ? 0 : ModernUnicode(c, shifted ? key.unshifted : key.shifted);
}

}  // namespace tastavia
