// The Win32 file code itself with its kernel32 calls failing in turn, once or from one
// call on: a replaced file holds its old bytes or its new ones, never nothing, and a
// success is a success. The calls are caught in this program's own import table, which
// the statically linked file code calls through.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "Win32TestSupport.h"
#include "platform/win32/Win32Files.h"

namespace tastavia {
namespace {

using test::Win32Folder;

// Which calls fail: from the nth counted call on (persistent) or the nth alone.
struct Faults {
    bool active = false;
    bool persistent = false;
    std::size_t target = 0;
    std::size_t calls = 0;
    std::vector<std::string> failed;

    bool Fail(const char* what) {
        if (!active) return false;
        ++calls;
        if (persistent ? calls < target : calls != target) return false;
        failed.push_back(what);
        SetLastError(ERROR_ACCESS_DENIED);
        return true;
    }
} g_faults;

// The real functions, and stand-ins that fail when told.
#define REAL(name) reinterpret_cast<decltype(&name)>(reinterpret_cast<void (*)()>(Real(#name)))
std::map<std::string, FARPROC> g_real;
FARPROC Real(const char* name) { return g_real[name]; }

HANDLE WINAPI FakeCreateFileA(LPCSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g) {
    return g_faults.Fail("CreateFileA") ? INVALID_HANDLE_VALUE : REAL(CreateFileA)(a, b, c, d, e, f, g);
}
BOOL WINAPI FakeWriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    return !g_faults.Fail("WriteFile") && REAL(WriteFile)(a, b, c, d, e);
}
BOOL WINAPI FakeReadFile(HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    return !g_faults.Fail("ReadFile") && REAL(ReadFile)(a, b, c, d, e);
}
BOOL WINAPI FakeFlushFileBuffers(HANDLE a) { return !g_faults.Fail("FlushFileBuffers") && REAL(FlushFileBuffers)(a); }
BOOL WINAPI FakeCloseHandle(HANDLE a) {
    const bool fails = g_faults.Fail("CloseHandle");  // the handle goes all the same
    return REAL(CloseHandle)(a) && !fails;
}
BOOL WINAPI FakeSetFileTime(HANDLE a, const FILETIME* b, const FILETIME* c, const FILETIME* d) {
    return !g_faults.Fail("SetFileTime") && REAL(SetFileTime)(a, b, c, d);
}
BOOL WINAPI FakeGetFileTime(HANDLE a, LPFILETIME b, LPFILETIME c, LPFILETIME d) {
    return !g_faults.Fail("GetFileTime") && REAL(GetFileTime)(a, b, c, d);
}
DWORD WINAPI FakeGetFileAttributesA(LPCSTR a) {
    // A look that fails finds nothing, and only where every later call fails too.
    return g_faults.persistent && g_faults.Fail("GetFileAttributesA") ? INVALID_FILE_ATTRIBUTES
                                                                     : REAL(GetFileAttributesA)(a);
}
BOOL WINAPI FakeSetFileAttributesA(LPCSTR a, DWORD b) {
    return !g_faults.Fail("SetFileAttributesA") && REAL(SetFileAttributesA)(a, b);
}
BOOL WINAPI FakeDeleteFileA(LPCSTR a) { return !g_faults.Fail("DeleteFileA") && REAL(DeleteFileA)(a); }
BOOL WINAPI FakeMoveFileA(LPCSTR a, LPCSTR b) { return !g_faults.Fail("MoveFileA") && REAL(MoveFileA)(a, b); }
UINT WINAPI FakeGetTempFileNameA(LPCSTR a, LPCSTR b, UINT c, LPSTR d) {
    return g_faults.Fail("GetTempFileNameA") ? 0 : REAL(GetTempFileNameA)(a, b, c, d);
}

template <class Function>
FARPROC AsProc(Function* f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

// Points this program's imports of kernel32 at the stand-ins, once.
void InstallFakes() {
    static bool done = false;
    if (done) return;
    done = true;
    const std::map<std::string, FARPROC> fakes = {
        {"CreateFileA", AsProc(&FakeCreateFileA)},
        {"WriteFile", AsProc(&FakeWriteFile)},
        {"ReadFile", AsProc(&FakeReadFile)},
        {"FlushFileBuffers", AsProc(&FakeFlushFileBuffers)},
        {"CloseHandle", AsProc(&FakeCloseHandle)},
        {"SetFileTime", AsProc(&FakeSetFileTime)},
        {"GetFileTime", AsProc(&FakeGetFileTime)},
        {"GetFileAttributesA", AsProc(&FakeGetFileAttributesA)},
        {"SetFileAttributesA", AsProc(&FakeSetFileAttributesA)},
        {"DeleteFileA", AsProc(&FakeDeleteFileA)},
        {"MoveFileA", AsProc(&FakeMoveFileA)},
        {"GetTempFileNameA", AsProc(&FakeGetTempFileNameA)},
    };
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    for (const auto& fake : fakes) g_real[fake.first] = GetProcAddress(kernel, fake.first.c_str());
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), "kernel32.dll") != 0) continue;
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; slot->u1.Function; ++slot) {
            for (const auto& fake : fakes) {
                if (reinterpret_cast<FARPROC>(slot->u1.Function) != g_real[fake.first]) continue;
                DWORD old = 0;
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &old);
                slot->u1.Function = reinterpret_cast<decltype(slot->u1.Function)>(fake.second);
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, old, &old);
            }
        }
    }
}

// The files of a folder by name, with their bytes.
std::map<std::string, std::string> FolderFiles(Win32Folder& dir) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir.path() + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return files;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        files[found.cFileName] = dir.files().ReadAll(dir.path() + found.cFileName).value_or("<unreadable>");
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return files;
}

bool AnyFailed(const char* call) {
    for (const std::string& failed : g_faults.failed)
        if (failed == call) return true;
    return false;
}

struct Case {
    const char* name;
    ReplaceMethod method;
    bool copy;  // Copy from a source file, or WriteAll
};

TEST(Win32FileFaults, AReplacedFileKeepsItsOldBytesOrTakesTheNewOnes) {
    InstallFakes();
    const Case cases[] = {{"write, delete then move", ReplaceMethod::DeleteThenMove, false},
                          {"copy, delete then move", ReplaceMethod::DeleteThenMove, true},
                          {"write, replacing move", ReplaceMethod::ReplacingMove, false},
                          {"copy, replacing move", ReplaceMethod::ReplacingMove, true}};
    std::size_t faults = 0;
    for (const Case& c : cases) {
        for (bool persistent : {false, true}) {
            for (std::size_t n = 1;; ++n) {
                ASSERT_LT(n, 500u) << "the action never ends";
                Win32Folder dir("faults");
                Win32Files files(c.method);
                const std::string target = dir.path() + "layout.dll", source = dir.path() + "source.dll";
                ASSERT_TRUE(files.WriteAll(target, "old bytes"));
                ASSERT_TRUE(files.WriteAll(source, "new bytes"));
                g_faults = Faults{true, persistent, n, 0, {}};
                const bool ok = c.copy ? files.Copy(source, target) : files.WriteAll(target, "new bytes");
                g_faults.active = false;
                SCOPED_TRACE(std::string(c.name) + (persistent ? ", from call " : ", call ") + std::to_string(n) +
                             (g_faults.failed.empty() ? " (none failed)" : ": " + g_faults.failed.front()));
                const auto left = FolderFiles(dir);
                const std::string now = left.count("layout.dll") ? left.at("layout.dll") : "<missing>";
                if (ok) {
                    EXPECT_EQ(now, "new bytes") << "a success that did not replace the file";
                } else if (now != "old bytes") {
                    // Only when the old file cannot even be put back does it keep the name it
                    // stepped aside to, and it is still there.
                    bool kept = false;
                    for (const auto& file : left) kept = kept || (file.first != "layout.dll" && file.second == "old bytes");
                    EXPECT_TRUE(persistent && now == "<missing>" && kept) << "the file holds " << now;
                }
                for (const auto& file : left) {
                    if (file.first == "layout.dll" || file.first == "source.dll") continue;
                    const bool undeletable = AnyFailed("DeleteFileA") || AnyFailed("MoveFileA");
                    EXPECT_TRUE(undeletable) << "left behind: " << file.first << " (" << file.second << ")";
                }
                if (g_faults.failed.empty()) break;
                ++faults;
            }
        }
    }
    std::printf("[   SWEEP  ] Win32 file replacement: %zu injected faults\n", static_cast<std::size_t>(faults));
    EXPECT_GT(faults, 20u);
}

}  // namespace
}  // namespace tastavia
