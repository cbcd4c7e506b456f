// The layout readers on arbitrary files: kind detection with the bounded walk of a
// library's PE headers and layout tables (also of the 64-bit Windows libraries), and the
// Windows 9x and NT key access of every kind over any bytes, and the reader of any
// maker's layout library. No crash, no access outside the file's bytes
// (reads past the end fail with IoError), and a key reads back what was written to it.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "layout/ForeignLayout.h"
#include "layout/KeyAccess.h"
#include "layout/LayoutFileKind.h"
#include "layout/LayoutShape.h"
#include "platform/Errors.h"
#include "platform/memory/MemoryFiles.h"

namespace {

using namespace tastavia;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void Exercise(OsKind kind, const std::string& bytes, FuzzedDataProvider& input) {
    MemoryFiles files;
    files.WriteAll("k", bytes);
    std::unique_ptr<RandomAccessFile> file = files.Open("k", FileAccess::ReadWrite);
    std::unique_ptr<KeyAccess> access = MakeKeyAccess(kind, *file);
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        try {
            access->ReadKeyChar(k, ShiftState::Unshifted);
            access->ReadKeyChar(k, ShiftState::Shifted);
            access->ReadCapsFlag(k);
        } catch (const IoError&) {
        }
    }
    // Writes only where the file has the bytes: past the end a file would just grow.
    if (!IsLayoutFileOfKind(bytes, kind)) return;
    for (KeyNumber k = 1; k <= kKeyCount && input.remaining_bytes() > 0; ++k) {
        const ShiftState shift = input.ConsumeBool() ? ShiftState::Shifted : ShiftState::Unshifted;
        const std::uint8_t c = input.ConsumeIntegral<std::uint8_t>();
        const bool flag = input.ConsumeBool();
        access->WriteKeyChar(k, shift, c);
        access->WriteCapsFlag(k, flag);
        if (kind == kOsWin9x && k == kSpaceBar) continue;  // fixed in a Windows 9x file
        Require(access->ReadKeyChar(k, shift) == c);
        Require(access->ReadCapsFlag(k) == flag);
    }
    Require(file->Size() == bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string bytes = input.ConsumeRandomLengthString(8192);
    std::optional<OsKind> recognised = RecogniseLayoutFile(bytes);
    // Any library is read or refused with a reason, never both.
    std::string why;
    const std::optional<ForeignLayout> foreign = ReadLayoutLibrary(bytes, &why);
    Require(foreign.has_value() == why.empty());
    for (OsKind kind : kLayoutFileKinds) {
        // The same bytes cut or padded to the kind's size, so that the walk runs for
        // every input and not only for those of an exact size.
        std::string sized = bytes;
        sized.resize(LayoutFileSize(kind));
        HasLayoutShape(sized, kind);
        Require(IsLayoutFileOfKind(bytes, kind) == (recognised == kind) || !recognised);
        Exercise(kind, bytes, input);
    }
    return 0;
}
