// The in-memory registry held to the shared table of the registry's rules, and the
// tree operations under failures that only the in-memory registry can make happen.
#include <gtest/gtest.h>

#include "RegistryCases.h"
#include "platform/RegistryTree.h"

namespace tastavia::test {
namespace {

class MemoryRegistryCases : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(MemoryRegistryCases, FollowTheTable) { RunOnMemory(GetParam(), RootKey::LocalMachine); }

INSTANTIATE_TEST_SUITE_P(Table, MemoryRegistryCases, ::testing::ValuesIn(RegistryCases()), RegistryCaseName());

constexpr RootKey kRoot = RootKey::LocalMachine;

// A source tree of three levels with values at each, as a layout key might have.
struct MoveFixture : ::testing::Test {
    MemoryRegistry registry;
    RegistryScratch s{registry, kRoot, "keyboard layouts", [](const std::string&) {}};
    Names before;  // the whole scratch key
    Names source;  // the tree at src

    void SetUp() override {
        s.Make("src", {{"Layout File", "KBDBG.DLL"}, {"Layout Text", "Bulgarian"}});
        s.Make("src\\a\\deep", {{"x", "1"}});
        s.Make("src\\b", {{"y", "2"}, {"z", "3"}});
        s.Make("src\\c", {{"", "4"}});
        before = s.Tree("");
        source = s.Tree("src");
    }
    void ExpectNothingChanged() { EXPECT_EQ(s.Tree(""), before); }
};

TEST_F(MoveFixture, ACopyThatFailsHalfWayLeavesTheSourceAndNoPartialTarget) {
    registry.Deny(kRoot, s.Path("dst\\b"), RegistryOperation::Create);
    EXPECT_FALSE(s.Move("src", "dst"));
    ExpectNothingChanged();
    registry.AllowAll();
    registry.Deny(kRoot, s.Path("dst\\c"), RegistryOperation::Write);
    EXPECT_FALSE(s.Move("src", "dst"));
    ExpectNothingChanged();
    // The keys made on the way to a deeper target go as well.
    registry.Deny(kRoot, s.Path("new\\deeper\\dst\\c"), RegistryOperation::Write);
    EXPECT_FALSE(s.Move("src", "new\\deeper\\dst"));
    ExpectNothingChanged();
    registry.AllowAll();
    EXPECT_TRUE(s.Move("src", "new\\deeper\\dst"));
    EXPECT_EQ(s.Tree("new\\deeper\\dst"), source);
    EXPECT_FALSE(s.Exists("src"));
}

TEST_F(MoveFixture, ASourceThatCannotBeDeletedInFullIsPutBack) {
    // Subkeys go in order, so "a" is gone by the time "b" refuses.
    registry.Deny(kRoot, s.Path("src\\b"), RegistryOperation::Delete);
    EXPECT_FALSE(s.Move("src", "dst"));
    ExpectNothingChanged();
    registry.AllowAll();
    registry.Deny(kRoot, s.Path("src"), RegistryOperation::Delete);
    EXPECT_FALSE(s.Move("src", "dst"));
    ExpectNothingChanged();
}

TEST(MemoryRegistry, DeniedWritesThrowAndDeniedDeletesKeepTheKey) {
    MemoryRegistry registry;
    RegistryScratch s(registry, kRoot, "base", [](const std::string&) {});
    s.Make("k", {{"v", "1"}});
    s.Make("k\\child");
    std::unique_ptr<RegistryKey> key = s.Open("K");
    ASSERT_TRUE(key);
    registry.Deny(kRoot, s.Path("k"), RegistryOperation::Write);
    registry.Deny(kRoot, s.Path("k"), RegistryOperation::Delete);
    EXPECT_THROW(key->WriteString("v", "2"), RegistryError);
    EXPECT_THROW(s.Open("k", true)->WriteString("w", "2"), RegistryError);
    EXPECT_FALSE(key->DeleteValue("v"));
    EXPECT_FALSE(s.Delete("k"));
    // Only that key: its subkey still takes writes.
    s.Make("k\\child", {{"w", "3"}});
    EXPECT_EQ(s.Tree(""), (Names{".", "k", "k: v=1", "k\\child", "k\\child: w=3"}));
}

TEST(MemoryRegistry, DeniedCreationOnlyStopsNewKeys) {
    MemoryRegistry registry;
    registry.Open(kRoot, "existing", true);
    registry.Deny(kRoot, "existing", RegistryOperation::Create);
    registry.Deny(kRoot, "a\\b", RegistryOperation::Create);
    EXPECT_TRUE(registry.Open(kRoot, "EXISTING", true));
    EXPECT_FALSE(registry.Open(kRoot, "a\\b\\c", true));
    EXPECT_FALSE(registry.KeyExists(kRoot, "a\\b"));
    registry.AllowAll();
    EXPECT_TRUE(registry.Open(kRoot, "a\\b\\c", true));
}

TEST(MemoryRegistry, RootsAreSeparateAndNeverDeletedOrMoved) {
    MemoryRegistry registry;
    registry.Open(RootKey::CurrentUser, "Keyboard Layout\\Preload", true)->WriteString("1", "00000402");
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, "Keyboard Layout"));
    EXPECT_FALSE(registry.KeyExists(RootKey::Users, "Keyboard Layout"));
    EXPECT_FALSE(registry.DeleteKey(RootKey::CurrentUser, ""));
    EXPECT_FALSE(registry.DeleteKey(RootKey::CurrentUser, "\\"));
    EXPECT_FALSE(registry.MoveKey(RootKey::CurrentUser, "", "moved"));
    EXPECT_FALSE(registry.MoveKey(RootKey::CurrentUser, "Keyboard Layout", "\\"));
    EXPECT_EQ(registry.Open(RootKey::CurrentUser, "keyboard layout\\preload", false)->ReadString("1"), "00000402");
    EXPECT_EQ(registry.Open(RootKey::CurrentUser, "", false)->SubKeyNames(), Names{"Keyboard Layout"});
}

TEST(RegistryPaths, NormalizeAndCompareAsTheRegistryDoes) {
    EXPECT_EQ(NormalizeKeyPath("\\a\\b\\"), "a\\b");
    EXPECT_EQ(NormalizeKeyPath("a\\\\\\b"), "a\\b");
    EXPECT_EQ(NormalizeKeyPath("\\\\"), "");
    EXPECT_TRUE(IsKeyPathWithin("A\\b\\C", "a\\B"));
    EXPECT_TRUE(IsKeyPathWithin("a\\b\\", "A\\B"));
    EXPECT_FALSE(IsKeyPathWithin("a\\bc", "a\\b"));
    EXPECT_FALSE(IsKeyPathWithin("a", "a\\b"));
    // Only ASCII letters fold.
    EXPECT_TRUE(SameKeyName("Layout Text", "LAYOUT text"));
    EXPECT_FALSE(SameKeyName("\xE0", "\xC0"));
}

}  // namespace
}  // namespace tastavia::test
