#include "layout/KeyTyping.h"

namespace tastavia {

KeyNumber KeyOfScanCode(std::uint8_t scanCode, bool extended) {
    if (extended || scanCode == 0) return 0;
    for (const KeyInfo& key : KeyTable())
        if (key.scanCode == scanCode) return key.number;
    return 0;
}

ShiftState TypingLevel(bool shift, bool capsLock, bool capsFlag) {
    return (shift != (capsLock && capsFlag)) ? ShiftState::Shifted : ShiftState::Unshifted;
}

std::optional<TypedKey> TypeKey(WorkingLayout& layout, std::uint8_t scanCode, bool extended, bool shift,
                                bool capsLock) {
    const KeyNumber key = KeyOfScanCode(scanCode, extended);
    if (key == 0) return std::nullopt;
    // The flag is read only when Caps Lock is on: it changes nothing otherwise.
    const ShiftState level = TypingLevel(shift, capsLock, capsLock && layout.ReadCapsFlag(key));
    return TypedKey{key, level, layout.ReadKeyChar(key, level)};
}

}  // namespace tastavia
