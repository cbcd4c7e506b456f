#include "layout/KeyAccess.h"

namespace tastavia {

namespace {

std::uint8_t CapsMask(const KeyInfo& key) {
    return static_cast<std::uint8_t>(0x80u >> (key.win9xCapsPosition - 1));
}

}  // namespace

// The space bar has no entry in a Windows 9x layout file: it is always a plain space.
std::uint8_t Win9xKeyAccess::ReadKeyChar(KeyNumber k, ShiftState shift) {
    const KeyInfo& key = Key(k);
    if (k == kSpaceBar) return ' ';
    file_.Seek(shift == ShiftState::Shifted ? key.win9xShifted : key.win9xUnshifted);
    return file_.ReadByte();
}

void Win9xKeyAccess::WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c) {
    const KeyInfo& key = Key(k);
    if (key.win9xUnshifted == 0) return;
    file_.Seek(shift == ShiftState::Shifted ? key.win9xShifted : key.win9xUnshifted);
    file_.WriteByte(c);
}

bool Win9xKeyAccess::ReadCapsFlag(KeyNumber k) {
    const KeyInfo& key = Key(k);
    if (k == kSpaceBar) return false;
    file_.Seek(key.win9xCapsByte);
    return (file_.ReadByte() & CapsMask(key)) != 0;
}

void Win9xKeyAccess::WriteCapsFlag(KeyNumber k, bool flag) {
    const KeyInfo& key = Key(k);
    if (k == kSpaceBar) return;
    file_.Seek(key.win9xCapsByte);
    std::uint8_t bits = file_.ReadByte();
    bits = flag ? static_cast<std::uint8_t>(bits | CapsMask(key))
                : static_cast<std::uint8_t>(bits & ~CapsMask(key));
    file_.Seek(key.win9xCapsByte);
    file_.WriteByte(bits);
}

std::unique_ptr<KeyAccess> MakeKeyAccess(OsKind kind, RandomAccessFile& file) {
    switch (kind) {
        case kOsWin9x: return std::make_unique<Win9xKeyAccess>(file);
        case kOsWin2000:
        case kOsWinXp:
        case kOsX64:
        case kOsWow64:
        case kOsArm64: return std::make_unique<NtKeyAccess>(file, kind);
        default: return nullptr;
    }
}

}  // namespace tastavia
