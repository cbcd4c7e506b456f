#pragma once
// Damaged copies of a layout library (PE32 or PE32+), for the check that must refuse
// whatever the Windows loader refuses or crashes on: named damages the loader is known to
// refuse, and a sweep over every byte of the headers, the export directory and the
// relocation table, each of which must be refused or load and walk as the original.
#include <cstdint>
#include <string>
#include <vector>

namespace tastavia::test {

struct DamagedLibrary {
    std::string what;
    std::string bytes;
    bool mustRefuse;  // a damage the loader refuses, crashes on, or that moves a key
};

class LibraryDamager {
public:
    explicit LibraryDamager(const std::string& good) : good_(good) {
        pe_ = Get(good, 0x3C, 4);
        opt_ = pe_ + 24;
        wide_ = Get(good, opt_, 2) == 0x20B;
        dirs_ = opt_ + (wide_ ? 112 : 96);
        table_ = opt_ + Get(good, pe_ + 20, 2);
        sections_ = Get(good, pe_ + 6, 2);
        sizeOfHeaders_ = Get(good, opt_ + 60, 4);
        exports_ = FileOffset(Get(good, dirs_, 4));
        relocs_ = FileOffset(Get(good, dirs_ + 40, 4));
        relocSize_ = Get(good, dirs_ + 44, 4);
    }

    std::vector<DamagedLibrary> All() const {
        std::vector<DamagedLibrary> out;
        const std::size_t last = table_ + 40 * (sections_ - 1);  // the last section's header
        const std::uint32_t ownType = wide_ ? 10 : 3;
        const std::uint32_t imageSize = Get(good_, opt_ + 56, 4);
        auto named = [&](const char* what, std::size_t at, int width, std::uint64_t value) {
            std::string f = good_;
            Put(f, at, width, value);
            out.push_back({what, f, true});
        };
        named("relocation block size 0xFFFFFFF0", relocs_ + 4, 4, 0xFFFFFFF0u);
        named("relocation block size 0", relocs_ + 4, 4, 0);
        named("relocation block size odd", relocs_ + 4, 4, Get(good_, relocs_ + 4, 4) + 1);
        named("relocation block size past the table", relocs_ + 4, 4, relocSize_ + 8);
        named("relocation entry type 15", relocs_ + 8, 2, 0xF000 | (Get(good_, relocs_ + 8, 2) & 0xFFF));
        named("relocation entry of the other width", relocs_ + 8, 2,
              (wide_ ? 0x3000u : 0xA000u) | (Get(good_, relocs_ + 8, 2) & 0xFFF));
        named("relocation across its page", relocs_ + 8, 2, ownType << 12 | 0xFFE);
        named("relocation page outside the image", relocs_, 4, imageSize);
        named("relocation page not a page", relocs_, 4, Get(good_, relocs_, 4) + 0x10);
        named("relocation entry twice", relocs_ + 10, 2, Get(good_, relocs_ + 8, 2));
        named("no relocation table", dirs_ + 44, 4, 0);
        named("a section at RVA 0", table_ + 12, 4, 0);
        named("NumberOfSections + 1", pe_ + 6, 2, sections_ + 1);
        named("NumberOfSections - 1", pe_ + 6, 2, sections_ - 1);
        named("NumberOfSections 0", pe_ + 6, 2, 0);
        named("section data outside the file", last + 20, 4, good_.size() + 0x200 - good_.size() % 0x200);
        named("section data past the file's end", last + 16, 4, Get(good_, last + 16, 4) + 0x10000);
        named("sections overlapping in the file", table_ + 40 + 20, 4, Get(good_, table_ + 20, 4));
        named("sections overlapping in memory", table_ + 40 + 12, 4, Get(good_, table_ + 12, 4));
        named("section data not aligned", table_ + 20, 4, Get(good_, table_ + 20, 4) + 4);
        named("size of image too small", opt_ + 56, 4, imageSize - 0x1000);
        named("size of headers past the first section", opt_ + 60, 4, Get(good_, table_ + 20, 4) + 0x200);
        named("size of headers cutting the section table", opt_ + 60, 4, 0);
        named("NumberOfNames 0xFFFFFFFF", exports_ + 24, 4, 0xFFFFFFFFu);
        named("NumberOfFunctions 0xFFFFFFFF", exports_ + 20, 4, 0xFFFFFFFFu);
        named("NumberOfFunctions 0", exports_ + 20, 4, 0);
        named("AddressOfNames outside the image", exports_ + 32, 4, imageSize);
        named("AddressOfNameOrdinals outside the image", exports_ + 36, 4, 0xFFFFFFF0u);
        named("the export's code outside the image", FileOffset(Get(good_, exports_ + 28, 4)), 4, imageSize + 0x100);
        named("no export directory", dirs_, 4, 0);
        named("export directory outside the image", dirs_, 4, imageSize);
        named("an import directory", dirs_ + 8, 4, Get(good_, dirs_, 4));
        named("image base not on 64 KB", wide_ ? opt_ + 24 : opt_ + 28, 4, 0x5FFF1000);
        named("image base 0", wide_ ? opt_ + 24 : opt_ + 28, 4, 0);
        if (wide_) named("image base above 4 GB", opt_ + 28, 4, 1);
        else named("image base above 2 GB", opt_ + 28, 4, 0x9FFF0000u);
        named("an entry point", opt_ + 16, 4, Get(good_, table_ + 12, 4));
        named("section alignment 512", opt_ + 32, 4, 0x200);
        named("file alignment 256", opt_ + 36, 4, 0x100);
        named("relocations stripped", pe_ + 22, 2, Get(good_, pe_ + 22, 2) | 1);
        named("not a DLL", pe_ + 22, 2, Get(good_, pe_ + 22, 2) & ~0x2000u);
        named("the other optional header", opt_, 2, wide_ ? 0x10B : 0x20B);
        named("PE header outside the file", 0x3C, 4, 0xFFFFFFF0u);
        named("too short an optional header", pe_ + 20, 2, wide_ ? 112 : 96);
        named("forced integrity", opt_ + 70, 2, 0x80);
        named("an unreadable section", table_ + 36, 4, 0x00000040);
        named("the export renamed", FileOffset(Get(good_, FileOffset(Get(good_, exports_ + 32, 4)), 4)), 1, 'k');

        // Every byte of the headers, the export directory and the relocation table.
        auto sweep = [&](const char* where, std::size_t begin, std::size_t end) {
            for (std::size_t at = begin; at < end && at < good_.size(); ++at) {
                std::string f = good_;
                f[at] = static_cast<char>(f[at] ^ 0xFF);
                out.push_back({std::string(where) + " byte " + std::to_string(at), f, false});
            }
        };
        sweep("header", 0, table_ + 40 * sections_ + 8);
        sweep("export directory", exports_, exports_ + 40);
        sweep("relocation table", relocs_, relocs_ + relocSize_);
        // Each relocation entry dropped (turned into padding): every one is a pointer the
        // system follows.
        for (std::size_t at = relocs_ + 8; at + 2 <= relocs_ + relocSize_; at += 2) {
            std::string f = good_;
            if (Get(f, at, 2) >> 12 != ownType) continue;
            Put(f, at, 2, 0);
            out.push_back({"relocation entry at " + std::to_string(at) + " dropped", f, true});
        }
        return out;
    }

    static std::uint64_t Get(const std::string& f, std::size_t at, int width) {
        std::uint64_t v = 0;
        for (int i = width - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(f[at + static_cast<std::size_t>(i)]);
        return v;
    }
    static void Put(std::string& f, std::size_t at, int width, std::uint64_t v) {
        for (int i = 0; i < width; ++i) f[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
    }

private:
    std::size_t FileOffset(std::uint64_t rva) const {
        for (std::size_t i = 0; i < sections_; ++i) {
            const std::size_t at = table_ + 40 * i;
            const std::uint64_t start = Get(good_, at + 12, 4), size = Get(good_, at + 16, 4);
            if (rva >= start && rva < start + size) return Get(good_, at + 20, 4) + (rva - start);
        }
        return 0;
    }

    const std::string& good_;
    std::size_t pe_, opt_, dirs_, table_, sections_, sizeOfHeaders_, exports_, relocs_, relocSize_;
    bool wide_;
};

}  // namespace tastavia::test
