#include "layout/LayoutKeys.h"

namespace tastavia {

namespace {

template <typename Source>
LayoutKeys ReadAll(Source& source) {
    LayoutKeys keys;
    for (const KeyInfo& key : KeyTable()) {
        KeyChars& chars = keys[key.number - 1];
        chars.unshifted = source.ReadKeyChar(key.number, ShiftState::Unshifted);
        chars.shifted = source.ReadKeyChar(key.number, ShiftState::Shifted);
        chars.caps = source.ReadCapsFlag(key.number);
    }
    return keys;
}

}  // namespace

LayoutKeys ReadLayoutKeys(KeyAccess& access) { return ReadAll(access); }
LayoutKeys ReadLayoutKeys(WorkingLayout& layout) { return ReadAll(layout); }

}  // namespace tastavia
