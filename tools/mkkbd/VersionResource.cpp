#include "VersionResource.h"

#include "LittleEndian.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace mkkbd {

namespace {

constexpr std::uint32_t kVersionMs = 0x00010001;  // 1.1.0.0, the program's version
constexpr std::uint32_t kVersionLs = 0;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t kOsNtWindows32 = 0x00040004;
constexpr std::uint32_t kFileTypeDll = 2;
constexpr std::uint32_t kSubtypeKeyboardDriver = 2;
constexpr std::uint16_t kResourceTypeVersion = 16;
constexpr std::uint16_t kLanguageBulgarian = 0x0402;
constexpr std::uint16_t kCodePageUnicode = 1200;

constexpr std::pair<const char*, const char*> kStrings[] = {
    {"CompanyName", "Tastavia"},
    {"FileDescription", "Bulgarian keyboard layout (Tastavia template)"},
    {"FileVersion", "1.1"},
    {"InternalName", "Tastavia"},
    {"ProductName", "Tastavia"},
    {"ProductVersion", "1.1"},
};

void PadTo4(std::string& out) {
    while (out.size() % 4 != 0) out += '\0';
}

std::string Wide(const char* text) {
    std::string out;
    for (; *text; ++text) AppendLe16(out, static_cast<unsigned char>(*text));
    AppendLe16(out, 0);
    return out;
}

// A version block: length, value length, type, key, value, children, each part
// starting on a 4-byte boundary. The length leaves out the block's own tail padding.
std::string Block(const char* key, const std::string& value, std::uint16_t valueLength, bool text,
                  const std::vector<std::string>& children = {}) {
    std::string out(6, '\0');
    out += Wide(key);
    PadTo4(out);
    out += value;
    for (const std::string& child : children) {
        PadTo4(out);
        out += child;
    }
    StoreLe16(out, 0, static_cast<std::uint32_t>(out.size()));
    StoreLe16(out, 2, valueLength);
    out[4] = text ? 1 : 0;
    return out;
}

std::string StringEntry(const char* key, const char* value) {
    std::string wide = Wide(value);
    return Block(key, wide, static_cast<std::uint16_t>(wide.size() / 2), true);
}

std::string VersionInfo() {
    std::string fixed;
    for (std::uint32_t v : {kFixedInfoSignature, 0x00010000u, kVersionMs, kVersionLs, kVersionMs, kVersionLs,
                            0x3Fu, 0u, kOsNtWindows32, kFileTypeDll, kSubtypeKeyboardDriver, 0u, 0u})
        AppendLe32(fixed, v);

    std::vector<std::string> strings;
    for (auto [key, value] : kStrings) strings.push_back(StringEntry(key, value));
    // The string table's key is the language and code page in hexadecimal.
    std::string table = Block("040204B0", "", 0, true, strings);

    std::string translation;
    AppendLe16(translation, kLanguageBulgarian);
    AppendLe16(translation, kCodePageUnicode);
    return Block("VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false,
                 {Block("StringFileInfo", "", 0, true, {table}),
                  Block("VarFileInfo", "", 0, true,
                        {Block("Translation", translation, static_cast<std::uint16_t>(translation.size()), false)})});
}

// A resource directory with one entry, pointing either at a further directory or
// at a data entry.
void Directory(std::string& out, std::uint16_t id, std::uint32_t target, bool subdirectory) {
    for (int i = 0; i < 3; ++i) AppendLe32(out, 0);  // characteristics, time stamp, version
    AppendLe16(out, 0);                              // named entries
    AppendLe16(out, 1);                              // numbered entries
    AppendLe32(out, id);
    AppendLe32(out, subdirectory ? target | 0x80000000u : target);
}

}  // namespace

std::string VersionResourceSection(std::uint32_t sectionRva) {
    constexpr std::uint32_t kLevelSize = 24;
    constexpr std::uint32_t kDataEntryAt = 3 * kLevelSize;
    constexpr std::uint32_t kDataAt = kDataEntryAt + 16;
    std::string info = VersionInfo();
    std::string out;
    Directory(out, kResourceTypeVersion, kLevelSize, true);
    Directory(out, 1, 2 * kLevelSize, true);
    Directory(out, kLanguageBulgarian, kDataEntryAt, false);
    AppendLe32(out, sectionRva + kDataAt);
    AppendLe32(out, static_cast<std::uint32_t>(info.size()));
    AppendLe32(out, 0);  // code page
    AppendLe32(out, 0);
    out += info;
    return out;
}

}  // namespace mkkbd
