// The two NT layout library templates, read as PE files by a reader of our own: the
// headers, the export, the relocations, and the keyboard tables the program patches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Layouts.h"
#include "NtLayoutTables.h"
#include "TestSupport.h"
#include "Templates.h"
#include "layout/Charset.h"
#include "layout/KeyTable.h"

namespace tastavia {
namespace {

constexpr std::uint32_t kImageBase = 0x5FFF0000;

struct Section {
    std::string name;
    std::uint32_t virtualSize, rva, rawSize, rawOffset, characteristics;
};

// Little-endian reads by file offset or by RVA; a read outside the file or outside
// every section's data throws, which fails the test.
class PeFile {
public:
    explicit PeFile(std::string bytes) : f_(std::move(bytes)) {
        pe_ = U32(0x3C);
        opt_ = pe_ + 24;
        std::size_t table = opt_ + U16(pe_ + 20);
        for (unsigned i = 0; i < U16(pe_ + 6); ++i, table += 40) {
            std::string name = f_.substr(table, 8);
            name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
            sections_.push_back({name, U32(table + 8), U32(table + 12), U32(table + 16), U32(table + 20), U32(table + 36)});
        }
    }

    const std::string& Bytes() const { return f_; }
    std::size_t PeHeader() const { return pe_; }
    std::size_t Optional(std::size_t field) const { return opt_ + field; }
    std::uint32_t DirectoryRva(int i) const { return U32(opt_ + 96 + 8 * i); }
    std::uint32_t DirectorySize(int i) const { return U32(opt_ + 100 + 8 * i); }
    const std::vector<Section>& Sections() const { return sections_; }

    std::uint8_t U8(std::size_t at) const { return static_cast<std::uint8_t>(f_.at(at)); }
    std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(U8(at) | U8(at + 1) << 8); }
    std::uint32_t U32(std::size_t at) const { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }

    const Section& SectionOf(std::uint32_t rva) const {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva < s.rva + std::min(s.virtualSize, s.rawSize)) return s;
        throw std::out_of_range("RVA " + std::to_string(rva) + " lies in no section's data");
    }
    std::size_t Offset(std::uint32_t rva, std::uint32_t length = 1) const {
        const Section& s = SectionOf(rva);
        if (&SectionOf(rva + length - 1) != &s) throw std::out_of_range("a read across sections");
        return s.rawOffset + (rva - s.rva);
    }
    std::uint8_t R8(std::uint32_t rva) const { return U8(Offset(rva)); }
    std::uint16_t R16(std::uint32_t rva) const { return U16(Offset(rva, 2)); }
    std::uint32_t R32(std::uint32_t rva) const { return U32(Offset(rva, 4)); }
    std::string AsciiAt(std::uint32_t rva) const {
        std::string s;
        for (char c; (c = static_cast<char>(R8(rva))) != '\0'; ++rva) s += c;
        return s;
    }

private:
    std::string f_;
    std::size_t pe_ = 0, opt_ = 0;
    std::vector<Section> sections_;
};

struct CharEntry {
    std::size_t fileOffset;
    std::uint8_t states, vk, attributes;
    std::vector<std::uint16_t> chars;
};

struct CharTable {
    std::size_t fileOffset;
    std::uint8_t states;
};

// What KbdLayerDescriptor's record leads to, with the format's invariants checked on the way.
struct LayoutWalk {
    std::set<std::uint32_t> pointerFields;  // RVAs of the non-NULL pointers stored in the tables
    std::vector<CharTable> tables;
    std::vector<CharEntry> entries;
    std::vector<std::uint16_t> scanToVk;
};

class Walker {
public:
    explicit Walker(const PeFile& pe) : pe_(pe) {}

    LayoutWalk Walk(std::uint32_t record) {
        pe_.Offset(record, 60);
        WalkModifiers(Pointer(record + 0x00), WalkCharTables(Pointer(record + 0x04)));
        EXPECT_EQ(Pointer(record + 0x08), 0u) << "dead keys";
        WalkNames(Pointer(record + 0x0C));
        WalkNames(Pointer(record + 0x10));
        EXPECT_EQ(Pointer(record + 0x14), 0u) << "dead key names";
        const std::uint32_t scanTable = Pointer(record + 0x18);
        EXPECT_EQ(pe_.R8(record + 0x1C), 127);
        for (std::uint32_t i = 0; i < pe_.R8(record + 0x1C); ++i) {
            walk_.scanToVk.push_back(pe_.R16(scanTable + 2 * i));
            EXPECT_NE(walk_.scanToVk.back(), 0) << "scan code " << i;
        }
        WalkScanPairs(Pointer(record + 0x20));
        WalkScanPairs(Pointer(record + 0x24));
        EXPECT_EQ(pe_.R32(record + 0x28), 0x00010000u);
        EXPECT_EQ(pe_.R16(record + 0x2C), 0) << "ligature sizes";
        EXPECT_EQ(Pointer(record + 0x30), 0u) << "ligatures";
        EXPECT_EQ(pe_.R32(record + 0x34), 4u);
        EXPECT_EQ(pe_.R32(record + 0x38), 0u);
        return walk_;
    }

private:
    // The RVA a stored pointer leads to, 0 for NULL.
    std::uint32_t Pointer(std::uint32_t field) {
        const std::uint32_t va = pe_.R32(field);
        if (va == 0) return 0;
        walk_.pointerFields.insert(field);
        const std::uint32_t rva = va - kImageBase;
        pe_.Offset(rva);  // lands inside the image's data
        return rva;
    }

    std::uint8_t WalkCharTables(std::uint32_t list) {
        std::uint8_t maxStates = 0;
        for (;; list += 8) {
            const std::uint32_t entries = Pointer(list);
            const std::uint8_t states = pe_.R8(list + 4), size = pe_.R8(list + 5);
            if (entries == 0) {
                EXPECT_EQ(states | size, 0) << "end of the table list";
                return maxStates;
            }
            EXPECT_EQ(size, 2 + 2 * states);
            maxStates = std::max(maxStates, states);
            walk_.tables.push_back({pe_.Offset(entries), states});
            for (std::uint32_t e = entries;; e += size) {
                std::uint32_t bytes = 0;
                for (std::uint32_t i = 0; i < size; ++i) bytes |= pe_.R8(e + i);
                if (pe_.R8(e) == 0) {
                    EXPECT_EQ(bytes, 0u) << "a table ends with an all-zero entry";
                    break;
                }
                CharEntry entry{pe_.Offset(e, size), states, pe_.R8(e), pe_.R8(e + 1), {}};
                for (std::uint32_t i = 0; i < states; ++i) entry.chars.push_back(pe_.R16(e + 2 + 2 * i));
                walk_.entries.push_back(entry);
            }
        }
    }

    void WalkModifiers(std::uint32_t modifiers, std::uint8_t maxStates) {
        std::uint32_t bits = Pointer(modifiers);
        for (; pe_.R16(bits) != 0; bits += 2) EXPECT_NE(pe_.R8(bits + 1), 0) << "modifier of VK " << int(pe_.R8(bits));
        const std::uint16_t maxBits = pe_.R16(modifiers + 4);
        EXPECT_EQ(maxBits, 3);
        for (std::uint32_t i = 0; i <= maxBits; ++i) {
            const std::uint8_t column = pe_.R8(modifiers + 6 + i);
            EXPECT_TRUE(column < maxStates || column == 0x0F) << "modification number " << i;
        }
    }

    void WalkNames(std::uint32_t table) {
        std::size_t count = 0;
        for (;; table += 8, ++count) {
            const std::uint32_t text = Pointer(table + 4);
            if (pe_.R8(table) == 0) {
                EXPECT_EQ(text, 0u) << "end of a name table";
                break;
            }
            std::uint32_t end = text;
            while (pe_.R16(end) != 0) end += 2;
            EXPECT_GT(end, text) << "name of scan code " << int(pe_.R8(table));
        }
        EXPECT_GT(count, 10u);
    }

    void WalkScanPairs(std::uint32_t pairs) {
        for (; pe_.R8(pairs) != 0; pairs += 4) EXPECT_NE(pe_.R16(pairs + 2), 0) << "scan code " << int(pe_.R8(pairs));
        EXPECT_EQ(pe_.R16(pairs + 2), 0);
    }

    const PeFile& pe_;
    LayoutWalk walk_;
};

struct Variant {
    const char* file;
    mkkbd::NtVariant variant;
    std::size_t size;
    std::size_t shift;  // how much lower than in the Windows 2000 file the tables lie
};

class NtTemplate : public ::testing::TestWithParam<Variant> {
protected:
    NtTemplate() : pe(test::ResourceFile(GetParam().file)) {}

    // The export's code (mov eax, imm32; ret) and the record it returns, as RVAs.
    std::pair<std::uint32_t, std::uint32_t> CodeAndRecord() const {
        const std::uint32_t exports = pe.DirectoryRva(0);
        const std::uint32_t code = pe.R32(pe.R32(exports + 28));
        EXPECT_EQ(pe.R8(code), 0xB8);
        EXPECT_EQ(pe.R8(code + 5), 0xC3);
        return {code, pe.R32(code + 1) - kImageBase};
    }
    LayoutWalk Walk() const { return Walker(pe).Walk(CodeAndRecord().second); }

    PeFile pe;
};

std::uint32_t Checksum(std::string file, std::size_t field) {
    file.replace(field, 4, 4, '\0');
    if (file.size() % 2) file += '\0';
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at < file.size(); at += 2)
        sum += static_cast<unsigned char>(file[at]) | static_cast<unsigned char>(file[at + 1]) << 8;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

TEST_P(NtTemplate, IsAKeyboardLayoutDllByItsHeaders) {
    const std::string& f = pe.Bytes();
    ASSERT_EQ(f.size(), GetParam().size);
    EXPECT_EQ(f.substr(0, 2), "MZ");
    EXPECT_EQ(f.substr(pe.PeHeader(), 4), std::string("PE\0\0", 4));
    EXPECT_EQ(pe.U16(pe.PeHeader() + 4), 0x014C);
    EXPECT_EQ(pe.U32(pe.PeHeader() + 8), 0u) << "time stamp";
    EXPECT_EQ(pe.U16(pe.PeHeader() + 22), 0x2102);
    EXPECT_EQ(pe.U16(pe.Optional(0)), 0x010B);
    EXPECT_EQ(pe.U32(pe.Optional(16)), 0u) << "entry point";
    EXPECT_EQ(pe.U32(pe.Optional(28)), kImageBase);
    EXPECT_EQ(pe.U32(pe.Optional(32)), 0x1000u);
    EXPECT_EQ(pe.U32(pe.Optional(36)), 0x200u);
    EXPECT_EQ(pe.U16(pe.Optional(48)), 5);
    EXPECT_EQ(pe.U16(pe.Optional(50)), 0);
    EXPECT_EQ(pe.U16(pe.Optional(68)), 1) << "native subsystem";
    EXPECT_EQ(pe.U32(pe.Optional(64)), Checksum(f, pe.Optional(64)));

    const std::map<std::string, std::uint32_t> characteristics = {
        {".data", 0x60000040}, {".rsrc", 0x40000040}, {".reloc", 0x42000040}};
    std::uint32_t nextRva = 0x1000, nextOffset = pe.U32(pe.Optional(60));
    EXPECT_EQ(nextOffset % 0x200, 0u);
    for (const Section& s : pe.Sections()) {
        EXPECT_EQ(characteristics.at(s.name), s.characteristics) << s.name;
        EXPECT_GE(s.rva, nextRva) << s.name;
        EXPECT_EQ(s.rva % 0x1000, 0u) << s.name;
        EXPECT_GE(s.rawOffset, nextOffset) << s.name;
        EXPECT_EQ(s.rawOffset % 0x200, 0u) << s.name;
        EXPECT_LE(s.rawOffset + s.rawSize, f.size()) << s.name;
        nextRva = s.rva + (s.virtualSize + 0xFFF) / 0x1000 * 0x1000;
        nextOffset = s.rawOffset + s.rawSize;
    }
    EXPECT_EQ(pe.Sections().front().name, ".data");
    EXPECT_EQ(pe.U32(pe.Optional(56)), nextRva) << "size of image";
    EXPECT_EQ(pe.SectionOf(pe.DirectoryRva(0)).name, ".data");
    EXPECT_EQ(pe.SectionOf(pe.DirectoryRva(2)).name, ".rsrc");
    EXPECT_EQ(pe.SectionOf(pe.DirectoryRva(5)).name, ".reloc");
    EXPECT_EQ(pe.DirectoryRva(1), 0u) << "no imports";
}

TEST_P(NtTemplate, ExportsKbdLayerDescriptorAsOrdinalOne) {
    const std::uint32_t exports = pe.DirectoryRva(0);
    EXPECT_EQ(pe.R32(exports + 16), 1u) << "ordinal base";
    ASSERT_EQ(pe.R32(exports + 20), 1u);
    ASSERT_EQ(pe.R32(exports + 24), 1u);
    EXPECT_EQ(pe.AsciiAt(pe.R32(pe.R32(exports + 32))), "KbdLayerDescriptor");
    EXPECT_EQ(pe.R16(pe.R32(exports + 36)), 0) << "first function, ordinal base + 0";
    auto [code, record] = CodeAndRecord();
    EXPECT_EQ(pe.SectionOf(code).name, ".data");
    EXPECT_EQ(pe.SectionOf(record).name, ".data");
    pe.Offset(record, 60);
}

TEST_P(NtTemplate, RelocatesExactlyTheStoredPointers) {
    std::set<std::uint32_t> expected = Walk().pointerFields;
    expected.insert(CodeAndRecord().first + 1);

    std::multiset<std::uint32_t> relocated;
    const std::uint32_t start = pe.DirectoryRva(5), end = start + pe.DirectorySize(5);
    for (std::uint32_t block = start; block < end;) {
        const std::uint32_t page = pe.R32(block), size = pe.R32(block + 4);
        EXPECT_EQ(page % 0x1000, 0u);
        ASSERT_TRUE(size >= 8 && size % 4 == 0 && block + size <= end) << "block size " << size;
        for (std::uint32_t e = block + 8; e < block + size; e += 2) {
            const std::uint16_t entry = pe.R16(e);
            if (entry >> 12 == 3)
                relocated.insert(page + (entry & 0xFFF));
            else
                EXPECT_TRUE(entry == 0 && e + 2 == block + size) << "only a final padding entry may be no HIGHLOW";
        }
        block += size;
    }
    EXPECT_EQ(std::set<std::uint32_t>(relocated.begin(), relocated.end()), expected);
    EXPECT_EQ(relocated.size(), expected.size()) << "a pointer relocated twice";
}

TEST_P(NtTemplate, CharacterTablesLieWhereTheProgramPatchesTheKeys) {
    const LayoutWalk walk = Walk();
    const std::size_t shift = GetParam().shift;
    const std::vector<std::pair<std::size_t, std::uint8_t>> wantTables = {
        {1984 - shift, 2}, {2272 - shift, 3}, {2352 - shift, 4}, {2392 - shift, 1}};
    ASSERT_EQ(walk.tables.size(), wantTables.size());
    for (std::size_t t = 0; t < wantTables.size(); ++t) {
        EXPECT_EQ(walk.tables[t].fileOffset, wantTables[t].first) << "table " << t;
        EXPECT_EQ(walk.tables[t].states, wantTables[t].second) << "table " << t;
    }

    std::map<std::size_t, CharEntry> byOffset;
    std::set<std::uint8_t> vks;
    for (const CharEntry& e : walk.entries) {
        byOffset.emplace(e.fileOffset, e);
        EXPECT_TRUE(vks.insert(e.vk).second) << "VK " << int(e.vk) << " has two entries";
    }
    for (const KeyInfo& key : KeyTable()) {
        auto found = byOffset.find(key.ntOffset - shift - 2);
        ASSERT_NE(found, byOffset.end()) << "no entry holds key " << int(key.number);
        EXPECT_GE(found->second.states, 2) << "key " << int(key.number);
        EXPECT_EQ(found->second.vk, walk.scanToVk.at(key.scanCode) & 0xFF) << "key " << int(key.number);
    }
}

TEST_P(NtTemplate, HoldsTheBdsLayout) {
    const LayoutWalk walk = Walk();
    std::map<std::size_t, KeyNumber> keyAt;
    for (const KeyInfo& key : KeyTable()) keyAt[key.ntOffset - GetParam().shift - 2] = key.number;
    std::size_t keys = 0;
    for (const CharEntry& e : walk.entries) {
        auto key = keyAt.find(e.fileOffset);
        if (key == keyAt.end()) {
            EXPECT_EQ(e.attributes, 0) << "VK " << int(e.vk);
            continue;
        }
        ++keys;
        const mkkbd::KeyChars& want = mkkbd::BdsLayout()[key->second - 1];
        auto read = [](std::uint16_t unit) { return CharFromUnicode(unit & 0xFF, unit >> 8); };
        EXPECT_EQ(read(e.chars[0]), want.unshifted) << "key " << int(key->second);
        EXPECT_EQ(read(e.chars[1]), want.shifted) << "key " << int(key->second);
        EXPECT_EQ(e.attributes, want.caps ? 1 : 0) << "key " << int(key->second);
    }
    EXPECT_EQ(keys, kKeyCount);
}

TEST_P(NtTemplate, IsWhatMkkbdWrites) { EXPECT_EQ(mkkbd::BuildNtTemplate(GetParam().variant), pe.Bytes()); }

INSTANTIATE_TEST_SUITE_P(Variants, NtTemplate,
                         ::testing::Values(Variant{"WIN2K.dll", mkkbd::NtVariant::Windows2000, 6416, 0},
                                           Variant{"WINXP.dll", mkkbd::NtVariant::WindowsXp, 5632, 520}),
                         [](const auto& info) { return info.param.shift == 0 ? "Win2000" : "WinXp"; });

// The key table decides where the tables go; a layout that cannot put every key at
// its place must stop mkkbd rather than write a template the program mispatches.
TEST(NtLayoutTables, RefuseToLieAnywhereButAtTheKeysPlaces) {
    auto placeAt = [](std::size_t base, KeyNumber moved) {
        return [base, moved](KeyNumber k) -> std::size_t { return Key(k).ntOffset - base + (k == moved ? 2 : 0); };
    };
    mkkbd::SectionWriter good(0x1000);
    EXPECT_NO_THROW(mkkbd::WriteLayoutTables(good, placeAt(1024, 0)));
    mkkbd::SectionWriter moved(0x1000);
    EXPECT_THROW(mkkbd::WriteLayoutTables(moved, placeAt(1024, 30)), std::logic_error);
    mkkbd::SectionWriter tooEarly(0x1000);
    EXPECT_THROW(mkkbd::WriteLayoutTables(tooEarly, placeAt(1984 - 100, 0)), std::logic_error);
}

}  // namespace
}  // namespace tastavia
