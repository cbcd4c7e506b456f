#include "layout/TablePointers.h"

namespace tastavia {

namespace {

constexpr int kMaxEntries = 256;
// The record's pointers, in pointer-sized slots: modifiers 0, character tables 1, dead
// keys 2, key names 3, extended key names 4, dead key names 5, scan codes 6, E0 codes 8,
// E1 codes 9 (slot 7 holds the scan-code count), then the ligatures after the locale
// flags and ligature sizes: 8 bytes of them, two slots of 4-byte pointers, one of 8.
constexpr std::uint32_t kModifiers = 0, kCharTables = 1, kNameLists[] = {3, 4, 5};
constexpr std::uint32_t kRecordPointers[] = {0, 1, 2, 3, 4, 5, 6, 8, 9};

struct Outside {};

class PointerWalk {
public:
    PointerWalk(const std::string& bytes, const PeFacts& facts, std::uint32_t size)
        : f_(bytes), facts_(facts), size_(size) {}

    std::set<std::uint32_t> Walk(std::uint32_t record) {
        for (std::uint32_t slot : kRecordPointers) Pointer(record + slot * size_);
        Pointer(record + 10 * size_ + 8);  // the ligatures
        if (std::uint32_t modifiers = Pointer(record + kModifiers * size_)) Pointer(modifiers);
        if (std::uint32_t tables = Pointer(record + kCharTables * size_)) {
            for (int t = 0;; ++t) {
                if (t == kMaxEntries || !Pointer(tables + static_cast<std::uint32_t>(t) * 2 * size_)) break;
            }
        }
        for (std::uint32_t slot : kNameLists) {
            const std::uint32_t names = Pointer(record + slot * size_);
            for (int i = 0; names != 0; ++i) {
                if (i == kMaxEntries) throw Outside{};
                const std::uint32_t entry = names + static_cast<std::uint32_t>(i) * 2 * size_;
                if (Read(entry, 1) == 0 && Pointer(entry + size_) == 0) break;
                Pointer(entry + size_);
            }
        }
        return fields_;
    }

private:
    std::uint64_t Read(std::uint32_t rva, std::uint32_t width) const {
        const std::optional<std::uint64_t> at = facts_.Offset(rva, width);
        if (!at) throw Outside{};
        std::uint64_t v = 0;
        for (std::uint32_t i = width; i-- > 0;) v = v << 8 | static_cast<unsigned char>(f_[*at + i]);
        return v;
    }
    // The RVA a pointer field leads to, 0 for NULL; the field is counted.
    std::uint32_t Pointer(std::uint32_t rva) {
        const std::uint64_t va = Read(rva, size_);
        if (va == 0) return 0;
        if (va < facts_.imageBase || va - facts_.imageBase >= facts_.sizeOfImage) throw Outside{};
        fields_.insert(rva);
        return static_cast<std::uint32_t>(va - facts_.imageBase);
    }

    const std::string& f_;
    const PeFacts& facts_;
    std::uint32_t size_;
    std::set<std::uint32_t> fields_;
};

}  // namespace

std::optional<std::set<std::uint32_t>> TablePointerFields(const std::string& bytes, const PeFacts& facts,
                                                          std::uint32_t recordRva, std::uint32_t pointerSize) {
    try {
        return PointerWalk(bytes, facts, pointerSize).Walk(recordRva);
    } catch (const Outside&) {
        return std::nullopt;
    }
}

bool RelocatesExactlyItsPointers(const std::string& bytes, const PeFacts& facts, std::uint32_t recordRva,
                                 std::uint32_t pointerSize, std::optional<std::uint32_t> extra) {
    std::optional<std::set<std::uint32_t>> fields = TablePointerFields(bytes, facts, recordRva, pointerSize);
    if (!fields) return false;
    if (extra) fields->insert(*extra);
    return *fields == facts.relocated;
}

}  // namespace tastavia
