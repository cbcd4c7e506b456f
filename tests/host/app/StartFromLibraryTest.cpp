// A new layout started from a layout library of another maker: through "Load From..."
// and through Load on an installed layout it cannot open as it is; the left-out window.
#include <gtest/gtest.h>

#include "../layout/KbdFixture.h"
#include "../registry/RegistryFixture.h"
#include "app/LeftOut.h"
#include "layout/LayoutKeys.h"

namespace tastavia {
namespace {

using ui::Answer;

struct StartFrom : test::RegistryFixture, ::testing::Test {
    std::vector<std::string> shownLeftOut;
    std::string Library(const std::string& name) {
        const std::string path = dir / (name + ".dll");
        test::WriteFile(path, test::Fixture(name));
        return path;
    }
    void WatchLeftOut() {
        backend.modalScripts["Form8"] = [this](ui::Form& form) {
            auto& window = static_cast<TForm8&>(form);
            EXPECT_TRUE(window.Edit1.ReadOnly());
            EXPECT_TRUE(window.Edit1.multiLine);
            shownLeftOut.push_back(window.Edit1.Text());
        };
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
        return text;
    }
};

TEST_F(StartFrom, LoadFromTakesALayoutLibraryAndShowsWhatWasLeftOutOnce) {
    WatchLeftOut();
    TForm1& main = Started(kOsWinXp);
    main.Button6.Click();
    main.KeyButton(2).Click();
    main.ListView1.UserClick('#' - 32);  // unsaved: the question comes first
    dialogs().files.push_back(Library("x64"));
    dialogs().answers = {Answer::Yes};
    main.PopupMenu1.ChooseItem(0);
    EXPECT_NE(dialogs().fileDialogs.back().filter.find("*.dll"), std::string::npos);
    const auto shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ui::MessageKind::Confirmation);
    EXPECT_EQ(ReadLayoutKeys(main.Layout()), test::FixtureKeys());
    EXPECT_FALSE(main.HasUnsavedChanges());
    EXPECT_EQ(main.Edit2.Text(), "kbdbunew.dll");
    EXPECT_EQ(shownLeftOut, std::vector<std::string>{Joined(test::kFixtureLeftOut)});

    // A damaged library changes nothing and says why.
    std::string damaged = test::Fixture("x86");
    damaged.resize(damaged.size() / 3);
    test::WriteFile(dir / "cut.dll", damaged);
    dialogs().files.push_back(dir / "cut.dll");
    main.PopupMenu1.ChooseItem(0);
    const auto refused = dialogs().Take();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].kind, ui::MessageKind::Error);
    EXPECT_NE(refused[0].text.find("no keyboard layout library that can be read"), std::string::npos) << refused[0].text;
    EXPECT_EQ(ReadLayoutKeys(main.Layout()), test::FixtureKeys());
    EXPECT_EQ(shownLeftOut.size(), 1u);
}

TEST_F(StartFrom, LoadStartsANewLayoutFromAnInstalledLibraryOfAnotherMakerAndLeavesItAlone) {
    WatchLeftOut();
    MakeSystemDirectories();
    AddLayout("00000402", "Bulgarian", "kbdfx.dll");  // a BASE layout of the system
    TForm1& main = Started(kOsWinXp);
    const std::string installed = SystemFile(main, "kbdfx.dll");
    test::WriteFile(installed, test::Fixture("x86-swapped"));
    main.Button6.Click();
    main.KeyButton(2).Click();
    main.ListView1.UserClick('#' - 32);
    main.ListView2.UserSelect(0);
    ASSERT_TRUE(main.Button5.Enabled());
    dialogs().answers = {Answer::No};  // keep the changes: nothing happens
    main.Button5.Click();
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '#');
    dialogs().answers = {Answer::Yes};
    dialogs().Take();
    main.Button5.Click();
    const auto shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 1u);  // the question, and no refusal
    EXPECT_EQ(shown[0].kind, ui::MessageKind::Confirmation);
    EXPECT_EQ(ReadLayoutKeys(main.Layout()), test::FixtureKeys());
    EXPECT_EQ(main.Edit1.Text(), "Bulgarian (New)");
    EXPECT_EQ(main.Edit2.Text(), "kbdbunew.dll");
    EXPECT_EQ(test::ReadFile(installed), test::Fixture("x86-swapped"));
    EXPECT_EQ(shownLeftOut.size(), 1u);

    // A file that is no layout library at all is refused as before.
    test::WriteFile(installed, "MZ not a library");
    main.ListView2.UserSelect(0);
    main.Button5.Click();
    const auto refused = dialogs().Take();
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.back().kind, ui::MessageKind::Error);
    EXPECT_EQ(shownLeftOut.size(), 1u);
}

TEST_F(StartFrom, TheLeftOutWindowIsOperableFromTheKeyboard) {
    TForm1& main = Started(kOsWinXp);
    TForm8& window = main.Form8();
    window.SetLeftOut("k.dll", {"one", "two"});
    EXPECT_EQ(window.Edit1.Text(), "one\r\ntwo");
    EXPECT_TRUE(window.Button1.isDefault);
    EXPECT_TRUE(window.Button1.isCancel);
    EXPECT_EQ(window.Label1.focusControl, &window.Edit1);
    EXPECT_TRUE(window.Edit1.TabStop());
    // Shown: the list has the focus; Tab goes on to OK, Enter in the list closes.
    backend.modalScripts["Form8"] = [&](ui::Form&) {
        EXPECT_TRUE(window.Edit1.Focused());
        ui::KeyEvent tab;
        tab.keyCode = 0x09;
        EXPECT_EQ(window.Edit1.PressKey(tab), std::string());
        EXPECT_TRUE(window.Button1.Focused());
        window.Edit1.SetFocus();
        ui::KeyEvent enter;
        enter.keyCode = ui::kKeyEnter;
        window.Edit1.PressKey(enter);
        EXPECT_FALSE(window.Showing());
    };
    window.ShowLeftOut("k.dll", {"one"});
    EXPECT_EQ(backend.modalLog, std::vector<std::string>{"Form8"});
}

}  // namespace
}  // namespace tastavia
