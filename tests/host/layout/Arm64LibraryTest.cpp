// The ARM64 library without ARM hardware: our loader (tests/arm64/pe-loader.c) maps it
// relocated on an emulated ARM64 processor, calls KbdLayerDescriptor and compares every
// key with the XP library it was made from; damaged copies fail it. A library that a
// real ARM64 toolchain links from tables written in C is loaded the same way, and its
// headers, section flags, relocations and code are what ours are held to.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <map>
#include <set>

#include "TestSupport.h"
#include "layout/BytesFile.h"
#include "layout/Charset.h"
#include "layout/KeyAccess.h"
#include "layout/LayoutKeys.h"
#include "layout/SystemLibraries.h"
#include "platform/Errors.h"
#include "platform/portable/EmbeddedResources.h"

namespace tastavia {
namespace {

struct Result {
    int code = -1;
    std::string out;
};

Result Shell(const std::string& command) {
    Result r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The keys of an XP library as the loader reads them: "number scan unshifted shifted caps".
std::string ExpectedKeys(std::string xp) {
    BytesFile file(xp);
    const LayoutKeys keys = ReadLayoutKeys(*MakeKeyAccess(kOsWinXp, file));
    std::string text;
    char line[64];
    for (const KeyInfo& key : KeyTable()) {
        const KeyChars& chars = At(keys, key.number);
        std::snprintf(line, sizeof line, "%x %x %x %x %x\n", key.number, key.scanCode,
                      chars.unshifted ? CharToUnicode(chars.unshifted).Value() : 0,
                      chars.shifted ? CharToUnicode(chars.shifted).Value() : 0, chars.caps ? 1 : 0);
        text += line;
    }
    return text;
}

std::uint32_t Le32(const std::string& f, std::size_t at) {
    return static_cast<unsigned char>(f.at(at)) | static_cast<unsigned char>(f.at(at + 1)) << 8 |
           static_cast<unsigned char>(f.at(at + 2)) << 16 | static_cast<std::uint32_t>(static_cast<unsigned char>(f.at(at + 3))) << 24;
}
std::uint32_t Le16(const std::string& f, std::size_t at) {
    return static_cast<unsigned char>(f.at(at)) | static_cast<unsigned char>(f.at(at + 1)) << 8;
}
void Put32(std::string& f, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f.at(at + i) = static_cast<char>(v >> (8 * i));
}

// What the PE headers of a library say, as far as ours and the linker's are compared.
struct PeFacts {
    std::map<std::string, std::uint32_t> header;
    std::map<std::string, std::uint32_t> sectionFlags;
    std::set<std::uint32_t> relocationTypes;
    std::size_t sectionTable = 0, relocationEntries = 0, firstRelocationEntry = 0;
    std::uint32_t codeOffset = 0;  // file offset of KbdLayerDescriptor
};

PeFacts Facts(const std::string& f) {
    PeFacts p;
    const std::size_t pe = Le32(f, 0x3C), opt = pe + 24;
    p.header = {{"machine", Le16(f, pe + 4)},          {"characteristics", Le16(f, pe + 22)},
                {"optional header", Le16(f, pe + 20)}, {"magic", Le16(f, opt)},
                {"os major", Le16(f, opt + 40)},       {"os minor", Le16(f, opt + 42)},
                {"subsystem major", Le16(f, opt + 48)}, {"subsystem minor", Le16(f, opt + 50)},
                {"subsystem", Le16(f, opt + 68)},      {"dll characteristics", Le16(f, opt + 70)},
                {"section alignment", Le32(f, opt + 32)}, {"file alignment", Le32(f, opt + 36)},
                {"entry point", Le32(f, opt + 16)}};
    p.sectionTable = opt + Le16(f, pe + 20);
    auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
        for (std::size_t s = p.sectionTable, i = 0; i < Le16(f, pe + 6); ++i, s += 40)
            if (rva >= Le32(f, s + 12) && rva < Le32(f, s + 12) + Le32(f, s + 16)) return Le32(f, s + 20) + rva - Le32(f, s + 12);
        throw std::runtime_error("an RVA outside the sections");
    };
    for (std::size_t s = p.sectionTable, i = 0; i < Le16(f, pe + 6); ++i, s += 40)
        p.sectionFlags[f.substr(s, 8).c_str()] = Le32(f, s + 36);
    const std::size_t relocations = offsetOf(Le32(f, opt + 112 + 40)), end = relocations + Le32(f, opt + 112 + 44);
    for (std::size_t block = relocations; block < end; block += Le32(f, block + 4))
        for (std::size_t e = block + 8; e < block + Le32(f, block + 4); e += 2) {
            if (Le16(f, e) >> 12 == 0) continue;
            if (p.relocationEntries++ == 0) p.firstRelocationEntry = e;
            p.relocationTypes.insert(Le16(f, e) >> 12);
        }
    const std::size_t exports = offsetOf(Le32(f, opt + 112));
    // The one export: its function by the ordinal its name gives.
    const std::uint32_t ordinal = Le16(f, offsetOf(Le32(f, exports + 36)));
    p.codeOffset = static_cast<std::uint32_t>(offsetOf(Le32(f, offsetOf(Le32(f, exports + 28) + 4 * ordinal))));
    return p;
}

// adrp x0; add x0, x0, #lo12; ret.
bool IsAdrpAddRet(const std::string& f, std::size_t code) {
    return (Le32(f, code) & 0x9F00001F) == 0x90000000 && (Le32(f, code + 4) & 0xFFC003FF) == 0x91000000 &&
           Le32(f, code + 8) == 0xD65F03C0;
}

class Arm64Loader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_STRNE(TASTAVIA_ARM64_LOADER, "") << "aarch64-linux-gnu-gcc, qemu-aarch64, clang or lld-link was missing "
                                                   "when the build was configured (scripts/bootstrap installs them)";
    }
    std::string Path(const std::string& name) { return dir / name; }
    Result Cli(const std::string& args) { return Shell("'" TASTAVIA_CLI_PATH "' " + args); }
    // The loader on the emulated processor with the library and the expected keys.
    Result Load(const std::string& library, const std::string& expected) {
        test::WriteFile(Path("lib.dll"), library);
        test::WriteFile(Path("keys.txt"), expected);
        return Shell("'" TASTAVIA_QEMU_AARCH64 "' '" TASTAVIA_ARM64_LOADER "' '" + Path("lib.dll") + "' '" +
                   Path("keys.txt") + "'");
    }

    test::TempDir dir;
    EmbeddedResources resources;
};

TEST_F(Arm64Loader, LibrariesFromTheCommandLineAndFromInstallingTypeTheXpKeys) {
    for (const char* builtin : {"--bds", "--phonetic"}) {
        SCOPED_TRACE(builtin);
        ASSERT_EQ(Cli(std::string("new --os xp ") + builtin + " -o '" + Path("xp.dll") + "'").code, 0);
        ASSERT_EQ(Cli(std::string("new --os arm64 ") + builtin + " -o '" + Path("arm.dll") + "'").code, 0);
        std::string xp = test::ReadFile(Path("xp.dll"));
        const Result fromCli = Load(test::ReadFile(Path("arm.dll")), ExpectedKeys(xp));
        EXPECT_EQ(fromCli.code, 0) << fromCli.out;
        EXPECT_NE(fromCli.out.find("48 keys compared\nevery key as expected"), std::string::npos) << fromCli.out;
        EXPECT_NE(fromCli.out.find("preferred base 5fff0000"), std::string::npos) << fromCli.out;

        // An XP working file unlike the template: one slot emptied, one Caps flag turned.
        BytesFile file(xp);
        auto access = MakeKeyAccess(kOsWinXp, file);
        access->WriteKeyChar(5, ShiftState::Shifted, 0);
        access->WriteCapsFlag(1, !access->ReadCapsFlag(1));
        std::string arm64;
        for (const SystemLibrary& library : SystemLibrariesFor(kOsWinXp, Machine::Arm64, xp, resources))
            if (library.folder == SystemFolder::Native64) arm64 = library.bytes;
        const Result installed = Load(arm64, ExpectedKeys(xp));
        EXPECT_EQ(installed.code, 0) << installed.out;
        // The comparison sees the edit: the command line's library lacks it.
        const Result stale = Load(test::ReadFile(Path("arm.dll")), ExpectedKeys(xp));
        EXPECT_EQ(stale.code, 1) << stale.out;
        EXPECT_NE(stale.out.find("key 1 Caps Lock"), std::string::npos) << stale.out;
        EXPECT_NE(stale.out.find("key 5 shifted"), std::string::npos) << stale.out;
    }
}

TEST_F(Arm64Loader, DamagedCopiesFail) {
    const std::string good = test::ResourceFile("WINARM64.dll");
    const std::string keys = ExpectedKeys(test::ResourceFile("WINXP.dll"));
    ASSERT_EQ(Load(good, keys).code, 0);
    const PeFacts facts = Facts(good);
    std::string noRelocation = good, unknownType = good, otherAdd = good, otherAdrp = good, noExecute = good;
    noRelocation.replace(facts.firstRelocationEntry, 2, std::string(2, '\0'));  // the record's first pointer
    unknownType[facts.firstRelocationEntry + 1] = static_cast<char>((good[facts.firstRelocationEntry + 1] & 0x0F) | 0x30);
    Put32(otherAdd, facts.codeOffset + 4, Le32(good, facts.codeOffset + 4) + (8 << 10));  // 8 bytes past the record
    Put32(otherAdrp, facts.codeOffset, Le32(good, facts.codeOffset) ^ (1u << 29));       // one page off
    Put32(noExecute, facts.sectionTable + 36, facts.sectionFlags.at(".data") & ~0x20000000u);
    const struct {
        const char* what;
        const std::string& bytes;
        const char* finding;
    } cases[] = {
        {"a relocation removed", noRelocation, "the modifiers at 5fff"},
        {"a relocation of a type ARM64 has not", unknownType, "relocation of unknown type 3"},
        {"the add's offset changed", otherAdd, "FAIL: "},
        {"the adrp's page changed", otherAdrp, "FAIL: "},
        {"the execute flag taken off", noExecute, "calling KbdLayerDescriptor raised signal"},
    };
    for (const auto& c : cases) {
        const Result r = Load(c.bytes, keys);
        EXPECT_EQ(r.code, 1) << c.what << "\n" << r.out;
        EXPECT_NE(r.out.find(c.finding), std::string::npos) << c.what << "\n" << r.out;
    }
}

TEST_F(Arm64Loader, ALibraryLinkedByARealToolchainLoadsTheSameWay) {
    const std::string reference = test::ReadFile(TASTAVIA_ARM64_REFERENCE);
    // Keys 16, 17 and the space bar of tests/arm64/reference-tables.c.
    const Result r = Load(reference, "10 10 2c 44b 0\n11 11 443 423 1\n30 39 20 20 0\n");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("3 keys compared\nevery key as expected"), std::string::npos) << r.out;
    EXPECT_EQ(Load(reference, "11 11 443 423 0\n").code, 1);  // a wrong Caps flag is found there too
}

TEST_F(Arm64Loader, OurHeadersSectionFlagsRelocationsAndCodeAreTheLinkers) {
    const PeFacts ours = Facts(test::ResourceFile("WINARM64.dll"));
    const std::string referenceBytes = test::ReadFile(TASTAVIA_ARM64_REFERENCE);
    const PeFacts linker = Facts(referenceBytes);
    EXPECT_EQ(ours.header, linker.header);
    EXPECT_EQ(ours.header.at("machine"), 0xAA64u);
    EXPECT_EQ(ours.sectionFlags.at(".data"), linker.sectionFlags.at(".data"));
    EXPECT_EQ(ours.sectionFlags.at(".reloc"), linker.sectionFlags.at(".reloc"));
    EXPECT_EQ(ours.relocationTypes, linker.relocationTypes);
    EXPECT_EQ(ours.relocationTypes, std::set<std::uint32_t>{10});  // DIR64 only
    EXPECT_TRUE(IsAdrpAddRet(referenceBytes, linker.codeOffset));
    EXPECT_TRUE(IsAdrpAddRet(test::ResourceFile("WINARM64.dll"), ours.codeOffset));
}

}  // namespace
}  // namespace tastavia
