#include "layout/LayoutShape.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "layout/LayoutFileKind.h"
#include "layout/PeSoundness.h"
#include "layout/TablePointers.h"
#include "layout/WideLibraryShape.h"

namespace tastavia {

namespace {

// Bounded little-endian reads: a read that does not fit in the bytes fails.
class Bytes {
public:
    explicit Bytes(const std::string& bytes) : bytes_(bytes) {}
    std::size_t Size() const { return bytes_.size(); }
    bool Fits(std::uint64_t at, std::uint64_t length) const { return at <= Size() && length <= Size() - at; }
    std::optional<std::uint32_t> Get(std::uint64_t at, int width) const {
        if (!Fits(at, static_cast<std::uint64_t>(width))) return std::nullopt;
        const std::size_t first = static_cast<std::size_t>(at);
        std::uint32_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = value << 8 | static_cast<std::uint8_t>(bytes_[first + static_cast<std::size_t>(i)]);
        return value;
    }
    bool Equal(std::uint64_t at, std::uint32_t value, int width) const { return Get(at, width) == value; }
    bool HasText(std::uint64_t at, const char* text, std::size_t length) const {
        return Fits(at, length) && bytes_.compare(static_cast<std::size_t>(at), length, text, length) == 0;
    }

private:
    const std::string& bytes_;
};

// Windows 9x: the data block follows the 28-byte header and ends the file; its offsets
// count from the block.
constexpr std::uint32_t kWin9xDataBlock = 28;
constexpr std::uint32_t kWin9xCapsBitmap = 66;
constexpr std::uint32_t kWin9xUnshifted = 256;
constexpr std::uint32_t kWin9xShifted = 305;

// PE32 facts.
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint32_t kMachineI386 = 0x14C;
constexpr std::uint32_t kOptionalMagicPe32 = 0x10B;
constexpr std::uint32_t kDllCharacteristics = 0x2002;  // executable image, DLL
constexpr std::uint32_t kMaxSections = 16;
constexpr std::uint32_t kSectionHeaderSize = 40;
constexpr std::uint32_t kMinOptionalHeader = 96 + 8;  // up to the export directory
constexpr int kXpKeyShift = 520;

// Layout tables: the record's fields and the bounds of the walk.
constexpr std::uint32_t kCharTablesField = 0x04;
constexpr std::uint32_t kScanTableField = 0x18;
constexpr std::uint32_t kScanCountField = 0x1C;
constexpr int kMaxCharTables = 16;
constexpr int kMaxEntriesPerTable = 256;
const char kExportName[] = "KbdLayerDescriptor";

struct Section {
    std::uint32_t rva, size, offset;
};

class PeImage {
public:
    explicit PeImage(const std::string& bytes) : b_(bytes) {}

    bool Parse() {
        if (!b_.HasText(0, "MZ", 2)) return false;
        const std::optional<std::uint32_t> pe = b_.Get(0x3C, 4);
        if (!pe || !b_.Equal(*pe, kPeSignature, 4) || !b_.Equal(*pe + 4, kMachineI386, 2)) return false;
        const std::uint32_t sections = b_.Get(*pe + 6, 2).value_or(0);
        const std::uint32_t optionalSize = b_.Get(*pe + 20, 2).value_or(0);
        const std::uint32_t characteristics = b_.Get(*pe + 22, 2).value_or(0);
        const std::uint64_t optional = static_cast<std::uint64_t>(*pe) + 24;
        if (sections == 0 || sections > kMaxSections || optionalSize < kMinOptionalHeader ||
            (characteristics & kDllCharacteristics) != kDllCharacteristics || !b_.Fits(optional, optionalSize) ||
            !b_.Equal(optional, kOptionalMagicPe32, 2) || b_.Get(optional + 92, 4).value_or(0) < 1)
            return false;
        imageBase_ = *b_.Get(optional + 28, 4);
        exportRva_ = *b_.Get(optional + 96, 4);
        const std::uint64_t table = optional + optionalSize;
        if (!b_.Fits(table, static_cast<std::uint64_t>(sections) * kSectionHeaderSize)) return false;
        for (std::uint32_t i = 0; i < sections; ++i) {
            const std::uint64_t at = table + static_cast<std::uint64_t>(i) * kSectionHeaderSize;
            const std::uint32_t virtualSize = *b_.Get(at + 8, 4);
            const std::uint32_t rva = *b_.Get(at + 12, 4);
            const std::uint32_t rawSize = *b_.Get(at + 16, 4);
            const std::uint32_t rawOffset = *b_.Get(at + 20, 4);
            if (!b_.Fits(rawOffset, rawSize)) return false;
            // Bytes past the section's size in memory are not the file's.
            const std::uint32_t size = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
            sections_.push_back({rva, size, rawOffset});
        }
        return true;
    }

    // The file offset of length bytes at an RVA, when one section holds them all.
    std::optional<std::uint64_t> Offset(std::uint64_t rva, std::uint64_t length) const {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva - s.rva <= s.size && length <= s.size - (rva - s.rva))
                return s.offset + (rva - s.rva);
        return std::nullopt;
    }
    std::optional<std::uint64_t> OffsetOfVa(std::uint32_t va, std::uint64_t length) const {
        if (va < imageBase_) return std::nullopt;
        return Offset(va - imageBase_, length);
    }
    std::optional<std::uint32_t> GetRva(std::uint64_t rva, int width) const {
        std::optional<std::uint64_t> at = Offset(rva, static_cast<std::uint64_t>(width));
        return at ? b_.Get(*at, width) : std::nullopt;
    }
    std::optional<std::uint32_t> GetVa(std::uint32_t va, int width) const {
        std::optional<std::uint64_t> at = OffsetOfVa(va, static_cast<std::uint64_t>(width));
        return at ? b_.Get(*at, width) : std::nullopt;
    }

    // The RVA of the exported function of that name.
    std::optional<std::uint32_t> Export(const char* name, std::size_t length) const {
        if (exportRva_ == 0) return std::nullopt;
        const std::optional<std::uint32_t> functions = GetRva(exportRva_ + 20ull, 4);
        const std::optional<std::uint32_t> names = GetRva(exportRva_ + 24ull, 4);
        const std::optional<std::uint32_t> functionTable = GetRva(exportRva_ + 28ull, 4);
        const std::optional<std::uint32_t> nameTable = GetRva(exportRva_ + 32ull, 4);
        const std::optional<std::uint32_t> ordinalTable = GetRva(exportRva_ + 36ull, 4);
        if (!functions || !names || !functionTable || !nameTable || !ordinalTable) return std::nullopt;
        for (std::uint32_t i = 0; i < *names && i < kMaxSections; ++i) {
            const std::optional<std::uint32_t> nameRva = GetRva(*nameTable + 4ull * i, 4);
            const std::optional<std::uint64_t> text = nameRva ? Offset(*nameRva, length + 1) : std::nullopt;
            if (!text || !b_.HasText(*text, name, length + 1)) continue;
            const std::optional<std::uint32_t> ordinal = GetRva(*ordinalTable + 2ull * i, 2);
            if (!ordinal || *ordinal >= *functions) return std::nullopt;
            return GetRva(*functionTable + 4ull * *ordinal, 4);
        }
        return std::nullopt;
    }

private:
    Bytes b_;
    std::uint32_t imageBase_ = 0;
    std::uint32_t exportRva_ = 0;
    std::vector<Section> sections_;
};

struct CharEntry {
    std::uint8_t vk;
    std::uint8_t states;
};

// Every entry of every character table, by its file offset.
std::optional<std::map<std::uint64_t, CharEntry>> CharEntries(const PeImage& pe, std::uint32_t record) {
    const std::optional<std::uint32_t> list = pe.GetVa(record + kCharTablesField, 4);
    if (!list) return std::nullopt;
    std::map<std::uint64_t, CharEntry> entries;
    for (int t = 0;; ++t) {
        if (t == kMaxCharTables) return std::nullopt;
        const std::uint32_t at = *list + static_cast<std::uint32_t>(8 * t);
        const std::optional<std::uint32_t> table = pe.GetVa(at, 4);
        const std::optional<std::uint32_t> shape = pe.GetVa(at + 4, 2);
        if (!table || !shape) return std::nullopt;
        if (*table == 0) return entries;
        const std::uint8_t states = static_cast<std::uint8_t>(*shape & 0xFF);
        const std::uint32_t size = *shape >> 8;
        if (states == 0 || size != 2u + 2u * states) return std::nullopt;
        for (int i = 0;; ++i) {
            if (i == kMaxEntriesPerTable) return std::nullopt;
            const std::uint32_t va = *table + static_cast<std::uint32_t>(i) * size;
            const std::optional<std::uint64_t> offset = pe.OffsetOfVa(va, size);
            if (!offset) return std::nullopt;
            const std::uint8_t vk = static_cast<std::uint8_t>(*pe.GetVa(va, 1));
            if (vk == 0) break;
            entries[*offset] = CharEntry{vk, states};
        }
    }
}

}  // namespace

bool HasWin9xLayoutShape(const std::string& bytes) {
    const Bytes b(bytes);
    const std::uint32_t size = static_cast<std::uint32_t>(LayoutFileSize(kOsWin9x));
    return b.Size() == size && b.HasText(0, "DS", 2) && b.Equal(8, kWin9xDataBlock, 4) &&
           b.Equal(12, size - kWin9xDataBlock, 4) && b.Equal(64, kWin9xCapsBitmap - kWin9xDataBlock, 2) &&
           b.Equal(116, kWin9xUnshifted - kWin9xDataBlock, 2) && b.Equal(118, kWin9xUnshifted - kWin9xDataBlock, 2) &&
           b.Equal(120, kWin9xShifted - kWin9xDataBlock, 2) && b.Equal(122, kWin9xShifted - kWin9xDataBlock, 2);
}

bool HasNtLayoutShape(const std::string& bytes, OsKind kind) {
    if ((kind != kOsWin2000 && kind != kOsWinXp) || bytes.size() != LayoutFileSize(kind)) return false;
    PeFacts facts;
    if (PeSoundnessFault(bytes, kPeX86, &facts)) return false;
    PeImage pe(bytes);
    if (!pe.Parse()) return false;
    // KbdLayerDescriptor is "mov eax, record; ret".
    const std::optional<std::uint32_t> code = pe.Export(kExportName, sizeof kExportName - 1);
    if (!code || pe.GetRva(*code, 1) != 0xB8u || pe.GetRva(*code + 5ull, 1) != 0xC3u) return false;
    const std::optional<std::uint32_t> record = pe.GetRva(*code + 1ull, 4);
    const std::optional<std::uint32_t> scanTable = record ? pe.GetVa(*record + kScanTableField, 4) : std::nullopt;
    const std::optional<std::uint32_t> scanCount = record ? pe.GetVa(*record + kScanCountField, 1) : std::nullopt;
    if (!scanTable || !scanCount || *record < facts.imageBase) return false;
    // The loader moves exactly the tables' pointers and the code's address.
    if (!RelocatesExactlyItsPointers(bytes, facts, static_cast<std::uint32_t>(*record - facts.imageBase), 4, *code + 1))
        return false;
    const std::optional<std::map<std::uint64_t, CharEntry>> entries = CharEntries(pe, *record);
    if (!entries) return false;
    const int shift = kind == kOsWinXp ? kXpKeyShift : 0;
    for (const KeyInfo& key : KeyTable()) {
        // The entry begins with the virtual key and the attribute byte, then the code units.
        auto entry = entries->find(static_cast<std::uint64_t>(key.ntOffset - shift - 2));
        if (entry == entries->end() || entry->second.states < 2 || key.scanCode >= *scanCount) return false;
        const std::optional<std::uint32_t> vk = pe.GetVa(*scanTable + 2u * key.scanCode, 2);
        if (!vk || (*vk & 0xFF) != entry->second.vk) return false;
    }
    return true;
}

bool HasLayoutShape(const std::string& bytes, OsKind kind) {
    switch (kind) {
        case kOsWin9x: return HasWin9xLayoutShape(bytes);
        case kOsWin2000:
        case kOsWinXp: return HasNtLayoutShape(bytes, kind);
        case kOsX64:
        case kOsWow64:
        case kOsArm64: return !WideLibraryShapeFault(bytes, kind);
        default: return false;
    }
}

}  // namespace tastavia
