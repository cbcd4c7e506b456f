// The NT keyboard layout library: one .data section with the tables, the export
// directory and the code of KbdLayerDescriptor; .rsrc with the version resource;
// .reloc. Both variants hold the same image; they differ in the size of the headers,
// where the tables start, and the file size the program expects.
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
};

VariantShape ShapeOf(NtVariant variant) {
    if (variant == NtVariant::WindowsXp) return {0x200, 5632, 520};
    return {0x400, 6416, 0};
}

// mov eax, record; ret. Returns the code's section offset.
std::size_t WriteCode(SectionWriter& d, std::size_t record) {
    d.Align(16);
    std::size_t code = d.Put8(0xB8);
    d.PutPointer(record);
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
    PeBuilder pe(shape.headersSize);

    // .data is the first section and lies right after the headers.
    SectionWriter data(pe.NextRva());
    const KeyPlace place = [&shape](tastavia::KeyNumber k) -> std::size_t {
        return tastavia::Key(k).ntOffset - shape.keyShift - shape.headersSize;
    };
    const std::size_t record = WriteLayoutTables(data, place);
    const std::size_t code = WriteCode(data, record);
    const auto [exports, exportsSize] = WriteExports(data, code);
    pe.SetDirectory(kExportDirectory, data.RvaOf(exports), exportsSize);
    pe.AddSection(".data", kDataCharacteristics, data.Bytes());

    const std::uint32_t resourceRva = pe.NextRva();
    std::string resources = VersionResourceSection(resourceRva);
    pe.SetDirectory(kResourceDirectory, resourceRva, static_cast<std::uint32_t>(resources.size()));
    pe.AddSection(".rsrc", kResourceCharacteristics, std::move(resources));

    std::string relocations = BaseRelocations(data.PointerRvas());
    pe.SetDirectory(kRelocationDirectory, pe.NextRva(), static_cast<std::uint32_t>(relocations.size()));
    pe.AddSection(".reloc", kRelocationCharacteristics, std::move(relocations));

    return pe.Write(shape.fileSize);
}

}  // namespace mkkbd
