#include "layout/PeSoundness.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace tastavia {

const PeMachine kPeX86{0x014C, 0x010B, 3, 0x10000, 0x80000000};
const PeMachine kPeX64{0x8664, 0x020B, 10, 0x10000, 0x100000000};
const PeMachine kPeArm64{0xAA64, 0x020B, 10, 0x10000, 0x100000000};

namespace {

constexpr std::uint32_t kMaxSections = 96;  // the loader's own limit
constexpr std::uint32_t kPage = 0x1000;
constexpr std::uint32_t kBaseGranularity = 0x10000;
constexpr std::uint32_t kExecutableImage = 0x0002, kRelocsStripped = 0x0001, kDll = 0x2000;
// Dynamic base, high-entropy addresses, no-execute, no SEH: everything else (forced
// integrity, app container, guard tables) asks the loader for what a layout library lacks.
constexpr std::uint32_t kHarmlessDllFlags = 0x0020 | 0x0040 | 0x0100 | 0x0400;
constexpr std::uint32_t kReadable = 0x40000000;
constexpr std::uint32_t kExportDirectory = 0, kResourceDirectory = 2, kRelocationDirectory = 5;
const char kDescriptorName[] = "KbdLayerDescriptor";

struct Fault {
    const char* why;
};

struct Section {
    std::uint32_t rva, virtualSize, raw, rawSize;
    std::uint32_t DataSize() const { return std::min(virtualSize, rawSize); }
};

bool PowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }
std::uint64_t AlignUp(std::uint64_t v, std::uint32_t alignment) { return (v + alignment - 1) / alignment * alignment; }

class Reader {
public:
    Reader(const std::string& bytes, const PeMachine& machine) : f_(bytes), m_(machine) {}

    PeFacts Read() {
        ReadHeaders();
        ReadSections();
        ReadDirectories();
        ReadRelocations();
        facts_.descriptorRva = FindDescriptor();
        return facts_;
    }

private:
    std::uint64_t U(std::uint64_t at, int width) const {
        if (at > f_.size() || static_cast<std::uint64_t>(width) > f_.size() - at) throw Fault{"it ends too early"};
        std::uint64_t v = 0;
        for (int i = width - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(f_[at + static_cast<std::uint64_t>(i)]);
        return v;
    }
    std::uint32_t U16(std::uint64_t at) const { return static_cast<std::uint32_t>(U(at, 2)); }
    std::uint32_t U32(std::uint64_t at) const { return static_cast<std::uint32_t>(U(at, 4)); }

    void ReadHeaders() {
        if (U16(0) != 0x5A4D) throw Fault{"it is not a program file"};
        pe_ = U32(0x3C);
        if (pe_ < 0x40 || pe_ % 4 != 0 || pe_ + 24 > f_.size() || U32(pe_) != 0x00004550)
            throw Fault{"it has no PE header"};
        if (U16(pe_ + 4) != m_.machine) throw Fault{"it is for another processor"};
        sectionCount_ = U16(pe_ + 6);
        if (sectionCount_ == 0 || sectionCount_ > kMaxSections) throw Fault{"its section count is wrong"};
        const std::uint32_t characteristics = U16(pe_ + 22);
        if ((characteristics & (kExecutableImage | kDll)) != (kExecutableImage | kDll) ||
            (characteristics & kRelocsStripped) != 0)
            throw Fault{"it is not a relocatable library"};
        opt_ = pe_ + 24ull;
        const bool wide = m_.optionalMagic == 0x020B;
        if (U16(opt_) != m_.optionalMagic) throw Fault{"its optional header is of the other width"};
        // No code runs when a layout library loads.
        if (U32(opt_ + 16) != 0) throw Fault{"it has an entry point"};
        facts_.imageBase = wide ? U(opt_ + 24, 8) : U32(opt_ + 28);
        sectionAlignment_ = U32(opt_ + 32);
        fileAlignment_ = U32(opt_ + 36);
        if (!PowerOfTwo(sectionAlignment_) || sectionAlignment_ < kPage || !PowerOfTwo(fileAlignment_) ||
            fileAlignment_ < 0x200 || fileAlignment_ > 0x10000 || fileAlignment_ > sectionAlignment_)
            throw Fault{"its alignment is wrong"};
        if (U32(opt_ + 52) != 0) throw Fault{"its header holds a version override"};
        facts_.sizeOfImage = U32(opt_ + 56);
        sizeOfHeaders_ = U32(opt_ + 60);
        if ((U16(opt_ + 70) & ~kHarmlessDllFlags) != 0) throw Fault{"it asks the loader for what it lacks"};
        const std::uint64_t base = facts_.imageBase;
        if (base % kBaseGranularity != 0 || base < m_.lowestBase || base > m_.highestEnd ||
            facts_.sizeOfImage > m_.highestEnd - base)
            throw Fault{"its image base is not one this processor allows"};
        directoryCount_ = U32(opt_ + (wide ? 108 : 92));
        directories_ = opt_ + (wide ? 112 : 96);
        const std::uint32_t optionalSize = U16(pe_ + 20);
        if (directoryCount_ <= kRelocationDirectory || directoryCount_ > 16 ||
            optionalSize < directories_ - opt_ + 8ull * directoryCount_)
            throw Fault{"its optional header is too short"};
        table_ = opt_ + optionalSize;
        const std::uint64_t tableEnd = table_ + 40ull * sectionCount_;
        if (tableEnd > sizeOfHeaders_ || sizeOfHeaders_ > f_.size() || sizeOfHeaders_ % fileAlignment_ != 0)
            throw Fault{"its headers do not fit"};
    }

    void ReadSections() {
        // Adjacent and ascending in memory from the first page after the headers, as the
        // loader demands; apart in the file, and inside it.
        std::uint64_t next = AlignUp(sizeOfHeaders_, sectionAlignment_);
        std::vector<std::pair<std::uint64_t, std::uint64_t>> spans{{0, sizeOfHeaders_}};
        for (std::uint32_t i = 0; i < sectionCount_; ++i) {
            const std::uint64_t at = table_ + 40ull * i;
            Section s{U32(at + 12), U32(at + 8), U32(at + 20), U32(at + 16)};
            if (s.virtualSize == 0) s.virtualSize = s.rawSize;
            // The tables are read where they lie: a section that cannot be read faults.
            if ((U32(at + 36) & kReadable) == 0) throw Fault{"a section of it cannot be read"};
            if (s.rva != next || s.virtualSize == 0) throw Fault{"its sections are not where the loader wants them"};
            if (s.rawSize != 0) {
                if (s.raw % fileAlignment_ != 0 || s.raw > f_.size() || s.rawSize > f_.size() - s.raw)
                    throw Fault{"a section's data lies outside the file"};
                spans.push_back({s.raw, s.raw + static_cast<std::uint64_t>(s.rawSize)});
            }
            next = AlignUp(static_cast<std::uint64_t>(s.rva) + s.virtualSize, sectionAlignment_);
            sections_.push_back(s);
            facts_.sections.push_back({s.rva, s.DataSize(), s.raw});
        }
        if (facts_.sizeOfImage != next) throw Fault{"its size of image is wrong"};
        std::sort(spans.begin(), spans.end());
        for (std::size_t i = 1; i < spans.size(); ++i)
            if (spans[i].first < spans[i - 1].second) throw Fault{"its sections overlap"};
    }

    // The file offset of `length` bytes at an RVA that one section's data holds.
    std::uint64_t Data(std::uint64_t rva, std::uint64_t length) const {
        for (const Section& s : sections_)
            if (rva >= s.rva && rva - s.rva <= s.DataSize() && length <= s.DataSize() - (rva - s.rva))
                return s.raw + (rva - s.rva);
        throw Fault{"a table lies outside the file's sections"};
    }

    void ReadDirectories() {
        for (std::uint32_t d = 0; d < directoryCount_; ++d) {
            const std::uint32_t rva = U32(directories_ + 8ull * d), size = U32(directories_ + 8ull * d + 4);
            if (rva == 0 && size == 0) continue;
            // Imports, thread-local data, load configuration: tables the loader would act on,
            // and a signature (whose place is a file offset).
            if (d != kExportDirectory && d != kResourceDirectory && d != kRelocationDirectory)
                throw Fault{"it has tables a layout library never has"};
            Data(rva, size);
        }
    }

    void ReadRelocations() {
        const std::uint32_t rva = U32(directories_ + 8ull * kRelocationDirectory);
        const std::uint32_t size = U32(directories_ + 8ull * kRelocationDirectory + 4);
        if (size == 0) throw Fault{"it has no relocation table"};
        const std::uint64_t begin = Data(rva, size), end = begin + size;
        const std::uint32_t width = m_.relocationType == 10 ? 8 : 4;
        for (std::uint64_t block = begin; block < end;) {
            if (end - block < 8) throw Fault{"its relocation table is damaged"};
            const std::uint32_t page = U32(block), blockSize = U32(block + 4);
            if (blockSize < 8 || blockSize % 2 != 0 || blockSize > end - block || page % kPage != 0 ||
                page >= facts_.sizeOfImage)
                throw Fault{"its relocation table is damaged"};
            for (std::uint64_t e = block + 8; e < block + blockSize; e += 2) {
                const std::uint32_t entry = U16(e), type = entry >> 12, offset = entry & 0xFFF;
                if (type == 0) continue;  // padding
                if (type != m_.relocationType) throw Fault{"its relocation table has an unknown relocation type"};
                const std::uint64_t target = static_cast<std::uint64_t>(page) + offset;
                if (offset + width > kPage || target + width > facts_.sizeOfImage)
                    throw Fault{"a relocation lies outside the image"};
                // A field relocated twice, or two that overlap, would be moved wrongly.
                const std::uint32_t field = static_cast<std::uint32_t>(target);
                auto after = facts_.relocated.lower_bound(field);
                if ((after != facts_.relocated.end() && *after < field + width) ||
                    (after != facts_.relocated.begin() && *std::prev(after) + width > field))
                    throw Fault{"its relocation table moves a field twice"};
                facts_.relocated.insert(field);
            }
            block += blockSize;
        }
    }

    std::uint32_t FindDescriptor() const {
        const std::uint32_t dirRva = U32(directories_ + 8ull * kExportDirectory);
        const std::uint32_t dirSize = U32(directories_ + 8ull * kExportDirectory + 4);
        if (dirRva == 0 || dirSize < 40) throw Fault{"it exports nothing"};
        const std::uint64_t dir = Data(dirRva, 40);
        const std::uint32_t functions = U32(dir + 20), names = U32(dir + 24);
        const std::uint64_t functionTable = Data(U32(dir + 28), 4ull * functions);
        const std::uint64_t nameTable = Data(U32(dir + 32), 4ull * names);
        const std::uint64_t ordinals = Data(U32(dir + 36), 2ull * names);
        // The loader searches the names by halves: they must be in order.
        std::string previous;
        std::optional<std::uint32_t> found;
        for (std::uint32_t i = 0; i < names; ++i) {
            const std::string name = NameAt(U32(nameTable + 4ull * i));
            if (i > 0 && !(previous < name)) throw Fault{"its export names are not in order"};
            if (name == kDescriptorName) {
                const std::uint32_t ordinal = U16(ordinals + 2ull * i);
                if (ordinal >= functions) throw Fault{"its export table is damaged"};
                found = U32(functionTable + 4ull * ordinal);
            }
            previous = name;
        }
        if (!found) throw Fault{"it does not export KbdLayerDescriptor"};
        // Code, not a forwarder into another library.
        if (*found >= dirRva && *found - dirRva < dirSize) throw Fault{"its export table is damaged"};
        Data(*found, 1);
        return *found;
    }

    std::string NameAt(std::uint32_t rva) const {
        const std::uint64_t at = Data(rva, 1);
        std::string name;
        for (std::uint64_t i = at;; ++i) {
            Data(rva + (i - at), 1);
            const char c = static_cast<char>(U(i, 1));
            if (c == '\0') return name;
            if (name.size() == 256) throw Fault{"its export table is damaged"};
            name += c;
        }
    }

    const std::string& f_;
    const PeMachine& m_;
    PeFacts facts_;
    std::uint64_t pe_ = 0, opt_ = 0, table_ = 0, directories_ = 0;
    std::uint32_t sectionCount_ = 0, directoryCount_ = 0;
    std::uint32_t sectionAlignment_ = 0, fileAlignment_ = 0, sizeOfHeaders_ = 0;
    std::vector<Section> sections_;
};

}  // namespace

std::optional<std::string> PeSoundnessFault(const std::string& bytes, const PeMachine& machine, PeFacts* facts) {
    try {
        PeFacts read = Reader(bytes, machine).Read();
        if (facts) *facts = std::move(read);
        return std::nullopt;
    } catch (const Fault& fault) {
        return std::string(fault.why);
    }
}

}  // namespace tastavia
