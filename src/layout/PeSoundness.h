#pragma once
// Whether a library is one the Windows loader maps and relocates without fault: headers,
// section table and section data inside the file, sections adjacent in memory and apart
// in the file, relocation blocks that stay inside the image and their pages, an export
// table inside the image that names KbdLayerDescriptor. Everything a layout shape check
// then reads is only trusted after this. One function for every machine; a machine is one
// row of facts (PeMachine).
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tastavia {

struct PeMachine {
    std::uint16_t machine;            // the file header's Machine
    std::uint16_t optionalMagic;      // 0x10B PE32, 0x20B PE32+
    std::uint8_t relocationType;      // the one relocation type besides padding: HIGHLOW 3, DIR64 10
    std::uint64_t lowestBase;         // the image base may not lie lower
    std::uint64_t highestEnd;         // image base + size of image may not lie higher
};

// x86 (Windows 2000, XP and the WOW64 library): PE32, HIGHLOW, below the 2 GB line.
extern const PeMachine kPeX86;
// x64: PE32+, DIR64; our tables keep pointers whose upper half is zero, so below 4 GB.
extern const PeMachine kPeX64;
// ARM64: PE32+, DIR64, as x64.
extern const PeMachine kPeArm64;

// A section's place in the image and the file; `size` counts the bytes the file holds.
struct PeSection {
    std::uint32_t rva, size, raw;
};

// What a sound library tells the shape checks.
struct PeFacts {
    std::uint64_t imageBase = 0;
    std::uint32_t sizeOfImage = 0;
    std::uint32_t descriptorRva = 0;       // KbdLayerDescriptor's code
    std::set<std::uint32_t> relocated;     // the RVA of every relocated field
    std::vector<PeSection> sections;

    // The file offset of `length` bytes at an RVA that one section's data holds.
    std::optional<std::uint64_t> Offset(std::uint64_t rva, std::uint64_t length) const {
        for (const PeSection& s : sections)
            if (rva >= s.rva && rva - s.rva <= s.size && length <= s.size - (rva - s.rva)) return s.raw + (rva - s.rva);
        return std::nullopt;
    }
};

// Nothing when the loader would take the library; otherwise why not, for the user
// ("its relocation table is damaged"). `facts` is filled when sound.
std::optional<std::string> PeSoundnessFault(const std::string& bytes, const PeMachine& machine,
                                            PeFacts* facts = nullptr);

}  // namespace tastavia
