#pragma once
// An NT layout library read the way the system reads it, by a reader of the tests' own:
// the PE32 or PE32+ headers, the export KbdLayerDescriptor, the record its code returns,
// and the tables that record leads to, with 4-byte (Windows 2000 and XP) or 8-byte
// pointers (the x64, WOW64 and ARM64 libraries). Any read outside the file throws.
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tastavia::test {

struct LibraryWalk {
    bool pe32Plus = false;
    std::uint16_t machine = 0;
    // Every character table entry by virtual key: attributes, then one code unit per state.
    std::map<std::uint8_t, std::vector<std::uint16_t>> entries;
    std::map<std::uint8_t, std::uint8_t> attributes;
    std::map<std::uint8_t, std::string> names, extendedNames;  // scan code to name
    std::vector<std::uint16_t> scanToVk;
    std::set<std::uint32_t> pointerRvas;   // the non-NULL pointers the tables hold
    std::set<std::uint32_t> relocatedRvas;  // what .reloc fixes up
    std::uint16_t relocationType = 0;       // the one type every entry has (0 if mixed)
    std::string resources;                  // the resource directory's bytes
};

class LibraryReader {
public:
    LibraryReader(const std::string& bytes, std::size_t pointerSize) : f_(bytes), p_(pointerSize) {}

    LibraryWalk Walk() {
        const std::size_t pe = U32(0x3C);
        if (U32(pe) != 0x4550) throw std::runtime_error("no PE signature");
        w_.machine = static_cast<std::uint16_t>(U16(pe + 4));
        const std::size_t opt = pe + 24;
        w_.pe32Plus = U16(opt) == 0x20B;
        base_ = w_.pe32Plus ? U32(opt + 24) : U32(opt + 28);
        const std::size_t dirs = opt + (w_.pe32Plus ? 112 : 96);
        std::size_t table = opt + U16(pe + 20);
        for (unsigned i = 0; i < U16(pe + 6); ++i, table += 40)
            sections_.push_back({U32(table + 12), U32(table + 8), U32(table + 20)});
        ReadRelocations(U32(dirs + 40), U32(dirs + 44));
        w_.resources = f_.substr(Offset(U32(dirs + 16)), U32(dirs + 20));
        WalkRecord(RecordOf(ExportedFunction(U32(dirs))));
        return w_;
    }

private:
    struct Section {
        std::uint32_t rva, size, raw;
    };

    std::uint32_t U8(std::size_t at) const { return static_cast<unsigned char>(f_.at(at)); }
    std::uint32_t U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::size_t Offset(std::uint32_t rva) const {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva < s.rva + s.size) return s.raw + (rva - s.rva);
        throw std::out_of_range("RVA in no section");
    }
    std::uint32_t R8(std::uint32_t rva) const { return U8(Offset(rva)); }
    std::uint32_t R16(std::uint32_t rva) const { return U16(Offset(rva)); }
    std::uint32_t R32(std::uint32_t rva) const { return U32(Offset(rva)); }
    std::uint32_t Pointer(std::uint32_t rva) {
        const std::uint32_t va = R32(rva);
        if (p_ == 8 && R32(rva + 4) != 0) throw std::runtime_error("a pointer's upper half is not zero");
        if (va == 0) return 0;
        w_.pointerRvas.insert(rva);
        return va - base_;
    }

    void ReadRelocations(std::uint32_t rva, std::uint32_t size) {
        std::set<std::uint16_t> types;
        for (std::uint32_t block = rva; block < rva + size;) {
            const std::uint32_t page = R32(block), length = R32(block + 4);
            for (std::uint32_t e = block + 8; e < block + length; e += 2) {
                const std::uint32_t entry = R16(e);
                if (entry == 0) continue;  // padding
                types.insert(static_cast<std::uint16_t>(entry >> 12));
                w_.relocatedRvas.insert(page + (entry & 0xFFF));
            }
            block += length;
        }
        w_.relocationType = types.size() == 1 ? *types.begin() : 0;
    }

    std::uint32_t ExportedFunction(std::uint32_t dir) const {
        for (std::uint32_t i = 0; i < R32(dir + 24); ++i) {
            std::string name;
            for (std::uint32_t at = R32(R32(dir + 32) + 4 * i); R8(at) != 0; ++at) name += static_cast<char>(R8(at));
            if (name == "KbdLayerDescriptor") return R32(R32(dir + 28) + 4 * R16(R32(dir + 36) + 2 * i));
        }
        throw std::runtime_error("no KbdLayerDescriptor");
    }

    // mov eax, imm32; ret, or with xor edx, edx before the ret (the code's operand is
    // relocated too); lea rax, [rip+n]; ret; adrp x0; add x0, x0, #lo12; ret.
    std::uint32_t RecordOf(std::uint32_t code) {
        if (R8(code) == 0xB8 && (R8(code + 5) == 0xC3 || (R16(code + 5) == 0xD231 && R8(code + 7) == 0xC3))) {
            w_.pointerRvas.insert(code + 1);
            return R32(code + 1) - base_;
        }
        if (R8(code) == 0x48 && R8(code + 1) == 0x8D && R8(code + 2) == 0x05 && R8(code + 7) == 0xC3)
            return code + 7 + R32(code + 3);
        const std::uint32_t adrp = R32(code), add = R32(code + 4);
        if ((adrp & 0x9F00001F) == 0x90000000 && (add & 0xFFC003FF) == 0x91000000 && R32(code + 8) == 0xD65F03C0) {
            std::uint32_t pages = (adrp >> 29 & 3) | (adrp >> 5 & 0x7FFFF) << 2;
            if (pages & 0x100000) pages |= 0xFFE00000;
            return (code & ~0xFFFu) + (pages << 12) + (add >> 10 & 0xFFF);
        }
        throw std::runtime_error("KbdLayerDescriptor is other code");
    }

    void WalkRecord(std::uint32_t record) {
        const std::uint32_t p = static_cast<std::uint32_t>(p_);
        for (std::uint32_t t = Pointer(record + p);; t += 2 * p) {
            const std::uint32_t entries = Pointer(t);
            if (entries == 0) break;
            const std::uint32_t states = R8(t + p), size = R8(t + p + 1);
            if (size != 2 + 2 * states) throw std::runtime_error("wrong entry size");
            for (std::uint32_t e = entries; R8(e) != 0; e += size) {
                std::vector<std::uint16_t>& chars = w_.entries[static_cast<std::uint8_t>(R8(e))];
                w_.attributes[static_cast<std::uint8_t>(R8(e))] = static_cast<std::uint8_t>(R8(e + 1));
                for (std::uint32_t s = 0; s < states; ++s) chars.push_back(static_cast<std::uint16_t>(R16(e + 2 + 2 * s)));
            }
        }
        Names(Pointer(record + 3 * p), w_.names);
        Names(Pointer(record + 4 * p), w_.extendedNames);
        const std::uint32_t scan = Pointer(record + 6 * p);
        for (std::uint32_t i = 0; i < R8(record + 7 * p); ++i) w_.scanToVk.push_back(static_cast<std::uint16_t>(R16(scan + 2 * i)));
        Pointer(Pointer(record));  // modifiers and their VK_TO_BIT, E0, E1: only counted as pointers
        Pointer(record + 8 * p);
        Pointer(record + 9 * p);
    }

    void Names(std::uint32_t table, std::map<std::uint8_t, std::string>& out) {
        const std::uint32_t p = static_cast<std::uint32_t>(p_);
        for (std::uint32_t at = table;; at += 2 * p) {
            const std::uint32_t name = Pointer(at + p);
            if (name == 0) break;
            std::string text;
            for (std::uint32_t c = name; R16(c) != 0; c += 2) text += static_cast<char>(R16(c));
            out[static_cast<std::uint8_t>(R8(at))] = text;
        }
    }

    const std::string& f_;
    std::size_t p_;
    std::uint32_t base_ = 0;
    std::vector<Section> sections_;
    LibraryWalk w_;
};

inline LibraryWalk WalkLibrary(const std::string& bytes, std::size_t pointerSize) {
    return LibraryReader(bytes, pointerSize).Walk();
}

}  // namespace tastavia::test
