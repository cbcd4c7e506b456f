#pragma once
// A PE image read as data, for the layout libraries of other makers: the headers, the
// sections and the export directory, with every read checked against the file. Nothing
// is loaded or run; any bytes at all are a safe input.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tastavia {

// Why a file cannot be read as a layout library, in words for the user.
class LibraryFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr std::uint16_t kPeMachineI386 = 0x014C;
constexpr std::uint16_t kPeMachineAmd64 = 0x8664;
constexpr std::uint16_t kPeMachineArm64 = 0xAA64;

class PeImage {
public:
    struct Section {
        std::uint32_t rva;
        std::uint32_t size;  // the bytes the file holds for it
        std::uint32_t raw;   // their file offset
    };

    // Throws LibraryFault when the headers are not those of a PE image.
    explicit PeImage(const std::string& bytes);

    std::uint16_t Machine() const { return machine_; }
    bool Plus() const { return plus_; }  // PE32+, 64-bit headers
    std::uint64_t ImageBase() const { return imageBase_; }
    const std::vector<Section>& Sections() const { return sections_; }

    // Whether `length` bytes at the RVA lie in the file's data of one section.
    bool Holds(std::uint64_t rva, std::uint64_t length) const;
    // Little-endian reads by RVA; LibraryFault outside the file's sections.
    std::uint32_t U8(std::uint64_t rva) const;
    std::uint32_t U16(std::uint64_t rva) const;
    std::uint32_t U32(std::uint64_t rva) const;
    std::uint64_t U64(std::uint64_t rva) const;
    // A stored pointer of `width` bytes (4 or 8) as an RVA, 0 for NULL; LibraryFault
    // when it points outside the image.
    std::uint32_t Pointer(std::uint64_t rva, unsigned width) const;
    // The RVA of an address stored in code or data, or 0 when it is outside the image.
    std::uint32_t RvaOf(std::uint64_t address) const;
    // The RVA the export of that name leads to, or 0 when there is none.
    std::uint32_t Export(const std::string& name) const;

    // The file offset of `length` bytes at the RVA; LibraryFault outside the sections.
    std::size_t Offset(std::uint64_t rva, std::uint64_t length) const;

private:
    std::uint32_t FileU16(std::size_t at) const;
    std::uint32_t FileU32(std::size_t at) const;

    const std::string& bytes_;
    std::uint16_t machine_ = 0;
    bool plus_ = false;
    std::uint64_t imageBase_ = 0;
    std::uint32_t imageSize_ = 0;
    std::uint32_t exportRva_ = 0;
    std::uint32_t exportSize_ = 0;
    std::vector<Section> sections_;
};

}  // namespace tastavia
