#include "layout/PeImage.h"

namespace tastavia {

namespace {

constexpr std::size_t kMaxSections = 96;      // what the format allows
constexpr std::uint32_t kMaxExportNames = 4096;
constexpr std::uint32_t kMaxNameLength = 256;

}  // namespace

PeImage::PeImage(const std::string& bytes) : bytes_(bytes) {
    if (bytes.size() < 0x40 || FileU16(0) != 0x5A4D) throw LibraryFault("it is not a program library (no MZ header)");
    const std::size_t pe = FileU32(0x3C);
    if (pe > bytes.size() || bytes.size() - pe < 24 || FileU32(pe) != 0x00004550)
        throw LibraryFault("it has no PE header");
    machine_ = static_cast<std::uint16_t>(FileU16(pe + 4));
    const std::size_t optional = pe + 24;
    const std::uint32_t optionalSize = FileU16(pe + 20);
    const std::uint32_t magic = FileU16(optional);
    if (magic != 0x010B && magic != 0x020B) throw LibraryFault("its optional header is of no known kind");
    plus_ = magic == 0x020B;
    imageBase_ = plus_ ? (static_cast<std::uint64_t>(FileU32(optional + 28)) << 32) | FileU32(optional + 24)
                       : FileU32(optional + 28);
    imageSize_ = FileU32(optional + 56);
    const std::size_t directories = optional + (plus_ ? 112 : 96);
    const std::uint32_t directoryCount = FileU32(optional + (plus_ ? 108 : 92));
    if (directoryCount > 0 && directories + 8 <= optional + optionalSize) {
        exportRva_ = FileU32(directories);
        exportSize_ = FileU32(directories + 4);
    }
    const std::uint32_t count = FileU16(pe + 6);
    if (count == 0 || count > kMaxSections) throw LibraryFault("its section table is damaged");
    std::size_t table = optional + optionalSize;
    for (std::uint32_t i = 0; i < count; ++i, table += 40) {
        const std::uint32_t virtualSize = FileU32(table + 8), rva = FileU32(table + 12);
        const std::uint32_t rawSize = FileU32(table + 16), raw = FileU32(table + 20);
        // The file's data of a section: what its header says, as far as the file goes.
        std::uint64_t size = virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
        if (raw >= bytes.size()) size = 0;
        else if (size > bytes.size() - raw) size = bytes.size() - raw;
        // Some linkers leave the virtual size 0: the image's size bounds the section then.
        if (rva >= imageSize_) throw LibraryFault("a section lies outside the image");
        if (size > imageSize_ - rva) size = imageSize_ - rva;
        sections_.push_back({rva, static_cast<std::uint32_t>(size), raw});
    }
}

std::uint32_t PeImage::FileU16(std::size_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) throw LibraryFault("it ends too early");
    return static_cast<unsigned char>(bytes_[at]) | static_cast<unsigned char>(bytes_[at + 1]) << 8;
}

std::uint32_t PeImage::FileU32(std::size_t at) const { return FileU16(at) | FileU16(at + 2) << 16; }

bool PeImage::Holds(std::uint64_t rva, std::uint64_t length) const {
    for (const Section& s : sections_)
        if (rva >= s.rva && rva - s.rva <= s.size && s.size - (rva - s.rva) >= length) return true;
    return false;
}

std::size_t PeImage::Offset(std::uint64_t rva, std::uint64_t length) const {
    for (const Section& s : sections_)
        if (rva >= s.rva && rva - s.rva <= s.size && s.size - (rva - s.rva) >= length)
            return s.raw + static_cast<std::size_t>(rva - s.rva);
    throw LibraryFault("a table runs outside the file's data");
}

std::uint32_t PeImage::U8(std::uint64_t rva) const { return static_cast<unsigned char>(bytes_[Offset(rva, 1)]); }
std::uint32_t PeImage::U16(std::uint64_t rva) const { return FileU16(Offset(rva, 2)); }
std::uint32_t PeImage::U32(std::uint64_t rva) const { return FileU32(Offset(rva, 4)); }
std::uint64_t PeImage::U64(std::uint64_t rva) const {
    const std::size_t at = Offset(rva, 8);
    return FileU32(at) | static_cast<std::uint64_t>(FileU32(at + 4)) << 32;
}

std::uint32_t PeImage::RvaOf(std::uint64_t address) const {
    if (address <= imageBase_ || address - imageBase_ >= imageSize_) return 0;
    return static_cast<std::uint32_t>(address - imageBase_);
}

std::uint32_t PeImage::Pointer(std::uint64_t rva, unsigned width) const {
    const std::uint64_t address = width == 8 ? U64(rva) : U32(rva);
    if (address == 0) return 0;
    const std::uint32_t target = RvaOf(address);
    if (target == 0) throw LibraryFault("a pointer leads outside the image");
    return target;
}

std::uint32_t PeImage::Export(const std::string& name) const {
    if (exportRva_ == 0 || !Holds(exportRva_, 40)) return 0;
    const std::uint32_t functions = U32(exportRva_ + 20), names = U32(exportRva_ + 24);
    const std::uint32_t functionTable = U32(exportRva_ + 28), nameTable = U32(exportRva_ + 32);
    const std::uint32_t ordinals = U32(exportRva_ + 36);
    for (std::uint32_t i = 0; i < names && i < kMaxExportNames; ++i) {
        const std::uint64_t at = U32(nameTable + 4ull * i);
        std::uint32_t n = 0;
        while (n < name.size() && U8(at + n) == static_cast<unsigned char>(name[n])) ++n;
        if (n != name.size() || n > kMaxNameLength || U8(at + n) != 0) continue;
        const std::uint32_t ordinal = U16(ordinals + 2ull * i);
        if (ordinal >= functions) return 0;
        const std::uint32_t target = U32(functionTable + 4ull * ordinal);
        // An address inside the export directory forwards to another library: no code here.
        if (target >= exportRva_ && target - exportRva_ < exportSize_) return 0;
        return target;
    }
    return 0;
}

}  // namespace tastavia
