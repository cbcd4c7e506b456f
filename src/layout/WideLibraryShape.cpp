#include "layout/WideLibraryShape.h"

#include <cstdint>
#include <vector>

#include "layout/KeyTable.h"
#include "layout/LayoutFileKind.h"
#include "layout/PeSoundness.h"
#include "layout/TablePointers.h"

namespace tastavia {

namespace {

constexpr std::uint32_t kWideShift = 200;  // the keys lie this much lower than in the Windows 2000 library
constexpr std::size_t kMaxTables = 16;

struct Fault {
    std::string why;
};

// Bounded little-endian reads of the file and of the image by RVA; anything outside
// throws Fault.
class Image {
public:
    // `wide`: PE32+ headers (the tables have 8-byte pointers either way).
    Image(const std::string& bytes, bool wide) : f_(bytes), wide_(wide) {}

    std::uint32_t U8(std::size_t at) const {
        if (at >= f_.size()) throw Fault{"it ends too early"};
        return static_cast<unsigned char>(f_[at]);
    }
    std::uint32_t U16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }

    void ReadHeaders(std::uint16_t machine) {
        if (U16(0) != 0x5A4D) throw Fault{"it is not a program file"};
        const std::uint32_t pe = U32(0x3C);
        if (pe > f_.size() || U32(pe) != 0x00004550) throw Fault{"it has no PE header"};
        if (U16(pe + 4) != machine) throw Fault{"it is for another processor"};
        const std::size_t opt = pe + 24;
        if (U16(opt) != (wide_ ? 0x020Bu : 0x010Bu)) throw Fault{"its optional header is of the other width"};
        base_ = wide_ ? U32(opt + 24) : U32(opt + 28);
        const std::size_t directories = opt + (wide_ ? 112 : 96);
        exportRva_ = U32(directories);
        std::size_t table = opt + U16(pe + 20);
        for (std::uint32_t i = 0, n = U16(pe + 6); i < n && i < 16; ++i, table += 40) {
            const std::uint32_t virtualSize = U32(table + 8), rawSize = U32(table + 16);
            sections_.push_back({U32(table + 12), virtualSize < rawSize ? virtualSize : rawSize, U32(table + 20)});
        }
    }

    // The file offset of an RVA whose `length` bytes lie in one section's data.
    std::size_t Offset(std::uint32_t rva, std::uint32_t length) const {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva - s.rva <= s.size && s.size - (rva - s.rva) >= length) return s.raw + (rva - s.rva);
        throw Fault{"a table lies outside the file's sections"};
    }
    std::uint32_t R8(std::uint32_t rva) const { return U8(Offset(rva, 1)); }
    std::uint32_t R16(std::uint32_t rva) const { return U16(Offset(rva, 2)); }
    std::uint32_t R32(std::uint32_t rva) const { return U32(Offset(rva, 4)); }
    // An 8-byte pointer of the tables as an RVA; 0 for NULL.
    std::uint32_t Pointer(std::uint32_t rva) const {
        const std::uint32_t low = R32(rva), high = R32(rva + 4);
        if (low == 0 && high == 0) return 0;
        if (high != 0 || low < base_) throw Fault{"a pointer lies outside the image"};
        return low - base_;
    }

    std::uint32_t ExportRva(const char* name) const {
        const std::uint32_t dir = exportRva_;
        if (dir == 0) throw Fault{"it exports nothing"};
        const std::uint32_t names = R32(dir + 24), nameTable = R32(dir + 32), ordinals = R32(dir + 36);
        for (std::uint32_t i = 0; i < names && i < 64; ++i) {
            std::uint32_t at = R32(nameTable + 4 * i);
            const char* c = name;
            while (*c && R8(at) == static_cast<unsigned char>(*c)) ++c, ++at;
            if (*c || R8(at) != 0) continue;
            const std::uint32_t ordinal = R16(ordinals + 2 * i);
            if (ordinal >= R32(dir + 20)) break;
            return R32(R32(dir + 28) + 4 * ordinal);
        }
        throw Fault{"it does not export KbdLayerDescriptor"};
    }

    std::uint32_t Base() const { return base_; }

private:
    struct Section {
        std::uint32_t rva, size, raw;
    };
    const std::string& f_;
    bool wide_;
    std::uint32_t base_ = 0;
    std::uint32_t exportRva_ = 0;
    std::vector<Section> sections_;
};

const char* const kNotOurCode = "KbdLayerDescriptor is not the code our libraries have";

// adrp x0, page; add x0, x0, #offset; ret: the record's RVA from the code's own.
std::uint32_t Arm64RecordRva(const Image& image, std::uint32_t code) {
    const std::uint32_t adrp = image.R32(code), add = image.R32(code + 4);
    if ((adrp & 0x9F00001F) != 0x90000000 || (add & 0xFFC003FF) != 0x91000000 || image.R32(code + 8) != 0xD65F03C0)
        throw Fault{kNotOurCode};
    std::uint32_t pages = (adrp >> 29 & 3) | (adrp >> 5 & 0x7FFFF) << 2;
    if (pages & 0x100000) pages |= 0xFFE00000;  // a 21-bit signed count of pages
    return ((code & ~0xFFFu) + (pages << 12)) + (add >> 10 & 0xFFF);
}

// The record KbdLayerDescriptor's code gives.
std::uint32_t RecordRva(const Image& image, std::uint32_t code, OsKind kind) {
    if (kind == kOsArm64) return Arm64RecordRva(image, code);
    if (kind == kOsX64) {
        if (image.R8(code) != 0x48 || image.R8(code + 1) != 0x8D || image.R8(code + 2) != 0x05 || image.R8(code + 7) != 0xC3)
            throw Fault{kNotOurCode};
        return code + 7 + image.R32(code + 3);  // rip-relative, wrapping as the processor does
    }
    // mov eax, record; then ret, or xor edx, edx; ret (the upper half of the 64-bit
    // result), as this program has written it since.
    const bool clearsEdx = image.R8(code + 5) == 0x31 && image.R8(code + 6) == 0xD2 && image.R8(code + 7) == 0xC3;
    if (image.R8(code) != 0xB8 || (image.R8(code + 5) != 0xC3 && !clearsEdx)) throw Fault{kNotOurCode};
    const std::uint32_t va = image.R32(code + 1);
    if (va < image.Base()) throw Fault{"KbdLayerDescriptor returns an address outside the image"};
    return va - image.Base();
}

struct Entry {
    std::size_t offset;  // file offset of the virtual key
    std::uint32_t states, vk;
};

// Every character table entry the record leads to, with the scan code table's virtual
// key of each of our keys checked against the entry at the key's place.
void CheckKeys(const Image& image, std::uint32_t record) {
    const std::uint32_t tables = image.Pointer(record + 8);
    std::vector<Entry> entries;
    for (std::size_t t = 0;; ++t) {
        if (t == kMaxTables) throw Fault{"its character tables do not end"};
        const std::uint32_t at = tables + static_cast<std::uint32_t>(16 * t);
        const std::uint32_t table = image.Pointer(at);
        if (table == 0) break;
        const std::uint32_t states = image.R8(at + 8), size = image.R8(at + 9);
        if (states == 0 || size != 2 + 2 * states) throw Fault{"a character table has a wrong entry size"};
        for (std::uint32_t e = table;; e += size) {
            const std::uint32_t vk = image.R8(e);
            image.Offset(e, size);
            if (vk == 0) break;
            entries.push_back({image.Offset(e, size), states, vk});
        }
    }
    const std::uint32_t scanTable = image.Pointer(record + 0x30);
    const std::uint32_t scanCount = image.R8(record + 0x38);
    for (const KeyInfo& key : KeyTable()) {
        const std::size_t place = key.ntOffset - kWideShift - 2;
        bool found = false;
        for (const Entry& e : entries) {
            if (e.offset != place) continue;
            if (key.scanCode >= scanCount || e.states < 2 || (image.R16(scanTable + 2u * key.scanCode) & 0xFF) != e.vk) break;
            found = true;
        }
        if (!found) throw Fault{"its key " + std::to_string(key.number) + " (" + key.physicalKey + ") is not where Tastavia's libraries keep it"};
    }
}

std::optional<std::string> ShapeFault(const std::string& bytes, OsKind kind) {
    const bool pe32Plus = kind != kOsWow64;
    const std::string what = std::string("not a ") + LayoutFileKindName(kind) + " made by Tastavia: ";
    if (bytes.size() != LayoutFileSize(kind))
        return what + std::to_string(bytes.size()) + " bytes, not " + std::to_string(LayoutFileSize(kind));
    const PeMachine& machine = kind == kOsX64 ? kPeX64 : kind == kOsArm64 ? kPeArm64 : kPeX86;
    PeFacts facts;
    if (std::optional<std::string> fault = PeSoundnessFault(bytes, machine, &facts)) return what + *fault;
    try {
        Image image(bytes, pe32Plus);
        image.ReadHeaders(machine.machine);
        const std::uint32_t code = image.ExportRva("KbdLayerDescriptor");
        const std::uint32_t record = RecordRva(image, code, kind);
        CheckKeys(image, record);
        // The loader moves exactly the tables' pointers (and the x86 code's address).
        const std::optional<std::uint32_t> codeAddress =
            kind == kOsWow64 ? std::optional<std::uint32_t>(code + 1) : std::nullopt;
        if (!RelocatesExactlyItsPointers(bytes, facts, record, 8, codeAddress))
            throw Fault{"its relocations are not its tables' pointers"};
        return std::nullopt;
    } catch (const Fault& fault) {
        return what + fault.why;
    }
}

}  // namespace

std::optional<std::string> X64LibraryShapeFault(const std::string& bytes) { return ShapeFault(bytes, kOsX64); }

std::optional<std::string> Wow64LibraryShapeFault(const std::string& bytes) { return ShapeFault(bytes, kOsWow64); }

std::optional<std::string> Arm64LibraryShapeFault(const std::string& bytes) { return ShapeFault(bytes, kOsArm64); }

std::optional<std::string> WideLibraryShapeFault(const std::string& bytes, OsKind kind) {
    if (kind != kOsX64 && kind != kOsWow64 && kind != kOsArm64) return std::nullopt;
    return ShapeFault(bytes, kind);
}

}  // namespace tastavia
