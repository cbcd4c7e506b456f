#pragma once
// The tables of a layout library whose pointers are 64 bits wide, as a 64-bit Windows
// keeps them in both of its copies: the x64 library in System32 (native pointers) and
// the WOW64 one in SysWOW64 (a 32-bit library with the same 8-byte fields). Shared by
// the 64-bit checker and the 32-bit tests; compared against the keys of a working file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace longptr {

using Ptr = std::uint64_t;

struct Modifiers {
    Ptr vkToBit;
    std::uint16_t maxModifierBits;
    std::uint8_t modificationNumbers[1];
};
struct VkToWcharTable {
    Ptr entries;
    std::uint8_t states;
    std::uint8_t entrySize;
};
struct KbdTables {
    Ptr modifiers, charTables, deadKeys, keyNames, extendedKeyNames, deadKeyNames, scanToVk;
    std::uint8_t scanCount;
    Ptr e0ScanToVk, e1ScanToVk;
    std::uint32_t localeFlags;
    std::uint8_t ligatureMax, ligatureSize;
    Ptr ligatures;
    std::uint32_t type, subtype;
};
static_assert(sizeof(VkToWcharTable) == 16 && offsetof(Modifiers, modificationNumbers) == 10, "8-byte pointers");
static_assert(offsetof(KbdTables, scanCount) == 56 && offsetof(KbdTables, localeFlags) == 80 &&
                  offsetof(KbdTables, ligatures) == 88 && sizeof(KbdTables) == 104,
              "the record with 8-byte pointers");

// One key of the working file: its scan code, both code units and the Caps-Lock flag.
struct ExpectedKey {
    unsigned number = 0, scan = 0, unshifted = 0, shifted = 0, caps = 0;
};

// "number scan unshifted shifted caps" in hexadecimal, one key a line.
inline std::string FormatKeys(const std::vector<ExpectedKey>& keys) {
    std::string text;
    char line[64];
    for (const ExpectedKey& k : keys) {
        std::snprintf(line, sizeof line, "%x %x %x %x %x\n", k.number, k.scan, k.unshifted, k.shifted, k.caps);
        text += line;
    }
    return text;
}

inline std::vector<ExpectedKey> ParseKeys(const std::string& text) {
    std::vector<ExpectedKey> keys;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        ExpectedKey k;
        if (std::sscanf(text.substr(at, end - at).c_str(), "%x %x %x %x %x", &k.number, &k.scan, &k.unshifted,
                        &k.shifted, &k.caps) == 5)
            keys.push_back(k);
        at = end + 1;
    }
    return keys;
}

// Walks the tables of a module loaded at [begin, end) and lists every difference from
// the expected keys; an empty list means every key, level and flag is as expected.
// Never reads outside the module: a pointer that leaves it is a finding.
class Walker {
public:
    Walker(const std::uint8_t* begin, const std::uint8_t* end) : begin_(begin), end_(end) {}

    std::vector<std::string> Compare(const KbdTables* tables, const std::vector<ExpectedKey>& keys) {
        findings_.clear();
        if (!Inside(reinterpret_cast<const std::uint8_t*>(tables), sizeof(KbdTables))) {
            Find("the record lies outside the module");
            return findings_;
        }
        const std::uint8_t* scanTable = At(tables->scanToVk, tables->scanCount * 2u, "scan code table");
        const std::uint8_t* charTables = At(tables->charTables, sizeof(VkToWcharTable), "character tables");
        if (keys.size() != 48) Find("expected 48 keys, got " + std::to_string(keys.size()));
        if (!scanTable || !charTables) return findings_;
        for (const ExpectedKey& key : keys) {
            const std::string name = "key " + std::to_string(key.number);
            if (key.scan >= tables->scanCount) {
                Find(name + ": scan code beyond the table");
                continue;
            }
            const unsigned vk = scanTable[key.scan * 2];
            const std::uint8_t* entry = FindEntry(tables->charTables, vk);
            if (!entry) {
                Find(name + ": no characters for virtual key " + std::to_string(vk));
                continue;
            }
            const unsigned unshifted = entry[2] | entry[3] << 8, shifted = entry[4] | entry[5] << 8;
            Expect(name + " unshifted", unshifted, key.unshifted);
            Expect(name + " shifted", shifted, key.shifted);
            Expect(name + " Caps Lock", entry[1] & 1u, key.caps);
        }
        return findings_;
    }

private:
    bool Inside(const std::uint8_t* p, std::size_t size) const {
        return p >= begin_ && p <= end_ && size <= static_cast<std::size_t>(end_ - p);
    }
    const std::uint8_t* At(Ptr value, std::size_t size, const char* what) {
        const auto address = static_cast<std::uintptr_t>(value);
        const auto* p = reinterpret_cast<const std::uint8_t*>(address);
        if (static_cast<Ptr>(address) != value || !Inside(p, size)) {
            Find(std::string(what) + " outside the module");
            return nullptr;
        }
        return p;
    }
    // The entry of vk among the character tables with two or more levels.
    const std::uint8_t* FindEntry(Ptr tablesAt, unsigned vk) {
        for (int t = 0; t < 64; ++t) {
            const auto* table = reinterpret_cast<const VkToWcharTable*>(
                At(tablesAt + t * sizeof(VkToWcharTable), sizeof(VkToWcharTable), "character table"));
            if (!table || table->entries == 0) return nullptr;
            if (table->states < 2 || table->entrySize != 2 + 2 * table->states) continue;
            for (int i = 0; i < 256; ++i) {
                const std::uint8_t* entry = At(table->entries + i * table->entrySize, table->entrySize, "entry");
                if (!entry || entry[0] == 0) break;
                if (entry[0] == vk) return entry;
            }
        }
        return nullptr;
    }
    void Expect(const std::string& what, unsigned got, unsigned wanted) {
        // An empty slot reads as nothing (0) or as the format's "no character" (0xF000).
        if (got == wanted || (wanted == 0 && got == 0xF000)) return;
        char text[96];
        std::snprintf(text, sizeof text, ": %04X, the working file %04X", got, wanted);
        Find(what + text);
    }
    void Find(const std::string& finding) { findings_.push_back(finding); }

    const std::uint8_t* begin_;
    const std::uint8_t* end_;
    std::vector<std::string> findings_;
};

}  // namespace longptr
