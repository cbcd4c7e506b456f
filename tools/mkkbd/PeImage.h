#pragma once
// A small writer of PE32 and PE32+ images: sections laid out by their alignments,
// headers, base relocations and the checksum. Enough for a data-only DLL, nothing more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mkkbd {

constexpr std::uint32_t kImageBase = 0x5FFF0000;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kFileAlignment = 0x200;

// Data directory slots the images use.
constexpr int kExportDirectory = 0;
constexpr int kResourceDirectory = 2;
constexpr int kRelocationDirectory = 5;

constexpr std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// The machines of the images: an x86 image stores 4-byte pointers, unless its tables are
// read by a 64-bit system (WOW64), which takes them with 8-byte pointers whose upper half
// is zero; x64 and ARM64 images store 8-byte pointers.
enum class Machine { X86, X86WidePointers, X64, Arm64 };

// The contents of one section while it is being written. Pointers are stored as VAs
// from the preferred image base; each one is remembered for the relocation table.
class SectionWriter {
public:
    explicit SectionWriter(std::uint32_t rva, std::size_t pointerSize = 4) : rva_(rva), pointerSize_(pointerSize) {}

    std::size_t PointerSize() const { return pointerSize_; }
    std::size_t Size() const { return bytes_.size(); }
    std::uint32_t RvaOf(std::size_t at) const { return rva_ + static_cast<std::uint32_t>(at); }
    const std::string& Bytes() const { return bytes_; }
    // RVAs of the stored pointers, in the order they were written.
    const std::vector<std::uint32_t>& PointerRvas() const { return pointers_; }

    void Align(std::size_t alignment);
    // Zeros up to the offset; throws if the section has already grown past it.
    void PadTo(std::size_t at);

    std::size_t Put8(std::uint8_t value);
    std::size_t Put16(std::uint16_t value);
    std::size_t Put32(std::uint32_t value);
    std::size_t PutBytes(const std::string& bytes);
    // A NUL-terminated UTF-16 string of ASCII text.
    std::size_t PutWideString(const char* text);
    std::size_t PutAsciiString(const char* text);
    // A pointer of the section's pointer size to the given offset of this section, or a NULL one.
    std::size_t PutPointer(std::size_t target);
    std::size_t PutNull();
    // A 4-byte pointer whatever the section's pointer size: an x86 instruction's operand.
    std::size_t PutPointer32(std::size_t target);

    void Set32(std::size_t at, std::uint32_t value);
    void SetPointer(std::size_t at, std::size_t target);

private:
    std::uint32_t rva_;
    std::size_t pointerSize_;
    std::string bytes_;
    std::vector<std::uint32_t> pointers_;
};

// Sections are placed one after another, each at the next section alignment in memory
// and the next file alignment on disk.
class PeBuilder {
public:
    PeBuilder(std::uint32_t headersSize, Machine machine = Machine::X86)
        : headersSize_(headersSize), machine_(machine) {}

    std::uint32_t NextRva() const;
    std::uint32_t AddSection(const char* name, std::uint32_t characteristics, std::string data);
    void SetDirectory(int index, std::uint32_t rva, std::uint32_t size);
    // The whole file, zero-filled after the last section up to fileSize.
    std::string Write(std::size_t fileSize) const;

private:
    struct Section {
        std::string name;
        std::uint32_t characteristics;
        std::uint32_t rva;
        std::uint32_t fileOffset;
        std::string data;
    };
    struct Directory {
        std::uint32_t rva = 0;
        std::uint32_t size = 0;
    };

    std::uint32_t NextFileOffset() const;
    std::uint32_t SizeOfImage() const;

    void WriteOptionalHeader(std::string& f) const;

    std::uint32_t headersSize_;
    Machine machine_;
    std::vector<Section> sections_;
    Directory directories_[16];
};

// The contents of a .reloc section: one block per 4 KB page, an entry per pointer:
// DIR64 for an x64 or ARM64 image, HIGHLOW (the low half of a wide pointer) for an x86 one.
std::string BaseRelocations(std::vector<std::uint32_t> pointerRvas, Machine machine = Machine::X86);

// The standard PE checksum of a file whose checksum field lies at checksumOffset.
std::uint32_t PeChecksum(const std::string& file, std::size_t checksumOffset);

}  // namespace mkkbd
