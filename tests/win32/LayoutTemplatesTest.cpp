// The NT layout library templates as Windows loads them: written out from the
// program's resources, loaded with LoadLibrary at their own base and, with that base
// taken, relocated; KbdLayerDescriptor's tables must be complete either way.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "DamagedLibraries.h"
#include "layout/LayoutShape.h"

namespace {

constexpr std::uintptr_t kPreferredBase = 0x5FFF0000;

// A pointer of the tables that 64-bit Windows reads for its 32-bit programs (WOW64):
// 8 bytes, the upper half zero.
template <typename T>
struct alignas(8) WidePointer {
    T* low;
    DWORD high;
};
template <typename T>
using Pointer = T*;

template <typename T>
T* Get(T* p) {
    return p;
}
template <typename T>
T* Get(const WidePointer<T>& p) {
    EXPECT_EQ(p.high, 0u) << "the upper half of a pointer";
    return p.low;
}

// The records of a layout library on x86, as the loader leaves them in memory, with
// 4-byte pointers (Windows 2000 and XP) or 8-byte ones (WOW64).
struct VkToBit {
    BYTE vk;
    BYTE modifierBits;
};
struct VscVk {
    BYTE scanCode;
    USHORT vk;
};
template <template <typename> class Ptr>
struct Records {
    struct Modifiers {
        Ptr<const VkToBit> vkToBit;
        WORD maxModifierBits;
        BYTE modificationNumbers[1];  // maxModifierBits + 1 of them
    };
    struct VkToWcharTable {
        Ptr<const BYTE> entries;
        BYTE states;
        BYTE entrySize;
    };
    struct VscLpwstr {
        BYTE scanCode;
        Ptr<const WCHAR> name;
    };
    struct KbdTables {
        Ptr<const Modifiers> modifiers;
        Ptr<const VkToWcharTable> charTables;
        Ptr<const void> deadKeys;
        Ptr<const VscLpwstr> keyNames;
        Ptr<const VscLpwstr> extendedKeyNames;
        Ptr<const void> deadKeyNames;
        Ptr<const USHORT> scanToVk;
        BYTE scanCount;
        Ptr<const VscVk> e0ScanToVk;
        Ptr<const VscVk> e1ScanToVk;
        DWORD localeFlags;
        BYTE ligatureMax;
        BYTE ligatureSize;
        Ptr<const void> ligatures;
        DWORD type;
        DWORD subtype;
    };
};
using Narrow = Records<Pointer>;
using Wide = Records<WidePointer>;
static_assert(sizeof(Narrow::KbdTables) == 60 && offsetof(Narrow::KbdTables, e0ScanToVk) == 0x20 &&
                  offsetof(Narrow::KbdTables, ligatures) == 0x30,
              "the record as the format lays it out");
static_assert(sizeof(Narrow::VkToWcharTable) == 8 && sizeof(Narrow::VscLpwstr) == 8 && sizeof(VscVk) == 4, "x86 sizes");
static_assert(sizeof(Wide::KbdTables) == 0x68 && offsetof(Wide::KbdTables, e0ScanToVk) == 0x40 &&
                  offsetof(Wide::KbdTables, ligatures) == 0x58 && offsetof(Wide::Modifiers, modificationNumbers) == 10,
              "the record with 64-bit pointers, as x64 lays it out");
static_assert(sizeof(Wide::VkToWcharTable) == 16 && sizeof(Wide::VscLpwstr) == 16, "64-bit pointer sizes");

using Descriptor = const void*(WINAPI*)();

std::string TemplateBytes(const char* name) {
    HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));
    if (!found) return {};
    const void* bytes = LockResource(LoadResource(nullptr, found));
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found)) : std::string();
}

DWORD SizeOfImage(const std::string& file) {
    DWORD pe = 0, size = 0;
    std::memcpy(&pe, file.data() + 0x3C, 4);
    std::memcpy(&size, file.data() + pe + 24 + 56, 4);
    return size;
}

// A template written to a temporary file and loaded; freed and deleted at the end.
class LoadedTemplate {
public:
    explicit LoadedTemplate(const std::string& bytes) {
        char dir[MAX_PATH], path[MAX_PATH];
        if (!GetTempPathA(MAX_PATH, dir) || !GetTempFileNameA(dir, "kbd", 0, path)) return;
        path_ = path;
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        if (ok && written == bytes.size()) module_ = LoadLibraryA(path);
    }
    ~LoadedTemplate() {
        if (module_) FreeLibrary(module_);
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    LoadedTemplate(const LoadedTemplate&) = delete;
    LoadedTemplate& operator=(const LoadedTemplate&) = delete;

    HMODULE Module() const { return module_; }
    const BYTE* Begin() const { return reinterpret_cast<const BYTE*>(module_); }
    const BYTE* End() const {
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module_);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(Begin() + dos->e_lfanew);
        return Begin() + nt->OptionalHeader.SizeOfImage;
    }
    const void* Call() const {
        FARPROC proc = GetProcAddress(module_, "KbdLayerDescriptor");
        if (!proc) return nullptr;
        return reinterpret_cast<Descriptor>(reinterpret_cast<void (*)()>(proc))();
    }

private:
    std::string path_;
    HMODULE module_ = nullptr;
};

// Walks the tables, failing on every broken invariant and never reading outside the
// module. Returns the tables' contents with the pointers left out, to compare loads
// and the libraries with either pointer size.
template <typename R>
class TableWalker {
public:
    TableWalker(const BYTE* begin, const BYTE* end) : begin_(begin), end_(end) {}

    std::string Walk(const void* record) {
        const auto* t = static_cast<const typename R::KbdTables*>(record);
        if (!Inside(t, sizeof *t, "record")) return {};
        WalkModifiers(Get(t->modifiers), WalkCharTables(Get(t->charTables)));
        EXPECT_EQ(Get(t->deadKeys), nullptr);
        EXPECT_EQ(Get(t->deadKeyNames), nullptr);
        EXPECT_EQ(Get(t->ligatures), nullptr);
        WalkNames(Get(t->keyNames));
        WalkNames(Get(t->extendedKeyNames));
        EXPECT_EQ(t->scanCount, 127);
        const USHORT* scanToVk = Get(t->scanToVk);
        if (Inside(scanToVk, 2u * t->scanCount, "scan code table")) {
            for (unsigned i = 0; i < t->scanCount; ++i) EXPECT_NE(scanToVk[i], 0) << "scan code " << i;
            Keep(scanToVk, 2u * t->scanCount);
        }
        WalkScanPairs(Get(t->e0ScanToVk));
        WalkScanPairs(Get(t->e1ScanToVk));
        EXPECT_EQ(t->localeFlags, 0x00010000u);
        EXPECT_EQ(t->type, 4u);
        EXPECT_EQ(t->subtype, 0u);
        return contents_;
    }

private:
    bool Inside(const void* p, std::size_t size, const char* what) {
        const BYTE* b = static_cast<const BYTE*>(p);
        bool inside = b >= begin_ && b <= end_ && size <= static_cast<std::size_t>(end_ - b);
        EXPECT_TRUE(inside) << what << " at " << p << " is outside the module";
        return inside;
    }
    void Keep(const void* p, std::size_t size) { contents_.append(static_cast<const char*>(p), size); }

    BYTE WalkCharTables(const typename R::VkToWcharTable* table) {
        BYTE maxStates = 0;
        for (; Inside(table, sizeof *table, "table list"); ++table) {
            const BYTE* entries = Get(table->entries);
            if (!entries) {
                EXPECT_EQ(table->states | table->entrySize, 0) << "end of the table list";
                return maxStates;
            }
            EXPECT_EQ(table->entrySize, 2 + 2 * table->states);
            maxStates = std::max(maxStates, table->states);
            Keep(&table->states, 2);
            for (const BYTE* e = entries; Inside(e, table->entrySize, "character entry"); e += table->entrySize) {
                Keep(e, table->entrySize);
                if (e[0] != 0) continue;
                for (BYTE i = 1; i < table->entrySize; ++i) EXPECT_EQ(e[i], 0) << "a table ends with an all-zero entry";
                break;
            }
        }
        return maxStates;
    }

    void WalkModifiers(const typename R::Modifiers* modifiers, BYTE maxStates) {
        constexpr std::size_t kNumbers = offsetof(typename R::Modifiers, modificationNumbers);
        if (!Inside(modifiers, kNumbers, "modifiers")) return;
        for (const VkToBit* bit = Get(modifiers->vkToBit); Inside(bit, sizeof *bit, "modifier keys"); ++bit) {
            if (bit->vk == 0) break;
            EXPECT_NE(bit->modifierBits, 0) << "VK " << int(bit->vk);
        }
        EXPECT_EQ(modifiers->maxModifierBits, 3);
        if (!Inside(modifiers, kNumbers + modifiers->maxModifierBits + 1, "modification numbers")) return;
        for (unsigned i = 0; i <= modifiers->maxModifierBits; ++i) {
            BYTE column = modifiers->modificationNumbers[i];
            EXPECT_TRUE(column < maxStates || column == 0x0F) << "modification number " << i;
        }
        Keep(modifiers->modificationNumbers, modifiers->maxModifierBits + 1u);
    }

    void WalkNames(const typename R::VscLpwstr* names) {
        unsigned count = 0;
        for (; Inside(names, sizeof *names, "key names"); ++names, ++count) {
            const WCHAR* name = Get(names->name);
            if (names->scanCode == 0) {
                EXPECT_EQ(name, nullptr) << "end of a name table";
                break;
            }
            const WCHAR* c = name;
            while (Inside(c, 2, "key name") && *c) ++c;
            EXPECT_GT(c, name) << "name of scan code " << int(names->scanCode);
            Keep(&names->scanCode, 1);
            Keep(name, 2 * static_cast<std::size_t>(c - name));
        }
        EXPECT_GT(count, 10u);
    }

    void WalkScanPairs(const VscVk* pair) {
        for (; Inside(pair, sizeof *pair, "scan code pairs"); ++pair) {
            Keep(pair, sizeof *pair);
            if (pair->scanCode == 0) break;
            EXPECT_NE(pair->vk, 0) << "scan code " << int(pair->scanCode);
        }
    }

    const BYTE* begin_;
    const BYTE* end_;
    std::string contents_;
};

// Loads a template, checks its tables and returns their contents.
std::string LoadAndWalk(const std::string& bytes, bool widePointers, bool expectPreferredBase) {
    LoadedTemplate loaded(bytes);
    if (!loaded.Module()) {
        ADD_FAILURE() << "LoadLibrary failed: " << GetLastError();
        return {};
    }
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(loaded.Module()) == kPreferredBase, expectPreferredBase);
    const void* tables = loaded.Call();
    if (!tables) {
        ADD_FAILURE() << "no KbdLayerDescriptor";
        return {};
    }
    if (widePointers) return TableWalker<Wide>(loaded.Begin(), loaded.End()).Walk(tables);
    return TableWalker<Narrow>(loaded.Begin(), loaded.End()).Walk(tables);
}

class LayoutTemplate : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        bytes = TemplateBytes(GetParam());
        ASSERT_FALSE(bytes.empty()) << GetParam() << " is not among the resources";
    }
    std::string LoadAndWalk(bool expectPreferredBase) {
        return ::LoadAndWalk(bytes, std::string(GetParam()) == "WOW64", expectPreferredBase);
    }
    std::string bytes;
};

TEST_P(LayoutTemplate, LoadsWithCompleteTables) { EXPECT_FALSE(LoadAndWalk(true).empty()); }

TEST_P(LayoutTemplate, IsRelocatedWhenItsBaseIsTaken) {
    const std::string atBase = LoadAndWalk(true);
    void* taken = VirtualAlloc(reinterpret_cast<void*>(kPreferredBase), SizeOfImage(bytes), MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(taken), kPreferredBase);
    const std::string relocated = LoadAndWalk(false);
    VirtualFree(taken, 0, MEM_RELEASE);
    EXPECT_FALSE(relocated.empty());
    EXPECT_TRUE(relocated == atBase) << "the relocated tables read differently";
}

// Every damaged copy the library check accepts loads with its base taken and reads as the
// template does; the host tests show the named damages refused.
TEST_P(LayoutTemplate, EveryDamagedCopyTheCheckAcceptsLoadsRelocatedAndWalks) {
    const std::string name = GetParam();
    const tastavia::OsKind kind = name == "WIN2K" ? tastavia::kOsWin2000 : name == "WINXP" ? tastavia::kOsWinXp : tastavia::kOsWow64;
    void* taken = VirtualAlloc(reinterpret_cast<void*>(kPreferredBase), SizeOfImage(bytes), MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(taken), kPreferredBase);
    const std::string good = LoadAndWalk(false);
    int accepted = 0;
    for (const tastavia::test::DamagedLibrary& d : tastavia::test::LibraryDamager(bytes).All()) {
        if (!tastavia::HasLayoutShape(d.bytes, kind)) continue;
        ++accepted;
        EXPECT_FALSE(d.mustRefuse) << d.what;
        EXPECT_TRUE(::LoadAndWalk(d.bytes, name == "WOW64", false) == good) << d.what;
    }
    VirtualFree(taken, 0, MEM_RELEASE);
    EXPECT_GT(accepted, 0);
    std::printf("%s: %d damaged copies accepted, each loaded and walked\n", name.c_str(), accepted);
}

TEST_P(LayoutTemplate, CarriesAKeyboardDriverVersionResource) {
    LoadedTemplate loaded(bytes);
    ASSERT_NE(loaded.Module(), nullptr);
    HRSRC found = FindResourceA(loaded.Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(loaded.Module(), found);
    const BYTE* info = static_cast<const BYTE*>(LockResource(LoadResource(loaded.Module(), found)));
    ASSERT_TRUE(info && size > 92);
    // The fixed part follows the header and the key L"VS_VERSION_INFO", 4-aligned.
    DWORD fixed[13];
    std::memcpy(fixed, info + 40, sizeof fixed);
    EXPECT_EQ(fixed[0], 0xFEEF04BDu);
    EXPECT_EQ(fixed[9], 2u) << "VFT_DLL";
    EXPECT_EQ(fixed[10], 2u) << "VFT2_DRV_KEYBOARD";
    const std::wstring text(reinterpret_cast<const wchar_t*>(info), size / 2);
    EXPECT_NE(text.find(L"Tastavia"), std::wstring::npos);
}

// KbdLayerDescriptor as a 64-bit Windows calls it for its 32-bit programs: the result
// is a 64-bit pointer in EDX:EAX, so EDX must come back zero whatever it held before.
std::uint64_t CallWithEdx(FARPROC proc, DWORD edx) {
    DWORD eax = 0;
    asm volatile("call *%[proc]" : "=a"(eax), "+d"(edx) : [proc] "S"(proc) : "ecx", "memory", "cc");
    return static_cast<std::uint64_t>(edx) << 32 | eax;
}

TEST(Wow64Template, KbdLayerDescriptorReturnsItsPointerZeroExtended) {
    LoadedTemplate loaded(TemplateBytes("WOW64"));
    ASSERT_NE(loaded.Module(), nullptr);
    FARPROC proc = GetProcAddress(loaded.Module(), "KbdLayerDescriptor");
    ASSERT_NE(proc, nullptr);
    const auto tables = reinterpret_cast<std::uintptr_t>(loaded.Call());
    ASSERT_NE(tables, 0u);
    for (DWORD edx : {0xDEADBEEFu, 0xFFFFFFFFu, 1u}) EXPECT_EQ(CallWithEdx(proc, edx), tables) << std::hex << edx;
}

INSTANTIATE_TEST_SUITE_P(Templates, LayoutTemplate, ::testing::Values("WIN2K", "WINXP", "WOW64"),
                         [](const auto& info) { return std::string(info.param); });

// The WOW64 library's tables, read through their 64-bit pointers, hold what the XP
// library's hold: every entry, state, name and scan code.
TEST(Wow64Template, HoldsTheTablesOfTheXpLibrary) {
    const std::string xp = LoadAndWalk(TemplateBytes("WINXP"), false, true);
    EXPECT_FALSE(xp.empty());
    EXPECT_TRUE(LoadAndWalk(TemplateBytes("WOW64"), true, true) == xp);
}

}  // namespace
