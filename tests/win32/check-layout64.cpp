// check-layout64.exe LIBRARY EXPECTED: a 64-bit process loads an installed layout
// library as Windows does (LoadLibrary; a bare name comes from the real System32), calls
// KbdLayerDescriptor and compares every key, level and Caps-Lock flag with EXPECTED (as
// the 32-bit tests write it). Then again with the library's preferred base taken, so
// that the loader must relocate it. Prints each difference; exit 0 when there is none,
// 1 on differences, 2 when the library cannot be loaded or checked at all.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "LongPointerTables.h"

namespace {

using Descriptor = const longptr::KbdTables*(WINAPI*)();

int failures = 0;

void Fail(const std::string& text) {
    std::printf("FAIL: %s\n", text.c_str());
    ++failures;
}

// Checks one load of the library; returns its module's preferred base, or 0.
ULONGLONG CheckLoad(const char* library, const std::vector<longptr::ExpectedKey>& keys, const char* how,
                    std::string* fullPath) {
    HMODULE module = LoadLibraryA(library);
    if (!module) {
        Fail(std::string(how) + ": LoadLibrary failed, error " + std::to_string(GetLastError()));
        return 0;
    }
    const auto* begin = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(begin + dos->e_lfanew);
    ULONGLONG base = 0;
    if (nt->FileHeader.Machine != IMAGE_FILE_MACHINE_AMD64 || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        Fail(std::string(how) + ": not an x64 library");
    } else {
        base = nt->OptionalHeader.ImageBase;
        auto proc = reinterpret_cast<Descriptor>(reinterpret_cast<void (*)()>(GetProcAddress(module, "KbdLayerDescriptor")));
        if (!proc) {
            Fail(std::string(how) + ": no KbdLayerDescriptor");
        } else {
            longptr::Walker walker(begin, begin + nt->OptionalHeader.SizeOfImage);
            for (const std::string& finding : walker.Compare(proc(), keys)) Fail(std::string(how) + ": " + finding);
        }
        std::printf("%s: loaded at %p, preferred base %llx\n", how, static_cast<void*>(module), base);
    }
    char path[MAX_PATH] = {};
    if (fullPath && GetModuleFileNameA(module, path, MAX_PATH)) *fullPath = path;
    FreeLibrary(module);
    return base;
}

// One library: at its own base, then with that base taken, so that the loader must apply
// every relocation. False when it cannot be loaded at all.
bool CheckLibrary(const char* library, const std::vector<longptr::ExpectedKey>& keys) {
    const std::string name(library);
    std::string path;
    const ULONGLONG base = CheckLoad(library, keys, (name + ", at its own base").c_str(), &path);
    if (base == 0) return false;
    std::printf("loaded from %s\n", path.c_str());
    void* taken = VirtualAlloc(reinterpret_cast<void*>(base), 0x10000, MEM_RESERVE, PAGE_NOACCESS);
    if (taken != reinterpret_cast<void*>(base)) {
        Fail(name + ": cannot reserve the preferred base");
    } else {
        HMODULE module = LoadLibraryA(library);
        if (module && reinterpret_cast<ULONGLONG>(module) == base) Fail(name + ": loaded at the reserved base");
        if (module) FreeLibrary(module);
        CheckLoad(library, keys, (name + ", relocated").c_str(), nullptr);
        VirtualFree(taken, 0, MEM_RELEASE);
    }
    return true;
}

}  // namespace

// check-layout64 LIBRARY EXPECTED [LIBRARY...]: further libraries are checked against
// the same keys.
int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: check-layout64 LIBRARY EXPECTED [LIBRARY...]\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::vector<longptr::ExpectedKey> keys = longptr::ParseKeys(text.str());
    if (keys.size() != 48) {
        std::printf("cannot read 48 keys from %s\n", argv[2]);
        return 2;
    }
    bool loaded = CheckLibrary(argv[1], keys);
    for (int i = 3; i < argc; ++i) loaded = CheckLibrary(argv[i], keys) && loaded;
    if (!loaded) return 2;
    std::printf("%s\n", failures == 0 ? "every key as in the working file" : "differences found");
    return failures == 0 ? 0 : 1;
}
