// The shared table of the registry's rules, run against Wine's real registry through
// Win32Registry and against the in-memory registry: both must follow it, and agree.
// Plus what only the real registry has: value types, long names, the real roots.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "RegistryCases.h"
#include "platform/Errors.h"
#include "platform/win32/Win32Registry.h"

namespace tastavia::test {
namespace {

constexpr char kScratchParent[] = "Software\\TastaviaTest";

HKEY RootHandle(RootKey root) { return root == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// Sets the key's access list: empty (nobody may open it) or none (everybody may).
bool SetAccessList(HKEY key, bool empty) {
    SECURITY_DESCRIPTOR descriptor;
    ACL acl;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, empty ? &acl : nullptr, FALSE);
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
}

// A fresh key of the real registry, removed with everything in it afterwards.
class RealScratch {
public:
    explicit RealScratch(RootKey root) : root_(root) {
        static int counter = 0;
        base_ = std::string(kScratchParent) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        // Wine reuses process ids: a run that crashed may have left this very key.
        registry_.DeleteKey(root_, base_);
        made_ = registry_.Open(root_, base_, true) != nullptr;
    }
    ~RealScratch() {
        for (const std::string& path : locked_) Unlock(path);
        registry_.DeleteKey(root_, base_);
        std::unique_ptr<RegistryKey> parent = registry_.Open(root_, kScratchParent, false);
        if (parent && parent->SubKeyNames().empty()) {
            parent.reset();
            registry_.DeleteKey(root_, kScratchParent);
        }
    }
    RealScratch(const RealScratch&) = delete;
    RealScratch& operator=(const RealScratch&) = delete;

    bool made() const { return made_; }
    const std::string& base() const { return base_; }
    Win32Registry& registry() { return registry_; }

    void Lock(const std::string& path) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(RootHandle(root_), path.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        EXPECT_TRUE(SetAccessList(key, true));
        RegCloseKey(key);
        locked_.push_back(path);
    }

private:
    void Unlock(const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(RootHandle(root_), path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
        SetAccessList(key, false);
        RegCloseKey(key);
    }

    Win32Registry registry_;
    RootKey root_;
    std::string base_;
    bool made_ = false;
    std::vector<std::string> locked_;
};

class RegistryTableUnderWine : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(RegistryTableUnderWine, RealAndInMemoryRegistriesFollowItAlike) {
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
        SCOPED_TRACE(root == RootKey::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE");
        Names real;
        std::string base;
        {
            SCOPED_TRACE("real registry");
            RealScratch scratch(root);
            ASSERT_TRUE(scratch.made());
            base = scratch.base();
            RegistryScratch s(scratch.registry(), root, base, [&scratch](const std::string& path) { scratch.Lock(path); });
            GetParam().run(s);
            real = s.observations();
        }
        EXPECT_FALSE(Win32Registry().KeyExists(root, base)) << "scratch key left behind";
        Names memory;
        {
            SCOPED_TRACE("in-memory registry");
            memory = RunOnMemory(GetParam(), root);
        }
        EXPECT_EQ(real, memory);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RegistryTableUnderWine, ::testing::ValuesIn(RegistryCases()), RegistryCaseName());

struct RawValue {
    DWORD type;
    std::string bytes;
    bool operator==(const RawValue& o) const { return type == o.type && bytes == o.bytes; }
};

void PrintTo(const RawValue& value, std::ostream* os) {
    *os << "type " << value.type << ", " << value.bytes.size() << " bytes " << ::testing::PrintToString(value.bytes);
}

RawValue QueryRaw(RootKey root, const std::string& path, const char* name) {
    RawValue value{REG_NONE, std::string(64, '\0')};
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {REG_NONE, "<no key>"};
    DWORD size = static_cast<DWORD>(value.bytes.size());
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(&value.bytes[0]), &size) == ERROR_SUCCESS)
        value.bytes.resize(size);
    else
        value = {REG_NONE, "<no value>"};
    RegCloseKey(key);
    return value;
}

void SetRaw(RootKey root, const std::string& path, const char* name, const RawValue& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                             static_cast<DWORD>(value.bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(Win32Registry, MoveKeepsEveryValueWithItsTypeAndBytes) {
    RealScratch scratch(RootKey::LocalMachine);
    ASSERT_TRUE(scratch.made());
    const std::string src = scratch.base() + "\\src\\sub";
    const std::vector<std::pair<const char*, RawValue>> values = {
        {"dword", {REG_DWORD, std::string("\x02\x04\0\0", 4)}},
        {"expand", {REG_EXPAND_SZ, std::string("%SystemRoot%\\kbd.dll\0", 21)}},
        {"multi", {REG_MULTI_SZ, std::string("one\0two\0\0", 9)}},
        {"binary", {REG_BINARY, std::string("\0\xFF\0", 3)}},
    };
    for (const auto& value : values) SetRaw(RootKey::LocalMachine, src, value.first, value.second);
    Win32Registry& registry = scratch.registry();
    std::unique_ptr<RegistryKey> key = registry.Open(RootKey::LocalMachine, src, false);
    ASSERT_TRUE(key);
    // Other types read as their bytes up to the first NUL.
    EXPECT_EQ(key->ReadString("expand"), "%SystemRoot%\\kbd.dll");
    EXPECT_EQ(key->ReadString("multi"), "one");
    EXPECT_EQ(key->ReadString("dword"), "\x02\x04");
    key.reset();
    ASSERT_TRUE(registry.MoveKey(RootKey::LocalMachine, scratch.base() + "\\src", scratch.base() + "\\dst"));
    for (const auto& value : values)
        EXPECT_EQ(QueryRaw(RootKey::LocalMachine, scratch.base() + "\\dst\\sub", value.first), value.second)
            << value.first;
}

// Value names may be far longer than key names (255 characters); a whole path is
// limited instead, to 260 characters through the ANSI functions under Wine.
TEST(Win32Registry, LongValueNamesAndValuesComeWhole) {
    RealScratch scratch(RootKey::CurrentUser);
    ASSERT_TRUE(scratch.made());
    const std::string valueName(1000, 'v');
    const std::string text(70000, 't');
    std::unique_ptr<RegistryKey> key = scratch.registry().Open(RootKey::CurrentUser, scratch.base(), false);
    ASSERT_TRUE(key);
    key->WriteString(valueName, text);
    key->WriteString("w", "short");
    key->WriteString(std::string(300, 'a'), "a");
    EXPECT_EQ(key->ValueNames(), (Names{std::string(300, 'a'), valueName, "w"}));
    EXPECT_EQ(key->ReadString(valueName), text);
}

TEST(Win32Registry, AKeyOpenedForReadingRefusesChanges) {
    RealScratch scratch(RootKey::CurrentUser);
    ASSERT_TRUE(scratch.made());
    Win32Registry& registry = scratch.registry();
    registry.Open(RootKey::CurrentUser, scratch.base(), false)->WriteString("v", "kept");
    std::unique_ptr<RegistryKey> read = registry.OpenForReading(RootKey::CurrentUser, scratch.base());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ReadString("v"), "kept");
    EXPECT_THROW(read->WriteString("v", "changed"), RegistryError);
    EXPECT_FALSE(read->DeleteValue("v"));
    EXPECT_EQ(read->ReadString("v"), "kept");
    EXPECT_EQ(registry.OpenForReading(RootKey::CurrentUser, scratch.base() + "\\missing"), nullptr);
}

// Each change beneath the key is told once, what was changed while the watcher read too.
TEST(Win32Registry, AWatchTellsEachChangeBeneathTheKeyOnce) {
    RealScratch scratch(RootKey::CurrentUser);
    ASSERT_TRUE(scratch.made());
    Win32Registry& registry = scratch.registry();
    const std::string sub = scratch.base() + "\\00050402";
    registry.Open(RootKey::CurrentUser, sub, true)->WriteString("layout text", "A");
    std::unique_ptr<RegistryWatch> watch = registry.Watch(RootKey::CurrentUser, scratch.base());
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->Changed());
    const std::function<void()> changes[] = {
        [&] { registry.Open(RootKey::CurrentUser, sub, false)->WriteString("layout text", "B"); },
        [&] { registry.Open(RootKey::CurrentUser, sub, false)->DeleteValue("layout text"); },
        [&] { registry.Open(RootKey::CurrentUser, sub + "\\deeper", true); },
        [&] { registry.DeleteKey(RootKey::CurrentUser, sub); },
    };
    for (const auto& change : changes) {
        change();
        EXPECT_TRUE(watch->Changed());
        EXPECT_FALSE(watch->Changed());
    }
    EXPECT_EQ(registry.Watch(RootKey::CurrentUser, scratch.base() + "\\missing"), nullptr);
}

TEST(Win32Registry, RootsAreTheRealOnes) {
    Win32Registry registry;
    EXPECT_TRUE(registry.KeyExists(RootKey::Users, ".DEFAULT"));
    EXPECT_TRUE(registry.KeyExists(RootKey::LocalMachine, "System\\CurrentControlSet\\Control"));
    RealScratch scratch(RootKey::CurrentUser);
    ASSERT_TRUE(scratch.made());
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, scratch.base()));
}

}  // namespace
}  // namespace tastavia::test
