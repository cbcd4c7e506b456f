// The edited layout's unsaved changes: what counts as one, the question before an action
// drops them, the status line, and the INI files that hold no layout.
#include <gtest/gtest.h>

#include "../registry/RegistryFixture.h"

namespace tastavia {
namespace {

using ui::Answer;

struct UnsavedFixture : test::RegistryFixture {
    // An installed layout "Mine", opened for editing and unchanged.
    TForm1& Installed() {
        MakeSystemDirectories();
        TForm1& main = Started(kOsWinXp);
        main.Button6.Click();
        main.Edit1.TypeText("Mine");
        EXPECT_EQ(main.SaveLayoutToSystem(true)[0], '0');
        return main;
    }
    void ChangeKey(TForm1& main, KeyNumber key, std::uint8_t c) {
        if (main.CurrentKey() != key) main.KeyButton(key).Click();
        main.ListView1.UserClick(c - 32);
    }
    std::vector<std::string> Questions() {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs().Take())
            if (shown.kind == ui::MessageKind::Confirmation) texts.push_back(shown.text);
        return texts;
    }
};

struct Unsaved : UnsavedFixture, ::testing::Test {};

TEST_F(Unsaved, ChangesCountUntilInstalledOrExportedAndTheStatusLineShowsThem) {
    TForm1& main = Installed();
    EXPECT_FALSE(main.HasUnsavedChanges());
    EXPECT_NE(main.Label3.Caption(), kUnsavedChangesText);
    const std::uint8_t before = main.Layout().ReadKeyChar(15, ShiftState::Unshifted);
    ChangeKey(main, 15, 'q');
    EXPECT_TRUE(main.HasUnsavedChanges());
    EXPECT_EQ(main.Label3.Caption(), kUnsavedChangesText);
    EXPECT_EQ(main.Edit2.Text(), "kbdbunew.dll");  // the described texts stay as they are
    ChangeKey(main, 15, before);  // changed back by hand: nothing left to lose
    EXPECT_FALSE(main.HasUnsavedChanges());
    EXPECT_NE(main.Label3.Caption(), kUnsavedChangesText);

    main.SpeedButton51.Click();  // a Caps-Lock flag is a change too
    EXPECT_TRUE(main.HasUnsavedChanges());
    dialogs().answers = {Answer::Ok};
    EXPECT_EQ(main.SaveLayoutToSystem(true)[0], '4');  // installed: kept
    EXPECT_FALSE(main.HasUnsavedChanges());

    ChangeKey(main, 16, 'w');
    main.Button1.Click();
    dialogs().files.push_back(dir / "out.ini");
    main.PopupMenu1.ChooseItem(1);  // exported: kept
    EXPECT_FALSE(main.HasUnsavedChanges());
    EXPECT_NE(main.Label3.Caption(), kUnsavedChangesText);
}

TEST_F(Unsaved, EveryActionThatDropsChangesAsksOnceAndNoKeepsThem) {
    struct Case {
        const char* action;
        std::function<void(UnsavedFixture&, TForm1&)> run;
    };
    const Case cases[] = {
        {"New", [](UnsavedFixture&, TForm1& m) { m.Button6.Click(); }},
        {"Load", [](UnsavedFixture&, TForm1& m) { m.Button5.Click(); }},
        {"Close", [](UnsavedFixture&, TForm1& m) { m.Button2.Click(); }},
        {"title bar close", [](UnsavedFixture&, TForm1& m) { m.ClosedByUser(); }},
        {"BDS", [](UnsavedFixture&, TForm1& m) { m.PopupMenu2.ChooseItem(0); }},
        {"Phonetic", [](UnsavedFixture&, TForm1& m) { m.PopupMenu2.ChooseItem(1); }},
        {"Load From...",
         [](UnsavedFixture& f, TForm1& m) {
             test::WriteFile(f.dir / "in.ini", "[KBD]\r\n2=50\r\n");
             f.dialogs().files.push_back(f.dir / "in.ini");
             m.PopupMenu1.ChooseItem(0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        UnsavedFixture f;
        TForm1& main = f.Installed();
        f.ChangeKey(main, 2, '#');
        const std::string working = main.Layout().WorkingPath();
        f.dialogs().answers = {Answer::No};
        c.run(f, main);
        EXPECT_EQ(f.Questions(), std::vector<std::string>{kDiscardQuestion});
        EXPECT_TRUE(main.Showing());
        EXPECT_EQ(main.Layout().WorkingPath(), working);
        EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '#');
        EXPECT_TRUE(main.HasUnsavedChanges());

        f.dialogs().answers = {Answer::Yes};
        c.run(f, main);
        EXPECT_EQ(f.Questions(), std::vector<std::string>{kDiscardQuestion});
        EXPECT_TRUE(!main.Showing() || main.Layout().ReadKeyChar(2, ShiftState::Unshifted) != '#');
    }
}

TEST_F(Unsaved, WithoutChangesNothingIsAskedAndTheWizardNeverAsks) {
    TForm1& main = Installed();
    main.Button6.Click();
    main.Edit1.TypeText("Mine");
    main.Button5.Click();
    main.PopupMenu2.ChooseItem(1);  // Phonetic
    EXPECT_TRUE(Questions().empty());

    ChangeKey(main, 2, '#');
    MainWindowWizardHost host(main);
    host.ApplyBdsLayout();
    host.NewLayout();
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '1');  // a fresh template
    main.Button2.Click();
    EXPECT_TRUE(Questions().empty());
    EXPECT_FALSE(main.Showing());
}

TEST_F(Unsaved, AnIniFileWithoutALayoutSaysSoAndChangesNothing) {
    TForm1& main = Installed();
    ChangeKey(main, 2, '#');
    test::WriteFile(dir / "other.ini", "[Other]\r\n1=65\r\n[kbd]\r\n");
    for (const std::string& path : {dir / "other.ini", dir / "missing.ini"}) {
        dialogs().files.push_back(path);
        main.PopupMenu1.ChooseItem(0);
        const auto shown = dialogs().Take();
        ASSERT_EQ(shown.size(), 1u);  // no question: nothing would go
        EXPECT_EQ(shown[0].kind, ui::MessageKind::Error);
        EXPECT_NE(shown[0].text.find(path), std::string::npos);
    }
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '#');
    EXPECT_EQ(main.KeyButton(1).Caption(), "`");
}

TEST_F(Unsaved, TheInstalledLayoutListShowsEachEntryWholeUnderTheMouse) {
    AddLayout("00000402", "Bulgarian", "KBDBU.KBD");
    AddLayout("00050402", "Bulgarian (Phonetic, traditional layout for typewriters)", "kbdbuph.dll");
    TForm1& main = Started(kOsWinXp);
    ASSERT_EQ(main.ListView2.Count(), 2);
    main.ListView2.UserHover(1);
    EXPECT_EQ(main.ListView2.Hint(), "Bulgarian (Phonetic, traditional layout for typewriters)\r\nFile: kbdbuph.dll");
    main.ListView2.UserHover(0);
    EXPECT_EQ(main.ListView2.Hint(), "Bulgarian\r\nFile: KBDBU.KBD\r\nBASE: a layout of Windows itself");
    main.ListView2.UserHover(-1);
    EXPECT_EQ(main.ListView2.Hint(), "");
}

}  // namespace
}  // namespace tastavia
