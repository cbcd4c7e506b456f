// A 64-bit Windows, as a 64-bit Wine prefix gives it (windows64-under-wine.sh runs these
// there with the 64-bit checker at hand; elsewhere they are skipped): the main window
// installs a layout, a 64-bit process finds it in System32 and this 32-bit one in
// SysWOW64 with every key as in the working file; replacing, loading back and deleting
// it leave nothing behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "DamagedLibraries.h"
#include "LongPointerTables.h"
#include "WineMainWindow.h"
#include "layout/Charset.h"
#include "layout/LayoutShape.h"

namespace tastavia {
namespace {

const char* const kFileName = "tastavia-x64.dll";
const char* const kLayoutName = "Tastavia x64";
using Descriptor = const longptr::KbdTables*(WINAPI*)();

// Runs the 64-bit checker on the installed library; its output goes into the test log.
int RunChecker(const std::string& checker, const std::string& expectedPath, const std::string& library = kFileName,
               const std::string& more = "") {
    std::string command = "\"" + checker + "\" \"" + library + "\" \"" + expectedPath + "\"" + more;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, 300000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The WOW64 library as a 32-bit process loads it, walked with 8-byte pointers: at its
// own base, then with that base taken so that every relocation must be right.
std::vector<std::string> WalkWow64(const std::string& path, const std::vector<longptr::ExpectedKey>& keys) {
    std::vector<std::string> findings;
    void* taken = nullptr;
    for (int pass = 0; pass < 2; ++pass) {
        HMODULE module = LoadLibraryA(path.c_str());
        if (!module) return {"LoadLibrary failed"};
        const auto* begin = reinterpret_cast<const std::uint8_t*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(begin + reinterpret_cast<const IMAGE_DOS_HEADER*>(module)->e_lfanew);
        const DWORD base = nt->OptionalHeader.ImageBase;
        if (pass == 1 && reinterpret_cast<DWORD>(module) == base) findings.push_back("not relocated");
        auto proc = reinterpret_cast<Descriptor>(reinterpret_cast<void (*)()>(GetProcAddress(module, "KbdLayerDescriptor")));
        if (!proc) {
            findings.push_back("no KbdLayerDescriptor");
        } else {
            longptr::Walker walker(begin, begin + nt->OptionalHeader.SizeOfImage);
            for (const std::string& finding : walker.Compare(proc(), keys)) findings.push_back(finding);
        }
        FreeLibrary(module);
        if (pass == 0) taken = VirtualAlloc(reinterpret_cast<void*>(base), 0x10000, MEM_RESERVE, PAGE_NOACCESS);
        if (!taken) break;
    }
    if (taken) VirtualFree(taken, 0, MEM_RELEASE);
    else findings.push_back("the preferred base could not be taken");
    return findings;
}

struct Windows64 : test::WineMainWindowWith<Win32OsVersion>, ::testing::Test {
    std::string checker;
    std::string native, wow64, expected;

    std::string InstalledKey() {
        for (const CatalogueRecord& record : main.CatalogueRecords())
            if (record.File() == kFileName) return record.KeyName();
        return "";
    }
    // The working file's keys, written where the 64-bit checker reads them.
    std::vector<longptr::ExpectedKey> WorkingKeys() {
        std::vector<longptr::ExpectedKey> keys;
        for (KeyNumber k = 1; k <= kKeyCount; ++k) {
            WorkingLayout& layout = main.Layout();
            keys.push_back({k, Key(k).scanCode, CharToUnicode(layout.ReadKeyChar(k, ShiftState::Unshifted)).Value(),
                            CharToUnicode(layout.ReadKeyChar(k, ShiftState::Shifted)).Value(),
                            layout.ReadCapsFlag(k) ? 1u : 0u});
        }
        files.WriteAll(expected, longptr::FormatKeys(keys));
        return keys;
    }
    void ExpectInstalledAsWorking(const char* when) {
        SCOPED_TRACE(when);
        const std::vector<longptr::ExpectedKey> keys = WorkingKeys();
        EXPECT_EQ(RunChecker(checker, expected), 0) << "the 64-bit process finds other keys";
        for (const std::string& finding : WalkWow64(wow64, keys)) ADD_FAILURE() << "SysWOW64: " << finding;
    }

    void SetUp() override {
        const char* path = std::getenv("TASTAVIA_CHECKER64");
        if (!path) GTEST_SKIP() << "for the 64-bit prefix only";
        checker = path;
        ASSERT_EQ(osVersion.Get().machine, Machine::X64) << "Wine runs no 64-bit prefix here";
        native = files.SystemFolderPath(SystemFolder::Native64) + kFileName;
        wow64 = files.SystemFolderPath(SystemFolder::Wow64) + kFileName;
        expected = files.TempPath() + "tastavia-x64-keys.txt";
        Start();
        RemoveTraces();  // of a run that was cut short
        main.Button8.Click();
    }
    void RemoveTraces() {
        for (std::string key = InstalledKey(); !key.empty(); key = InstalledKey()) {
            registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + key);
            main.Button8.Click();
        }
        registry.DeleteKey(RootKey::LocalMachine, std::string(kKeyboardLayoutsKey) + "00F80402");
        files.Delete(native);
        files.Delete(wow64);
        files.Delete(expected);
    }
    std::string LastMessage() const { return backend.dialogs.shown.empty() ? "" : backend.dialogs.shown.back().text; }
    void TearDown() override {
        if (checker.empty()) return;
        RemoveTraces();
        main.Close();
    }
};

TEST_F(Windows64, InstallReplaceLoadAndDeleteALayout) {
    main.Button6.Click();
    main.BDS1Click();
    main.Edit1.TypeText(kLayoutName);
    main.Edit2.TypeText(kFileName);
    main.Button4.Click();
    ASSERT_EQ(LastMessage(), "Layout successful added!");
    EXPECT_EQ(native.substr(1), ":\\windows\\Sysnative\\" + std::string(kFileName));
    ASSERT_TRUE(files.Exists(native));
    ASSERT_TRUE(files.Exists(wow64));
    EXPECT_NE(files.ReadAll(native), files.ReadAll(wow64)) << "one shape for both folders";
    ExpectInstalledAsWorking("added");

    // Replaced: both copies take the edit.
    main.KeyButton(16).Click();
    main.ListView1.UserClick(65 - 32);
    backend.dialogs.answers = {ui::Answer::Yes, ui::Answer::Ok};  // despite the check; replace
    main.Button4.Click();
    ASSERT_EQ(LastMessage(), "Layout successful replaced!");
    ExpectInstalledAsWorking("replaced");
    const std::vector<longptr::ExpectedKey> installed = WorkingKeys();

    // Loaded back from System32 into a working file of the XP kind.
    LoadInstalled(kLayoutName, kFileName);
    EXPECT_EQ(main.KeyButton(16).Caption(), "A");
    EXPECT_EQ(longptr::FormatKeys(WorkingKeys()), longptr::FormatKeys(installed));

    const std::string key = InstalledKey();
    backend.dialogs.answers = {ui::Answer::Yes, ui::Answer::Yes};
    main.Button9.Click();
    EXPECT_EQ(LastMessage(), "Layout successfuly deleted!");
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey + key));
    EXPECT_FALSE(files.Exists(native));
    EXPECT_FALSE(files.Exists(wow64));
}

TEST_F(Windows64, ALibraryOfAnotherShapeIsNotLoaded) {
    // The system's own layouts have shapes of their own: one stands in here.
    ASSERT_TRUE(files.WriteAll(native, std::string(5632, 'M')));
    ASSERT_TRUE(files.Exists(native));
    main.Button6.Click();
    const std::string working = main.Layout().WorkingPath();
    const auto before = files.ReadAll(working);
    {
        auto k = registry.Open(RootKey::LocalMachine, std::string(kKeyboardLayoutsKey) + "00F80402", true);
        ASSERT_TRUE(k);
        k->WriteString("layout text", kLayoutName);
        k->WriteString("layout file", kFileName);
    }
    main.Button8.Click();
    main.Edit1.TypeText(kLayoutName);
    main.Edit2.TypeText(kFileName);
    ASSERT_TRUE(main.Button5.Enabled());
    main.Button5.Click();
    ASSERT_FALSE(backend.dialogs.shown.empty());
    EXPECT_EQ(backend.dialogs.shown.back().kind, ui::MessageKind::Error);
    EXPECT_NE(LastMessage().find("layout library"), std::string::npos) << LastMessage();
    EXPECT_EQ(main.Layout().WorkingPath(), working);
    EXPECT_EQ(files.ReadAll(working), before);
}

// Every damaged copy of the x64 library that the check accepts loads in a 64-bit process,
// at its base and relocated, with every key of the template (the working file of New).
TEST_F(Windows64, EveryDamagedX64LibraryTheCheckAcceptsLoadsAndWalks) {
    main.Button6.Click();
    WorkingKeys();
    HRSRC found = FindResourceA(nullptr, "WINX64", MAKEINTRESOURCEA(10));
    ASSERT_NE(found, nullptr);
    const std::string good(static_cast<const char*>(LockResource(LoadResource(nullptr, found))), SizeofResource(nullptr, found));
    const std::string folder = files.TempPath() + "tastavia-damaged\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string first = folder + "good.dll";
    ASSERT_TRUE(files.WriteAll(first, good));
    std::string more;
    std::vector<std::string> written{first};
    int accepted = 0;
    for (const test::DamagedLibrary& d : test::LibraryDamager(good).All()) {
        if (!HasLayoutShape(d.bytes, kOsX64)) continue;
        EXPECT_FALSE(d.mustRefuse) << d.what;
        const std::string path = folder + std::to_string(++accepted) + ".dll";
        ASSERT_TRUE(files.WriteAll(path, d.bytes));
        written.push_back(path);
        more += " \"" + path + "\"";
        std::printf("%s: %s\n", path.c_str(), d.what.c_str());
    }
    EXPECT_GT(accepted, 0);
    EXPECT_EQ(RunChecker(checker, expected, first, more), 0) << "a library the check accepts does not load and walk";
    for (const std::string& path : written) files.Delete(path);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace tastavia
