// Which files the program takes for editing: the templates of each kind, and nothing
// that only looks like one (a wrong size, a PE header that points nowhere, tables that
// do not hold the keys where the key access patches them).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "TestSupport.h"
#include "layout/LayoutFileKind.h"
#include "layout/LayoutShape.h"

namespace tastavia {
namespace {

using test::ResourceFile;

void Put32(std::string& f, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
}

std::uint32_t Get32(const std::string& f, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<std::uint8_t>(f[at + i]);
    return v;
}

std::string Template(OsKind kind) {
    return ResourceFile(kind == kOsWin9x ? "WIN98.kbd" : kind == kOsWin2000 ? "WIN2K.dll" : "WINXP.dll");
}

TEST(LayoutShape, EachTemplateIsItsOwnKindOnly) {
    for (OsKind file : {kOsWin9x, kOsWin2000, kOsWinXp})
        for (OsKind kind : {kOsWin9x, kOsWin2000, kOsWinXp})
            EXPECT_EQ(HasLayoutShape(Template(file), kind), file == kind) << int(file) << " as " << int(kind);
    EXPECT_FALSE(HasLayoutShape(Template(kOsWinXp), kOsUnchosen));
}

TEST(LayoutShape, DamagedLibrariesAreRefused) {
    const int xp = 520;
    auto keyEntry = [xp](KeyNumber k) { return Key(k).ntOffset - xp - 2; };  // the entry's virtual key
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
    };
    const Case cases[] = {
        {"a byte more", [](std::string& f) { f += '\0'; }},
        {"a byte less", [](std::string& f) { f.pop_back(); }},
        {"the PE header outside the file", [](std::string& f) { Put32(f, 0x3C, 0xFFFFFFF0u); }},
        {"the PE header at the last bytes",
         [](std::string& f) { Put32(f, 0x3C, static_cast<std::uint32_t>(f.size() - 2)); }},
        {"no PE signature", [](std::string& f) { f[Get32(f, 0x3C)] = 'X'; }},
        {"an x64 machine",
         [](std::string& f) {
             const std::uint32_t pe = Get32(f, 0x3C);
             f[pe + 4] = 0x64;
             f[pe + 5] = static_cast<char>(0x86);
         }},
        {"no DLL", [](std::string& f) { f[Get32(f, 0x3C) + 23] = 0; }},
        {"a section beyond the file", [](std::string& f) { Put32(f, Get32(f, 0x3C) + 24 + 224 + 20, 0x7FFFFFF0u); }},
        {"the export renamed", [](std::string& f) { f[f.find("KbdLayerDescriptor")] = 'k'; }},
        {"the export directory outside", [](std::string& f) { Put32(f, Get32(f, 0x3C) + 24 + 96, 0x00F00000u); }},
        {"key 1's entry another virtual key", [&](std::string& f) { f[keyEntry(1)] = 'Z'; }},
        {"key 48's entry ends the table", [&](std::string& f) { f[keyEntry(48)] = 0; }},
        {"the scan-code table gives key 30 (F) another key",
         [](std::string& f) { f[f.find(std::string("\x44\x00\x46\x00\x47\x00", 6)) + 2] = 'X'; }},
        // The record (the first thing in .data) says the scan-code table ends before
        // Space's scan code 0x39.
        {"a scan-code table too short for key 48", [](std::string& f) { f[0x200 + 0x1C] = 0x39; }},
        // The fourth character table (the keypad's, 1 state) says its entries are 6 bytes.
        {"an entry size that is not its states'",
         [](std::string& f) { f[Get32(f, 0x200 + 4) - 0x5FFF1000 + 0x200 + 3 * 8 + 5] = 6; }},
    };
    for (const Case& c : cases) {
        std::string f = Template(kOsWinXp);
        c.damage(f);
        EXPECT_FALSE(HasLayoutShape(f, kOsWinXp)) << c.what;
    }
}

TEST(LayoutShape, Win9xHeaderAndOffsetsAreChecked) {
    for (std::size_t at : {0, 1, 8, 12, 64, 116, 118, 120, 122}) {
        std::string f = Template(kOsWin9x);
        f[at] = static_cast<char>(f[at] ^ 0x40);
        EXPECT_FALSE(HasLayoutShape(f, kOsWin9x)) << at;
    }
    EXPECT_FALSE(HasLayoutShape(std::string(403, '\0'), kOsWin9x));
    EXPECT_FALSE(IsLayoutFileOfKind("MZ" + std::string(5630, '\0'), kOsWinXp));
}

}  // namespace
}  // namespace tastavia
