#include "layout/LibraryReader.h"

#include <optional>

namespace tastavia {

namespace {

// Bounds on every list, far above what a keyboard has: a table without its end, or one
// that leads back into itself, stops here instead of running on.
constexpr std::size_t kMaxModifierKeys = 64;
constexpr std::size_t kMaxTables = 64;
constexpr std::size_t kMaxRows = 1024;
constexpr std::size_t kMaxDeadKeys = 8192;
constexpr std::size_t kMaxNames = 512;
constexpr std::size_t kMaxNameLength = 256;
constexpr std::size_t kMaxLigatures = 2048;
constexpr std::size_t kMaxScanVk = 512;
constexpr std::size_t kMaxCodeScan = 32;
constexpr std::size_t kMaxSearchCandidates = 1u << 20;

class TableReader {
public:
    TableReader(const PeImage& image, unsigned width) : image_(image), w_(width) {}

    KbdTables Read(std::uint32_t record) {
        KbdTables t;
        t.machine = image_.Machine();
        t.pointerWidth = w_;
        if (!image_.Holds(record, 10u * w_ + 8 + w_)) throw LibraryFault("its layout record lies outside the file's data");
        ReadModifiers(Required(record, "modifiers"), t);
        ReadCharTables(Required(record + w_, "character"), t);
        if (std::uint32_t dead = image_.Pointer(record + 2u * w_, w_)) ReadDeadKeys(dead, t);
        if (std::uint32_t names = image_.Pointer(record + 3u * w_, w_)) t.keyNames = ReadNames(names);
        if (std::uint32_t names = image_.Pointer(record + 4u * w_, w_)) t.extendedKeyNames = ReadNames(names);
        if (std::uint32_t names = image_.Pointer(record + 5u * w_, w_)) ReadDeadKeyNames(names, t);
        const std::uint32_t scan = Required(record + 6u * w_, "scan code");
        const std::uint32_t count = image_.U8(record + 7u * w_);
        if (count == 0) throw LibraryFault("its scan code table is empty");
        for (std::uint32_t i = 0; i < count; ++i) t.scanToVk.push_back(static_cast<std::uint16_t>(image_.U16(scan + 2ull * i)));
        if (std::uint32_t e0 = image_.Pointer(record + 8u * w_, w_)) t.e0 = ReadScanVk(e0);
        if (std::uint32_t e1 = image_.Pointer(record + 9u * w_, w_)) t.e1 = ReadScanVk(e1);
        t.localeFlags = image_.U32(record + 10u * w_);
        const std::uint32_t ligatureMax = image_.U8(record + 10u * w_ + 4), ligatureSize = image_.U8(record + 10u * w_ + 5);
        if (std::uint32_t ligatures = image_.Pointer(record + 10u * w_ + 8, w_)) ReadLigatures(ligatures, ligatureMax, ligatureSize, t);
        return t;
    }

private:
    std::uint32_t Required(std::uint64_t at, const char* what) {
        const std::uint32_t target = image_.Pointer(at, w_);
        if (target == 0) throw LibraryFault(std::string("it has no ") + what + " table");
        return target;
    }

    void ReadModifiers(std::uint32_t modifiers, KbdTables& t) {
        const std::uint32_t keys = Required(modifiers, "modifier key");
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxModifierKeys) throw LibraryFault("its modifier key list does not end");
            const std::uint32_t vk = image_.U8(keys + 2ull * i), bits = image_.U8(keys + 2ull * i + 1);
            if (vk == 0) break;
            t.modifierKeys.emplace_back(static_cast<std::uint8_t>(vk), static_cast<std::uint8_t>(bits));
        }
        const std::uint32_t maxBits = image_.U16(modifiers + w_);
        if (maxBits > 0xFF) throw LibraryFault("its modifier table is too large");
        for (std::uint32_t b = 0; b <= maxBits; ++b)
            t.modificationNumbers.push_back(static_cast<std::uint8_t>(image_.U8(modifiers + w_ + 2 + b)));
    }

    std::vector<std::uint16_t> Row(std::uint64_t at, std::uint32_t states) {
        std::vector<std::uint16_t> chars;
        for (std::uint32_t s = 0; s < states; ++s) chars.push_back(static_cast<std::uint16_t>(image_.U16(at + 2 + 2ull * s)));
        return chars;
    }

    void ReadCharTables(std::uint32_t tables, KbdTables& t) {
        std::size_t rows = 0;
        for (std::size_t n = 0;; ++n) {
            if (n == kMaxTables) throw LibraryFault("its list of character tables does not end");
            const std::uint64_t at = tables + 2ull * w_ * n;
            const std::uint32_t table = image_.Pointer(at, w_);
            if (table == 0) break;
            const std::uint32_t states = image_.U8(at + w_), size = image_.U8(at + w_ + 1);
            if (states == 0 || size < 2 + 2 * states) throw LibraryFault("a character table has a wrong entry size");
            for (std::uint64_t e = table;; e += size) {
                if (++rows > kMaxRows) throw LibraryFault("its character tables do not end");
                image_.U8(e + size - 1);  // the whole row lies in the file
                const std::uint32_t vk = image_.U8(e);
                if (vk == 0) break;
                KbdCharEntry entry{static_cast<std::uint8_t>(vk), static_cast<std::uint8_t>(image_.U8(e + 1)), Row(e, states), {}, {}};
                // SGCAPS: the next row holds the Caps Lock characters; a dead key: the row
                // after the entry (and after that) holds the dead characters.
                if (entry.attributes & kAttrSgCaps) {
                    e += size;
                    if (image_.U8(e) == 0) throw LibraryFault("an SGCAPS row has no Caps Lock row");
                    entry.capsChars = Row(e, states);
                }
                bool dead = false;
                for (std::uint16_t c : entry.chars) dead = dead || c == kWchDead;
                if (dead) {
                    e += size;
                    if (image_.U8(e) == 0) throw LibraryFault("a dead key has no row of dead characters");
                    entry.deadChars = Row(e, states);
                }
                t.entries.push_back(std::move(entry));
            }
        }
        if (t.entries.empty()) throw LibraryFault("its character tables are empty");
    }

    void ReadDeadKeys(std::uint32_t dead, KbdTables& t) {
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxDeadKeys) throw LibraryFault("its dead key table does not end");
            const std::uint64_t at = dead + 8ull * i;
            const std::uint32_t both = image_.U32(at);
            if (both == 0) break;
            t.deadKeys.push_back({static_cast<std::uint16_t>(both & 0xFFFF), static_cast<std::uint16_t>(both >> 16),
                                  static_cast<std::uint16_t>(image_.U16(at + 4)), static_cast<std::uint16_t>(image_.U16(at + 6))});
        }
    }

    std::vector<std::uint16_t> String(std::uint32_t at) {
        std::vector<std::uint16_t> text;
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxNameLength) throw LibraryFault("a key name does not end");
            const std::uint32_t c = image_.U16(at + 2ull * i);
            if (c == 0) return text;
            text.push_back(static_cast<std::uint16_t>(c));
        }
    }

    std::vector<KbdKeyName> ReadNames(std::uint32_t names) {
        std::vector<KbdKeyName> list;
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxNames) throw LibraryFault("a key name table does not end");
            const std::uint64_t at = names + 2ull * w_ * i;
            const std::uint32_t scan = image_.U8(at), text = image_.Pointer(at + w_, w_);
            if (scan == 0 && text == 0) return list;
            if (text != 0) list.push_back({static_cast<std::uint8_t>(scan), String(text)});
        }
    }

    void ReadDeadKeyNames(std::uint32_t names, KbdTables& t) {
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxNames) throw LibraryFault("the dead key names do not end");
            const std::uint32_t text = image_.Pointer(names + 1ull * w_ * i, w_);
            if (text == 0) return;
            t.deadKeyNames.push_back(String(text));
        }
    }

    std::vector<KbdScanVk> ReadScanVk(std::uint32_t table) {
        std::vector<KbdScanVk> list;
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxScanVk) throw LibraryFault("an extended scan code table does not end");
            const std::uint32_t scan = image_.U8(table + 4ull * i), vk = image_.U16(table + 4ull * i + 2);
            if (scan == 0) return list;
            list.push_back({static_cast<std::uint8_t>(scan), static_cast<std::uint16_t>(vk)});
        }
    }

    void ReadLigatures(std::uint32_t table, std::uint32_t max, std::uint32_t size, KbdTables& t) {
        if (max == 0 || size < 2 + 2 * max) throw LibraryFault("its ligature table has a wrong entry size");
        for (std::size_t i = 0;; ++i) {
            if (i == kMaxLigatures) throw LibraryFault("its ligature table does not end");
            const std::uint64_t at = table + 1ull * size * i;
            image_.U8(at + size - 1);
            const std::uint32_t vk = image_.U8(at);
            if (vk == 0) return;
            KbdLigature ligature{static_cast<std::uint8_t>(vk), static_cast<std::uint8_t>(image_.U8(at + 1)), {}};
            for (std::uint16_t c : Row(at, max)) {
                if (c == 0 || c == kWchNone) break;
                ligature.chars.push_back(c);
            }
            t.ligatures.push_back(std::move(ligature));
        }
    }

    const PeImage& image_;
    unsigned w_;
};

// The tables at a record, with the pointer width that makes them sound.
std::optional<KbdTables> TablesAt(const PeImage& image, std::uint32_t record, std::string* why) {
    for (unsigned width : {4u, 8u}) {
        if (width == 4 && image.Plus()) continue;
        try {
            return TableReader(image, width).Read(record);
        } catch (const LibraryFault& fault) {
            // The reason of the width the image's headers suggest is the one worth telling.
            if (why && (width == 8) == image.Plus()) *why = fault.what();
        }
    }
    return std::nullopt;
}

// The record KbdLayerDescriptor's code returns, where the code is one of the usual forms
// (possibly after a frame set-up): mov eax, imm32; lea rax, [rip+d]; adrp x0 + add x0, x0.
std::uint32_t RecordFromCode(const PeImage& image, std::uint32_t code) {
    for (std::uint32_t i = 0; i < kMaxCodeScan; ++i) {
        const std::uint64_t at = static_cast<std::uint64_t>(code) + i;
        switch (image.Machine()) {
            case kPeMachineI386:
                if (image.Holds(at, 5) && image.U8(at) == 0xB8) return image.RvaOf(image.U32(at + 1));
                break;
            case kPeMachineAmd64:
                if (image.Holds(at, 7) && image.U8(at) == 0x48 && image.U8(at + 1) == 0x8D && image.U8(at + 2) == 0x05) {
                    const std::int64_t target = static_cast<std::int64_t>(at) + 7 + static_cast<std::int32_t>(image.U32(at + 3));
                    return target > 0 && target < 0xFFFFFFFFll ? static_cast<std::uint32_t>(target) : 0;
                }
                break;
            case kPeMachineArm64: {
                if (i % 4 != 0 || !image.Holds(at, 8)) break;
                const std::uint32_t adrp = image.U32(at), add = image.U32(at + 4);
                if ((adrp & 0x9F00001F) != 0x90000000 || (add & 0xFF8003FF) != 0x91000000) break;
                std::int64_t pages = ((adrp >> 29) & 3) | ((adrp >> 5) & 0x7FFFF) << 2;
                if (pages & (1 << 20)) pages -= 1 << 21;
                const std::uint32_t imm = (add >> 10) & 0xFFF;
                const std::int64_t target = static_cast<std::int64_t>(at & ~0xFFFull) + pages * 4096 +
                                            ((add & (1u << 22)) ? static_cast<std::int64_t>(imm) << 12 : imm);
                return target > 0 && target < 0xFFFFFFFFll ? static_cast<std::uint32_t>(target) : 0;
            }
            default: return 0;
        }
    }
    return 0;
}

}  // namespace

KbdTables ReadKbdTables(const std::string& bytes) {
    const PeImage image(bytes);
    const std::uint16_t machine = image.Machine();
    if (machine != kPeMachineI386 && machine != kPeMachineAmd64 && machine != kPeMachineArm64)
        throw LibraryFault("it is for a processor Windows layouts are not made for");
    if ((machine == kPeMachineI386) == image.Plus()) throw LibraryFault("its headers do not match its processor");
    std::string why = "it has no sound keyboard layout tables";
    if (const std::uint32_t code = image.Export("KbdLayerDescriptor")) {
        if (const std::uint32_t record = RecordFromCode(image, code))
            if (std::optional<KbdTables> tables = TablesAt(image, record, &why)) return *tables;
    }
    // The export's code was of no known form, or there is no export: every aligned place
    // of every section is tried, a bounded number of them.
    std::size_t candidates = 0;
    for (const PeImage::Section& section : image.Sections()) {
        for (std::uint64_t at = section.rva; at + 16 <= static_cast<std::uint64_t>(section.rva) + section.size; at += 4) {
            if (++candidates > kMaxSearchCandidates) throw LibraryFault(why);
            // A cheap look first: the first two pointers must lead into the image.
            const auto plausible = [&](unsigned width) {
                if ((width == 4 && image.Plus()) || !image.Holds(at, 2 * width)) return false;
                const auto value = [&](std::uint64_t p) { return width == 8 ? image.U64(p) : image.U32(p); };
                return image.RvaOf(value(at)) != 0 && image.RvaOf(value(at + width)) != 0;
            };
            if (!plausible(4) && !plausible(8)) continue;
            std::string ignored;
            if (std::optional<KbdTables> tables = TablesAt(image, static_cast<std::uint32_t>(at), &ignored)) return *tables;
        }
    }
    throw LibraryFault(why);
}

}  // namespace tastavia
