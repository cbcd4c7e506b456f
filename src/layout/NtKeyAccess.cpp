#include "layout/KeyAccess.h"

#include "layout/Charset.h"
#include "platform/Errors.h"

namespace tastavia {

namespace {

// How much the per-key data lie lower than in the Windows 2000 library.
constexpr std::int32_t kXpShift = -520;
constexpr std::int32_t kWideShift = -200;  // every library with 8-byte pointers
constexpr std::uint8_t kCapLok = 0x01;   // attribute: Caps Lock acts as Shift

}  // namespace

NtKeyAccess::NtKeyAccess(RandomAccessFile& file, OsKind kind)
    : file_(file),
      base_(kind == kOsWinXp                                          ? kXpShift
            : kind == kOsX64 || kind == kOsWow64 || kind == kOsArm64 ? kWideShift
                                                                      : 0) {}

std::uint32_t NtKeyAccess::CharOffset(KeyNumber k, ShiftState shift) const {
    return static_cast<std::uint32_t>(Key(k).ntOffset + base_ + (shift == ShiftState::Shifted ? 2 : 0));
}

std::uint32_t NtKeyAccess::AttributeOffset(KeyNumber k) const {
    return static_cast<std::uint32_t>(Key(k).ntOffset + base_ - 1);
}

std::uint8_t NtKeyAccess::ReadKeyChar(KeyNumber k, ShiftState shift) {
    file_.Seek(CharOffset(k, shift));
    std::uint8_t low = file_.ReadByte();
    std::uint8_t high = file_.ReadByte();
    return CharFromUnicode(low, high);
}

void NtKeyAccess::WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c) {
    if (Key(k).ntOffset == 0) return;
    CodeUnit unit = CharToUnicode(c);
    const std::uint32_t at = CharOffset(k, shift);
    file_.Seek(at);
    const std::uint8_t oldLow = file_.ReadByte();
    const std::uint8_t oldHigh = file_.ReadByte();
    file_.Seek(at);
    try {
        // Half a character is another character: both bytes go in one write.
        file_.WritePair(unit.low, unit.high);
    } catch (const IoError&) {
        // A write cut short by the system goes back to the old character before failing.
        try {
            file_.Seek(at);
            file_.WritePair(oldLow, oldHigh);
        } catch (const IoError&) {
        }
        throw;
    }
}

// Only an attribute of exactly CAPLOK counts; other attribute bits are not ours.
bool NtKeyAccess::ReadCapsFlag(KeyNumber k) {
    file_.Seek(AttributeOffset(k));
    return file_.ReadByte() == kCapLok;
}

void NtKeyAccess::WriteCapsFlag(KeyNumber k, bool flag) {
    file_.Seek(AttributeOffset(k));
    file_.WriteByte(flag ? kCapLok : 0);
}

}  // namespace tastavia
