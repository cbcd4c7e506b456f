#pragma once
// Reading and patching one key of an open layout file, in place. Each operation seeks
// before it reads or writes; nothing is cached.
#include <cstdint>
#include <memory>

#include "layout/KeyTable.h"
#include "platform/Files.h"

namespace tastavia {

class KeyAccess {
public:
    virtual ~KeyAccess() = default;
    virtual std::uint8_t ReadKeyChar(KeyNumber k, ShiftState shift) = 0;
    virtual void WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c) = 0;
    virtual bool ReadCapsFlag(KeyNumber k) = 0;
    virtual void WriteCapsFlag(KeyNumber k, bool flag) = 0;
};

// Windows 9x keyboard layout file (OS kind 1).
class Win9xKeyAccess : public KeyAccess {
public:
    explicit Win9xKeyAccess(RandomAccessFile& file) : file_(file) {}
    std::uint8_t ReadKeyChar(KeyNumber k, ShiftState shift) override;
    void WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c) override;
    bool ReadCapsFlag(KeyNumber k) override;
    void WriteCapsFlag(KeyNumber k, bool flag) override;

private:
    RandomAccessFile& file_;
};

// NT keyboard layout library of Windows 2000 (OS kind 2), XP (3), 64-bit Windows (4),
// its WOW64 folder (5) or Windows on ARM (6).
class NtKeyAccess : public KeyAccess {
public:
    NtKeyAccess(RandomAccessFile& file, OsKind kind);
    std::uint8_t ReadKeyChar(KeyNumber k, ShiftState shift) override;
    void WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c) override;
    bool ReadCapsFlag(KeyNumber k) override;
    void WriteCapsFlag(KeyNumber k, bool flag) override;

private:
    std::uint32_t CharOffset(KeyNumber k, ShiftState shift) const;
    std::uint32_t AttributeOffset(KeyNumber k) const;

    RandomAccessFile& file_;
    std::int32_t base_;  // 0 for Windows 2000; the other libraries' data lie lower
};

// The access for an OS kind, or nothing for a kind that has no layout file.
std::unique_ptr<KeyAccess> MakeKeyAccess(OsKind kind, RandomAccessFile& file);

}  // namespace tastavia
