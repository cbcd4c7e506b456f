// The NT layout library templates as Windows loads them: written out from the
// program's resources, loaded with LoadLibrary at their own base and, with that base
// taken, relocated; KbdLayerDescriptor's tables must be complete either way.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr std::uintptr_t kPreferredBase = 0x5FFF0000;

// The records of a layout library on x86, as the loader leaves them in memory.
struct VkToBit {
    BYTE vk;
    BYTE modifierBits;
};
struct Modifiers {
    const VkToBit* vkToBit;
    WORD maxModifierBits;
    BYTE modificationNumbers[1];  // maxModifierBits + 1 of them
};
struct VkToWcharTable {
    const BYTE* entries;
    BYTE states;
    BYTE entrySize;
};
struct VscLpwstr {
    BYTE scanCode;
    const WCHAR* name;
};
struct VscVk {
    BYTE scanCode;
    USHORT vk;
};
struct KbdTables {
    const Modifiers* modifiers;
    const VkToWcharTable* charTables;
    const void* deadKeys;
    const VscLpwstr* keyNames;
    const VscLpwstr* extendedKeyNames;
    const void* deadKeyNames;
    const USHORT* scanToVk;
    BYTE scanCount;
    const VscVk* e0ScanToVk;
    const VscVk* e1ScanToVk;
    DWORD localeFlags;
    BYTE ligatureMax;
    BYTE ligatureSize;
    const void* ligatures;
    DWORD type;
    DWORD subtype;
};
static_assert(sizeof(KbdTables) == 60 && offsetof(KbdTables, e0ScanToVk) == 0x20 &&
                  offsetof(KbdTables, ligatures) == 0x30,
              "the record as the format lays it out");
static_assert(sizeof(VkToWcharTable) == 8 && sizeof(VscLpwstr) == 8 && sizeof(VscVk) == 4, "x86 sizes");

using Descriptor = const KbdTables*(WINAPI*)();

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
    const KbdTables* Call() const {
        FARPROC proc = GetProcAddress(module_, "KbdLayerDescriptor");
        if (!proc) return nullptr;
        return reinterpret_cast<Descriptor>(reinterpret_cast<void (*)()>(proc))();
    }

private:
    std::string path_;
    HMODULE module_ = nullptr;
};

// Walks the tables, failing on every broken invariant and never reading outside the
// module. Returns the tables' contents with the pointers left out, to compare loads.
class TableWalker {
public:
    TableWalker(const BYTE* begin, const BYTE* end) : begin_(begin), end_(end) {}

    std::string Walk(const KbdTables* t) {
        if (!Inside(t, sizeof *t, "record")) return {};
        WalkModifiers(t->modifiers, WalkCharTables(t->charTables));
        EXPECT_EQ(t->deadKeys, nullptr);
        EXPECT_EQ(t->deadKeyNames, nullptr);
        EXPECT_EQ(t->ligatures, nullptr);
        WalkNames(t->keyNames);
        WalkNames(t->extendedKeyNames);
        EXPECT_EQ(t->scanCount, 127);
        if (Inside(t->scanToVk, 2u * t->scanCount, "scan code table")) {
            for (unsigned i = 0; i < t->scanCount; ++i) EXPECT_NE(t->scanToVk[i], 0) << "scan code " << i;
            Keep(t->scanToVk, 2u * t->scanCount);
        }
        WalkScanPairs(t->e0ScanToVk);
        WalkScanPairs(t->e1ScanToVk);
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

    BYTE WalkCharTables(const VkToWcharTable* table) {
        BYTE maxStates = 0;
        for (; Inside(table, sizeof *table, "table list"); ++table) {
            if (!table->entries) {
                EXPECT_EQ(table->states | table->entrySize, 0) << "end of the table list";
                return maxStates;
            }
            EXPECT_EQ(table->entrySize, 2 + 2 * table->states);
            maxStates = std::max(maxStates, table->states);
            Keep(&table->states, 2);
            for (const BYTE* e = table->entries; Inside(e, table->entrySize, "character entry"); e += table->entrySize) {
                Keep(e, table->entrySize);
                if (e[0] != 0) continue;
                for (BYTE i = 1; i < table->entrySize; ++i) EXPECT_EQ(e[i], 0) << "a table ends with an all-zero entry";
                break;
            }
        }
        return maxStates;
    }

    void WalkModifiers(const Modifiers* modifiers, BYTE maxStates) {
        if (!Inside(modifiers, 6, "modifiers")) return;
        for (const VkToBit* bit = modifiers->vkToBit; Inside(bit, sizeof *bit, "modifier keys"); ++bit) {
            if (bit->vk == 0) break;
            EXPECT_NE(bit->modifierBits, 0) << "VK " << int(bit->vk);
        }
        EXPECT_EQ(modifiers->maxModifierBits, 3);
        if (!Inside(modifiers, 6u + modifiers->maxModifierBits + 1, "modification numbers")) return;
        for (unsigned i = 0; i <= modifiers->maxModifierBits; ++i) {
            BYTE column = modifiers->modificationNumbers[i];
            EXPECT_TRUE(column < maxStates || column == 0x0F) << "modification number " << i;
        }
        Keep(modifiers->modificationNumbers, modifiers->maxModifierBits + 1u);
    }

    void WalkNames(const VscLpwstr* names) {
        unsigned count = 0;
        for (; Inside(names, sizeof *names, "key names"); ++names, ++count) {
            if (names->scanCode == 0) {
                EXPECT_EQ(names->name, nullptr) << "end of a name table";
                break;
            }
            const WCHAR* c = names->name;
            while (Inside(c, 2, "key name") && *c) ++c;
            EXPECT_GT(c, names->name) << "name of scan code " << int(names->scanCode);
            Keep(&names->scanCode, 1);
            Keep(names->name, 2 * static_cast<std::size_t>(c - names->name));
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

class LayoutTemplate : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        bytes = TemplateBytes(GetParam());
        ASSERT_FALSE(bytes.empty()) << GetParam() << " is not among the resources";
    }
    // Loads the template, checks its tables and returns their contents.
    std::string LoadAndWalk(bool expectPreferredBase) {
        LoadedTemplate loaded(bytes);
        if (!loaded.Module()) {
            ADD_FAILURE() << "LoadLibrary failed: " << GetLastError();
            return {};
        }
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(loaded.Module()) == kPreferredBase, expectPreferredBase);
        const KbdTables* tables = loaded.Call();
        if (!tables) {
            ADD_FAILURE() << "no KbdLayerDescriptor";
            return {};
        }
        return TableWalker(loaded.Begin(), loaded.End()).Walk(tables);
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

INSTANTIATE_TEST_SUITE_P(Templates, LayoutTemplate, ::testing::Values("WIN2K", "WINXP"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
