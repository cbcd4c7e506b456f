// Use it now, stop using it and delete: the current user's input list over the
// in-memory registry, with input functions that record their calls.
#include <gtest/gtest.h>

#include "RegistryFixture.h"
#include "platform/memory/RecordingKeyboardInput.h"
#include "registry/UserInputList.h"

namespace tastavia {
namespace {

using ui::Answer;
const std::string kPreload = "keyboard layout\\preload";
const std::string kSubstitutes = "keyboard layout\\substitutes";

struct InputList : test::RegistryFixture, ::testing::Test {
    RecordingKeyboardInput input{registry};

    TForm1& StartedOn(std::uint32_t major, std::uint32_t minor = 0) {
        osVersion.info = OsVersionInfo{2, major, minor, 2600, ""};
        platform.input = &input;
        MakeSystemDirectories();
        return Started(kOsWinXp);
    }
    // Installs a layout as Save does, answering the offer to use it now.
    void Install(TForm1& main, const std::string& name, Answer useNow) {
        main.Button6.Click();
        main.Edit1.TypeText(name);
        main.Edit2.TypeText(name + ".dll");
        dialogs().answers = {Answer::Ok, useNow, Answer::Ok};
        main.Button4.Click();
    }
    void Select(TForm1& main, const std::string& name) {
        main.Edit1.TypeText(name);
        main.Edit2.TypeText(name + (main.Layout().WorkingPath().empty() ? ".kbd" : ".dll"));
    }
    std::string List(const std::string& path) {
        std::string text;
        if (auto key = registry.OpenForReading(RootKey::CurrentUser, path))
            for (const std::string& name : key->ValueNames()) text += name + "=" + key->ReadString(name) + ";";
        return text;
    }
    bool Shown(const std::string& start) {
        for (const auto& box : dialogs().shown)
            if (box.text.rfind(start, 0) == 0) return true;
        return false;
    }
};

TEST_F(InputList, OnXpUseItNowAddsASecondBulgarianLayoutAndStopUsingItTakesItOut) {
    TForm1& main = StartedOn(5, 1);
    auto preload = registry.Open(RootKey::CurrentUser, kPreload, true);
    preload->WriteString("1", "00000409");
    preload->WriteString("2", "00000402");
    Install(main, "First", Answer::Yes);
    EXPECT_TRUE(Shown("Layout successful added!"));
    EXPECT_TRUE(Shown("Use the new layout now?"));
    EXPECT_EQ(List(kPreload), "1=00000409;2=00000402;3=d0010402;");
    EXPECT_EQ(List(kSubstitutes), "d0010402=00050402;");
    EXPECT_EQ(input.calls, std::vector<std::string>{"Load 00050402"});
    EXPECT_EQ(input.loaded, std::vector<std::uint32_t>{0xF0C00402u});
    EXPECT_EQ(Captions(main), std::vector<std::string>{"First - (First.dll) - [IN USE]"});
    EXPECT_EQ(main.Label4.Caption(), "In use: Stop using it first (the list's menu)");

    Install(main, "Second", Answer::Yes);  // the next substitute and slot
    EXPECT_EQ(List(kPreload), "1=00000409;2=00000402;3=d0010402;4=d0020402;");
    EXPECT_EQ(List(kSubstitutes), "d0010402=00050402;d0020402=00060402;");

    Select(main, "First");
    dialogs().answers = {Answer::Ok};
    main.LayoutListMenu.ChooseItem(1);  // Stop using it
    EXPECT_EQ(List(kPreload), "1=00000409;2=00000402;3=d0020402;");
    EXPECT_EQ(List(kSubstitutes), "d0020402=00060402;");
    EXPECT_EQ(input.loaded, std::vector<std::uint32_t>{0xF0C10402u});
    EXPECT_EQ(Buttons(main), "111");

    // Deleted with nothing of it left.
    dialogs().answers = {Answer::Yes, Answer::Yes, Answer::Ok};
    main.Button9.Click();
    EXPECT_EQ(Value("00050402", "layout file"), "<no key>");
    EXPECT_EQ(List(kSubstitutes).find("00050402"), std::string::npos);
}

TEST_F(InputList, TheOfferCanBeDeclinedAndIsNotMadeWhereNothingCanBeUsed) {
    TForm1& main = StartedOn(5, 0);
    Install(main, "First", Answer::No);
    EXPECT_TRUE(Shown("Use the new layout now?"));
    EXPECT_TRUE(input.calls.empty());
    EXPECT_EQ(List(kPreload), "");
    // Without input functions nothing is offered, and the boxes are as before.
    platform.input = nullptr;
    dialogs().shown.clear();
    Install(main, "Second", Answer::Ok);
    EXPECT_FALSE(Shown("Use the new layout now?"));
}

TEST_F(InputList, OnWindows10InstallLayoutOrTipDoesItAndItsProfileMarksTheLayoutInUse) {
    TForm1& main = StartedOn(10);
    Install(main, "First", Answer::Yes);
    EXPECT_EQ(input.calls, (std::vector<std::string>{"Install 0402:00050402", "Load 00050402"}));
    EXPECT_EQ(List(kPreload), "");
    // What Windows 8 to 11 write for it.
    registry.Open(RootKey::CurrentUser, std::string(kUserProfileKey) + "\\bg-BG", true)
        ->WriteString("0402:00050402", "1");
    main.Button8.Click();
    EXPECT_EQ(Captions(main), std::vector<std::string>{"First - (First.dll) - [IN USE]"});

    input.calls.clear();
    dialogs().answers = {Answer::Ok};
    main.LayoutListMenu.ChooseItem(1);
    EXPECT_EQ(input.calls, (std::vector<std::string>{"Uninstall 0402:00050402", "Unload 4039115778"}));
    EXPECT_TRUE(input.loaded.empty());
}

TEST_F(InputList, AMissingInstallLayoutOrTipIsSaidAndTheLayoutStillLoads) {
    TForm1& main = StartedOn(6, 1);
    input.tip = KeyboardInput::TipResult::Missing;
    Install(main, "First", Answer::Yes);
    EXPECT_TRUE(Shown("This Windows has no InstallLayoutOrTip"));
    EXPECT_EQ(input.loaded.size(), 1u);
    input.tip = KeyboardInput::TipResult::Failed;
    dialogs().answers = {Answer::Ok};
    main.LayoutListMenu.ChooseItem(1);
    EXPECT_TRUE(Shown("Windows refused to take the layout out"));
}

TEST_F(InputList, OnWindows9xTheCommandsPointToTheLanguages) {
    osVersion.info = OsVersionInfo{1, 4, 10, 2222, ""};
    platform.input = &input;
    AddLayout("00050402", "Mine", "mine.kbd");
    TForm1& main = Started(kOsWin9x);
    Select(main, "Mine");
    dialogs().answers = {Answer::Ok};
    main.LayoutListMenu.ChooseItem(0);
    EXPECT_TRUE(Shown("On Windows 95, 98 and ME"));
    EXPECT_TRUE(input.calls.empty());
}

// Forget renumbers Preload from 1 without a gap and leaves other entries alone.
TEST(UserInputListForget, RemovesEveryEntryNamingTheLayout) {
    MemoryRegistry registry;
    auto preload = registry.Open(RootKey::CurrentUser, kPreload, true);
    for (auto [name, id] : {std::pair{"1", "00000409"}, {"2", "D0010402"}, {"3", "00000402"}, {"5", "0000040c"},
                            {"x", "d0010402"}})
        preload->WriteString(name, id);
    auto substitutes = registry.Open(RootKey::CurrentUser, kSubstitutes, true);
    for (auto [name, key] : {std::pair{"d0010402", "00050402"}, {"d0020402", "00050402"}, {"d0030402", "00060402"}})
        substitutes->WriteString(name, key);
    UserInputList(registry, nullptr, InputListKind::Preload).Forget("00050402");
    std::string text;
    for (const std::string& name : preload->ValueNames()) text += name + "=" + preload->ReadString(name) + ";";
    EXPECT_EQ(text, "1=00000409;2=00000402;3=0000040c;x=d0010402;");  // "x" is no slot of the list
    EXPECT_EQ(substitutes->ValueNames(), std::vector<std::string>{"d0030402"});
    EXPECT_EQ(LayoutHandle("00c1"), 0xF0C10402u);
    EXPECT_EQ(LayoutHandle("0402"), 0xF4020402u);
    EXPECT_EQ(LayoutHandle("c1"), 0u);
}

}  // namespace
}  // namespace tastavia
