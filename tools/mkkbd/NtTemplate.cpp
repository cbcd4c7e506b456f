// The NT keyboard layout library: one .data section with the tables, the export
// directory and the code of KbdLayerDescriptor; .rsrc with the version resource;
// .reloc. The Windows 2000 and XP variants hold the same image; they differ in the size
// of the headers, where the tables start, and the file size the program expects. The
// 64-bit variants hold the same tables with 8-byte pointers: an x64 image, an ARM64 one,
// and an x86 one whose tables a 64-bit Windows reads for its 32-bit programs (WOW64).
#include <utility>

#include "NtLayoutTables.h"
#include "PeImage.h"
#include "Templates.h"
#include "VersionResource.h"

namespace mkkbd {

namespace {

constexpr std::uint32_t kDataCharacteristics = 0x60000040;        // initialized data, read, execute
constexpr std::uint32_t kResourceCharacteristics = 0x40000040;    // initialized data, read
constexpr std::uint32_t kRelocationCharacteristics = 0x42000040;  // initialized data, discardable, read
constexpr std::uint32_t kExportDirectorySize = 40;

struct VariantShape {
    std::uint32_t headersSize;
    std::size_t fileSize;
    std::size_t keyShift;  // how much lower than in the Windows 2000 file the keys lie
    Machine machine;
};

VariantShape ShapeOf(NtVariant variant) {
    switch (variant) {
        case NtVariant::WindowsXp: return {0x200, 5632, 520, Machine::X86};
        case NtVariant::WindowsX64: return {0x200, 5120, 200, Machine::X64};
        case NtVariant::Wow64: return {0x200, 5376, 200, Machine::X86WidePointers};
        case NtVariant::Arm64: return {0x200, 5120, 200, Machine::Arm64};
        default: return {0x400, 6416, 0, Machine::X86};
    }
}

// ARM64: adrp x0, record; add x0, x0, #lo12(record); ret. Position independent like
// the x64 code: only the tables' pointers are relocated.
std::size_t WriteArm64Code(SectionWriter& d, std::size_t record) {
    const std::uint32_t recordRva = d.RvaOf(record), codeRva = d.RvaOf(d.Size());
    const std::uint32_t pages = (recordRva >> 12) - (codeRva >> 12);  // two's complement when negative
    const std::size_t code = d.Put32(0x90000000 | (pages & 3) << 29 | ((pages >> 2) & 0x7FFFF) << 5);
    d.Put32(0x91000000 | (recordRva & 0xFFF) << 10);
    d.Put32(0xD65F03C0);
    return code;
}

// x86: mov eax, record; ret. WOW64: the function returns a 64-bit pointer, in EDX:EAX,
// so EDX is cleared before ret. x64: lea rax, [rip + record]; ret, which needs no
// relocation. Returns the code's section offset.
std::size_t WriteCode(SectionWriter& d, std::size_t record, Machine machine) {
    d.Align(16);
    if (machine == Machine::Arm64) return WriteArm64Code(d, record);
    if (machine != Machine::X64) {
        std::size_t code = d.Put8(0xB8);
        d.PutPointer32(record);
        if (machine == Machine::X86WidePointers) {
            d.Put8(0x31);  // xor edx, edx
            d.Put8(0xD2);
        }
        d.Put8(0xC3);
        return code;
    }
    std::size_t code = d.Put8(0x48);
    d.Put8(0x8D);
    d.Put8(0x05);
    d.Put32(static_cast<std::uint32_t>(record - (code + 7)));
    d.Put8(0xC3);
    return code;
}

// The export directory for the one function; returns its offset and size.
std::pair<std::size_t, std::uint32_t> WriteExports(SectionWriter& d, std::size_t code) {
    d.Align(4);
    const std::size_t directory = d.Size();
    for (std::uint32_t i = 0; i < kExportDirectorySize; i += 4) d.Put32(0);
    const std::size_t functions = d.Put32(d.RvaOf(code));
    const std::size_t names = d.Put32(0);
    const std::size_t ordinals = d.Put16(0);  // ordinal 1, counted from the base
    const std::size_t dllName = d.PutAsciiString("TASTAVIA.DLL");
    d.Set32(names, d.RvaOf(d.PutAsciiString("KbdLayerDescriptor")));
    d.Set32(directory + 12, d.RvaOf(dllName));
    d.Set32(directory + 16, 1);  // ordinal base
    d.Set32(directory + 20, 1);  // functions
    d.Set32(directory + 24, 1);  // names
    d.Set32(directory + 28, d.RvaOf(functions));
    d.Set32(directory + 32, d.RvaOf(names));
    d.Set32(directory + 36, d.RvaOf(ordinals));
    return {directory, static_cast<std::uint32_t>(d.Size() - directory)};
}

}  // namespace

std::string BuildNtTemplate(NtVariant variant) {
    const VariantShape shape = ShapeOf(variant);
    PeBuilder pe(shape.headersSize, shape.machine);

    // .data is the first section and lies right after the headers.
    SectionWriter data(pe.NextRva(), shape.machine == Machine::X86 ? 4 : 8);
    const KeyPlace place = [&shape](tastavia::KeyNumber k) -> std::size_t {
        return tastavia::Key(k).ntOffset - shape.keyShift - shape.headersSize;
    };
    const std::size_t record = WriteLayoutTables(data, place);
    const std::size_t code = WriteCode(data, record, shape.machine);
    const auto [exports, exportsSize] = WriteExports(data, code);
    pe.SetDirectory(kExportDirectory, data.RvaOf(exports), exportsSize);
    pe.AddSection(".data", kDataCharacteristics, data.Bytes());

    const std::uint32_t resourceRva = pe.NextRva();
    std::string resources = VersionResourceSection(resourceRva);
    pe.SetDirectory(kResourceDirectory, resourceRva, static_cast<std::uint32_t>(resources.size()));
    pe.AddSection(".rsrc", kResourceCharacteristics, std::move(resources));

    std::string relocations = BaseRelocations(data.PointerRvas(), shape.machine);
    pe.SetDirectory(kRelocationDirectory, pe.NextRva(), static_cast<std::uint32_t>(relocations.size()));
    pe.AddSection(".reloc", kRelocationCharacteristics, std::move(relocations));

    return pe.Write(shape.fileSize);
}

}  // namespace mkkbd
