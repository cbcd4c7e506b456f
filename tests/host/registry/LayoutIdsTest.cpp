// Every new layout gets a layout id no other layout holds.
#include <gtest/gtest.h>

#include "RegistryFixture.h"
#include "registry/LayoutIds.h"

namespace tastavia {
namespace {

TEST(LayoutIds, TheFirstFreeFrom00c0Up) {
    struct Case {
        std::vector<std::string> taken;
        std::string expected;
    } cases[] = {
        {{}, "00c0"},
        {{"0001", "0002", "00bf", "0402"}, "00c0"},  // the system's own, below
        {{"00c0", "00c1", "00c3"}, "00c2"},          // a gap is reused
        {{"00C0", "00c1"}, "00c2"},                  // case does not matter
        {{"c0", "00c0x", " 0c0", "zzzz", "", "000000c0", "00c0"}, "00c1"},  // garbage holds nothing
    };
    for (const Case& c : cases) EXPECT_EQ(FirstFreeLayoutId(c.taken), c.expected) << c.expected;
    std::vector<std::string> all;
    for (unsigned id = 0xc0; id <= 0xffff; ++id) {
        char text[8];
        std::snprintf(text, sizeof text, "%04X", id);
        all.push_back(text);
    }
    EXPECT_EQ(FirstFreeLayoutId(all), std::nullopt);
}

struct LayoutIdInstall : test::RegistryFixture, ::testing::Test {};

TEST_F(LayoutIdInstall, EachNewLayoutGetsItsOwnAndOldOnesKeepTheirs) {
    AddLayout("00010402", "Bulgarian (Typewriter)", "kbdbu.dll");
    registry.Open(RootKey::LocalMachine, test::kLayouts + "00010402", false)->WriteString("layout id", "00C0");
    AddLayout("00070402", "Old one", "old.dll");
    registry.Open(RootKey::LocalMachine, test::kLayouts + "00070402", false)->WriteString("layout id", "0402");
    AddLayout("00080402", "Garbage", "garbage.dll");
    registry.Open(RootKey::LocalMachine, test::kLayouts + "00080402", false)->WriteString("layout id", "00c1\x01");
    MakeSystemDirectories();
    TForm1& main = Started(kOsWinXp);
    for (const char* name : {"First", "Second"}) {
        main.Button6.Click();
        main.Edit1.TypeText(name);
        main.Edit2.TypeText(std::string(name) + ".dll");
        ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    }
    EXPECT_EQ(Value("00050402", "layout id"), "00c1");
    EXPECT_EQ(Value("00060402", "layout id"), "00c2");
    EXPECT_EQ(Value("00070402", "layout id"), "0402");
}

}  // namespace
}  // namespace tastavia
