#include "PeImage.h"

#include <algorithm>
#include <stdexcept>

#include "LittleEndian.h"

namespace mkkbd {

namespace {

constexpr std::uint32_t kPeHeaderAt = 0x80;
constexpr std::uint32_t kOptionalHeaderAt = kPeHeaderAt + 24;
constexpr std::uint32_t kChecksumAt = kOptionalHeaderAt + 64;
constexpr std::uint32_t kSectionHeaderSize = 40;

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kMachineArm64 = 0xAA64;
constexpr std::uint16_t kCharacteristics32 = 0x2102;  // executable image, 32-bit machine, DLL
constexpr std::uint16_t kCharacteristics64 = 0x2022;  // executable image, large addresses, DLL
constexpr std::uint16_t kSubsystemNative = 1;
constexpr std::uint16_t kArm64DllCharacteristics = 0x0160;
constexpr std::uint16_t kRelocationHighLow = 3;
constexpr std::uint16_t kRelocationDir64 = 10;

bool Is64(Machine machine) { return machine == Machine::X64 || machine == Machine::Arm64; }

std::uint16_t MachineField(Machine machine) {
    switch (machine) {
        case Machine::X64: return kMachineAmd64;
        case Machine::Arm64: return kMachineArm64;
        default: return kMachineI386;
    }
}
std::uint16_t OptionalHeaderSize(Machine machine) { return Is64(machine) ? 240 : 224; }
std::uint32_t SectionTableAt(Machine machine) { return kOptionalHeaderAt + OptionalHeaderSize(machine); }

// Our own DOS stub: prints a line and exits with code 1.
constexpr unsigned char kDosStubCode[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                                          0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
constexpr char kDosStubText[] = "Tastavia keyboard layout library for Windows.\r\n$";

void WriteDosHeader(std::string& f) {
    f[0] = 'M';
    f[1] = 'Z';
    StoreLe16(f, 0x02, kPeHeaderAt);  // bytes in the last (only) page of the DOS image
    StoreLe16(f, 0x04, 1);            // pages
    StoreLe16(f, 0x08, 4);            // header paragraphs
    StoreLe16(f, 0x0C, 0xFFFF);       // maximum extra paragraphs
    StoreLe16(f, 0x10, 0xB8);         // initial SP
    StoreLe16(f, 0x18, 0x40);         // relocation table offset: a new-format executable
    StoreLe32(f, 0x3C, kPeHeaderAt);
    std::size_t at = 0x40;
    for (unsigned char b : kDosStubCode) f[at++] = static_cast<char>(b);
    static_assert(0x40 + sizeof kDosStubCode + sizeof kDosStubText - 1 <= kPeHeaderAt, "the stub fits");
    for (const char* c = kDosStubText; *c; ++c) f[at++] = *c;
}

}  // namespace

void SectionWriter::Align(std::size_t alignment) {
    bytes_.resize((bytes_.size() + alignment - 1) / alignment * alignment, '\0');
}

void SectionWriter::PadTo(std::size_t at) {
    if (bytes_.size() > at) throw std::logic_error("section contents overrun a fixed place");
    bytes_.resize(at, '\0');
}

std::size_t SectionWriter::Put8(std::uint8_t value) {
    bytes_ += static_cast<char>(value);
    return bytes_.size() - 1;
}

std::size_t SectionWriter::Put16(std::uint16_t value) {
    const std::size_t at = bytes_.size();
    AppendLe16(bytes_, value);
    return at;
}

std::size_t SectionWriter::Put32(std::uint32_t value) {
    const std::size_t at = bytes_.size();
    AppendLe32(bytes_, value);
    return at;
}

std::size_t SectionWriter::PutBytes(const std::string& bytes) {
    std::size_t at = bytes_.size();
    bytes_ += bytes;
    return at;
}

std::size_t SectionWriter::PutWideString(const char* text) {
    std::size_t at = bytes_.size();
    for (; *text; ++text) Put16(static_cast<unsigned char>(*text));
    Put16(0);
    return at;
}

std::size_t SectionWriter::PutAsciiString(const char* text) {
    std::size_t at = PutBytes(text);
    Put8(0);
    return at;
}

std::size_t SectionWriter::PutNull() {
    const std::size_t at = Put32(0);
    if (pointerSize_ == 8) Put32(0);
    return at;
}

std::size_t SectionWriter::PutPointer(std::size_t target) {
    std::size_t at = PutNull();
    SetPointer(at, target);
    return at;
}

std::size_t SectionWriter::PutPointer32(std::size_t target) {
    std::size_t at = Put32(kImageBase + RvaOf(target));
    pointers_.push_back(RvaOf(at));
    return at;
}

void SectionWriter::Set32(std::size_t at, std::uint32_t value) { StoreLe32(bytes_, at, value); }

// The image base lies below 4 GB, so a wide pointer's upper half stays zero.
void SectionWriter::SetPointer(std::size_t at, std::size_t target) {
    Set32(at, kImageBase + RvaOf(target));
    pointers_.push_back(RvaOf(at));
}

std::uint32_t PeBuilder::NextRva() const {
    if (sections_.empty()) return kSectionAlignment;
    const Section& last = sections_.back();
    return last.rva + AlignUp(static_cast<std::uint32_t>(last.data.size()), kSectionAlignment);
}

std::uint32_t PeBuilder::NextFileOffset() const {
    if (sections_.empty()) return headersSize_;
    const Section& last = sections_.back();
    return last.fileOffset + AlignUp(static_cast<std::uint32_t>(last.data.size()), kFileAlignment);
}

std::uint32_t PeBuilder::SizeOfImage() const { return NextRva(); }

std::uint32_t PeBuilder::AddSection(const char* name, std::uint32_t characteristics, std::string data) {
    std::uint32_t rva = NextRva();
    sections_.push_back(Section{name, characteristics, rva, NextFileOffset(), std::move(data)});
    return rva;
}

void PeBuilder::SetDirectory(int index, std::uint32_t rva, std::uint32_t size) {
    directories_[index] = Directory{rva, size};
}

std::string PeBuilder::Write(std::size_t fileSize) const {
    const std::uint32_t sectionTable = SectionTableAt(machine_);
    if (sectionTable + sections_.size() * kSectionHeaderSize > headersSize_ || NextFileOffset() > fileSize)
        throw std::logic_error("the image does not fit its file size");
    std::string f(fileSize, '\0');
    WriteDosHeader(f);

    f.replace(kPeHeaderAt, 4, std::string("PE\0\0", 4));
    StoreLe16(f, kPeHeaderAt + 4, MachineField(machine_));
    StoreLe16(f, kPeHeaderAt + 6, static_cast<std::uint32_t>(sections_.size()));
    // Time stamp, symbol table and symbol count stay zero: the output must not vary.
    StoreLe16(f, kPeHeaderAt + 20, OptionalHeaderSize(machine_));
    StoreLe16(f, kPeHeaderAt + 22, Is64(machine_) ? kCharacteristics64 : kCharacteristics32);
    WriteOptionalHeader(f);

    std::size_t at = sectionTable;
    for (const Section& s : sections_) {
        f.replace(at, std::min<std::size_t>(s.name.size(), 8), s.name, 0, 8);
        StoreLe32(f, at + 8, static_cast<std::uint32_t>(s.data.size()));
        StoreLe32(f, at + 12, s.rva);
        StoreLe32(f, at + 16, AlignUp(static_cast<std::uint32_t>(s.data.size()), kFileAlignment));
        StoreLe32(f, at + 20, s.fileOffset);
        StoreLe32(f, at + 36, s.characteristics);
        f.replace(s.fileOffset, s.data.size(), s.data);
        at += kSectionHeaderSize;
    }
    StoreLe32(f, kChecksumAt, PeChecksum(f, kChecksumAt));
    return f;
}

// PE32+ has no base of data, a 64-bit image base and 64-bit stack and heap sizes;
// everything else lies where PE32 has it, up to the sizes, 16 bytes later after them.
void PeBuilder::WriteOptionalHeader(std::string& f) const {
    const bool wide = Is64(machine_);
    std::uint32_t initializedData = 0;
    for (const Section& s : sections_) initializedData += AlignUp(static_cast<std::uint32_t>(s.data.size()), kFileAlignment);
    const std::uint32_t firstRva = sections_.empty() ? 0 : sections_.front().rva;
    const std::size_t o = kOptionalHeaderAt;
    StoreLe16(f, o + 0, wide ? 0x020B : 0x010B);
    f[o + 2] = 1;             // linker version 1.1: ours
    f[o + 3] = 1;
    StoreLe32(f, o + 8, initializedData);
    StoreLe32(f, o + 20, firstRva);  // base of code: the code lives among the data
    if (wide) {
        StoreLe32(f, o + 24, kImageBase);  // the low half of the 64-bit image base
    } else {
        StoreLe32(f, o + 24, firstRva);  // base of data
        StoreLe32(f, o + 28, kImageBase);
    }
    StoreLe32(f, o + 32, kSectionAlignment);
    StoreLe32(f, o + 36, kFileAlignment);
    // x64 Windows begins at 5.2; for ARM64 the version its linker writes.
    const bool arm64 = machine_ == Machine::Arm64;
    const std::uint16_t major = arm64 ? 6 : 5, minor = arm64 ? 0 : wide ? 2 : 0;
    StoreLe16(f, o + 40, major);  // operating system
    StoreLe16(f, o + 42, minor);
    StoreLe16(f, o + 44, 1);  // image version 1.1
    StoreLe16(f, o + 46, 1);
    StoreLe16(f, o + 48, major);  // subsystem
    StoreLe16(f, o + 50, minor);
    StoreLe32(f, o + 56, SizeOfImage());
    StoreLe32(f, o + 60, headersSize_);
    StoreLe16(f, o + 68, kSubsystemNative);
    // ARM64 Windows loads no image that cannot move: dynamic base, high-entropy addresses
    // and NX compatibility, as its linker marks every DLL.
    if (arm64) StoreLe16(f, o + 70, kArm64DllCharacteristics);
    const std::size_t sizes = o + 72;  // stack reserve and commit, heap reserve and commit
    const std::size_t step = wide ? 8 : 4;
    StoreLe32(f, sizes, 0x40000);
    StoreLe32(f, sizes + step, 0x1000);
    StoreLe32(f, sizes + 2 * step, 0x100000);
    StoreLe32(f, sizes + 3 * step, 0x1000);
    const std::size_t count = sizes + 4 * step + 4;  // after the loader flags
    StoreLe32(f, count, 16);
    for (int i = 0; i < 16; ++i) {
        StoreLe32(f, count + 4 + 8 * i, directories_[i].rva);
        StoreLe32(f, count + 8 + 8 * i, directories_[i].size);
    }
}

std::string BaseRelocations(std::vector<std::uint32_t> pointerRvas, Machine machine) {
    const std::uint32_t type = Is64(machine) ? kRelocationDir64 : kRelocationHighLow;
    std::sort(pointerRvas.begin(), pointerRvas.end());
    std::string out;
    for (std::size_t i = 0; i < pointerRvas.size();) {
        const std::uint32_t page = pointerRvas[i] & ~(kSectionAlignment - 1);
        std::size_t end = i;
        while (end < pointerRvas.size() && (pointerRvas[end] & ~(kSectionAlignment - 1)) == page) ++end;
        std::size_t entries = end - i;
        entries += entries % 2;  // blocks stay a multiple of 4 bytes: pad with an absolute entry
        AppendLe32(out, page);
        AppendLe32(out, static_cast<std::uint32_t>(8 + 2 * entries));
        for (std::size_t j = i; j < end; ++j) AppendLe16(out, type << 12 | (pointerRvas[j] - page));
        if (entries != end - i) AppendLe16(out, 0);
        i = end;
    }
    return out;
}

std::uint32_t PeChecksum(const std::string& file, std::size_t checksumOffset) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < file.size(); at += 2) {
        if (at == checksumOffset || at == checksumOffset + 2) continue;
        std::uint32_t word = static_cast<unsigned char>(file[at]);
        if (at + 1 < file.size()) word |= static_cast<std::uint32_t>(static_cast<unsigned char>(file[at + 1])) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return sum + static_cast<std::uint32_t>(file.size());
}

}  // namespace mkkbd
