// The main window's key editor, driven through the widget model.
#include <gtest/gtest.h>

#include "AppFixture.h"

namespace tastavia {
namespace {

using test::AppFixture;
using test::FileExists;
constexpr auto kUp = ShiftState::Unshifted;
constexpr auto kDown = ShiftState::Shifted;

struct Editor : AppFixture, ::testing::Test {
    TForm1& New(OsKind kind) {
        TForm1& main = Started(kind);
        main.Button6.Click();
        return main;
    }
};

bool EditorEnabled(TForm1& main) {
    for (int n = 1; n <= 50; ++n)
        if (!main.KeyButton(n).Enabled()) return false;
    return main.SpeedButton53.Enabled() && main.Button1.Enabled() && main.Button7.Enabled() &&
           main.Button12.Enabled() && main.Button13.Enabled();
}

TEST_F(Editor, StartupPreparesEverythingButTheEditor) {
    TForm1& main = Started(kOsWin9x);
    EXPECT_FALSE(main.KeyButton(1).Enabled());
    EXPECT_FALSE(main.SpeedButton49.Enabled());
    EXPECT_FALSE(main.Button1.Enabled());
    EXPECT_FALSE(main.Button7.Enabled());
    EXPECT_FALSE(main.Button12.Enabled() || main.Button13.Enabled());  // Check and Try
    EXPECT_TRUE(main.Button10.Enabled());  // BG Lang on Windows 9x only
    EXPECT_EQ(main.SystemDirectory(), dir / "WINDOWS" + "\\system\\");
    EXPECT_EQ(main.BdsPath(), Temp("BDS50000.tmp"));
    EXPECT_EQ(test::ReadFile(Temp("PHO50000.tmp")), test::ResourceFile("PHONETIC.ini"));
    ASSERT_EQ(main.ListView1.Count(), 224);
    EXPECT_EQ(main.ListView1.Item(0).caption, "  -  32");
    EXPECT_EQ(main.ListView1.Item(33).caption, "A -  65");
    EXPECT_EQ(main.ListView1.Item(68).caption, "d - 100");
    EXPECT_EQ(main.ListView1.Item(223).caption, "\xFF - 255");
}

TEST_F(Editor, NewOpensATemplateCopyAndEnablesTheEditor) {
    for (auto [kind, fileName] : {std::pair{kOsWin9x, "kbdbunew.kbd"}, std::pair{kOsWinXp, "kbdbunew.dll"}}) {
        AppFixture f;
        TForm1& main = f.Started(kind);
        EXPECT_EQ(main.Button10.Enabled(), kind == kOsWin9x);
        main.Button6.Click();
        EXPECT_EQ(main.Edit1.Text(), "Bulgarian (New)");
        EXPECT_EQ(main.Edit2.Text(), fileName);
        EXPECT_TRUE(EditorEnabled(main));
        EXPECT_FALSE(main.SpeedButton51.Enabled());  // no key yet
        EXPECT_EQ(main.KeyButton(16).Caption(), "\xF3");  // у
        EXPECT_EQ(main.KeyButton(11).Caption(), "0");
    }
}

TEST_F(Editor, AKeyThenACharacterChangesTheKeyAtOnce) {
    TForm1& main = New(kOsWin2000);
    main.KeyButton(27).Click();
    EXPECT_EQ(main.CurrentKey(), 27);
    EXPECT_EQ(main.ListView1.Selected(), 252 - 32);  // ь
    EXPECT_TRUE(main.ListView1.Focused());
    EXPECT_TRUE(main.SpeedButton51.Down() && main.SpeedButton52.Down());
    EXPECT_TRUE(main.SpeedButton51.Enabled());
    EXPECT_TRUE(main.ListView1.TabStop());

    main.ListView1.UserClick(223 - 32);
    EXPECT_EQ(main.Layout().ReadKeyChar(27, kUp), 223);
    EXPECT_EQ(main.KeyButton(27).Caption(), "\xDF");

    main.SpeedButton49.Click();  // Shift: the shifted character changes instead
    main.ListView1.UserClick(168 - 32);
    EXPECT_EQ(main.Layout().ReadKeyChar(27, kDown), 168);
    EXPECT_EQ(main.Layout().ReadKeyChar(27, kUp), 223);

    // The arrow keys browse; Enter writes the character they came to.
    main.ListView1.UserMove(169 - 32);
    main.ListView1.UserMove(170 - 32);
    EXPECT_EQ(main.Layout().ReadKeyChar(27, kDown), 168);
    main.ListView1.UserConfirm();
    EXPECT_EQ(main.Layout().ReadKeyChar(27, kDown), 170);
    // Another key button releases the first.
    main.KeyButton(28).Click();
    EXPECT_FALSE(main.KeyButton(27).Down());
    EXPECT_EQ(main.CurrentKey(), 28);
}

TEST_F(Editor, ReleasingTheCurrentKeyClosesTheListToTheMouse) {
    TForm1& main = New(kOsWinXp);
    main.KeyButton(30).Click();
    main.ListView1.SetTopIndex(100);
    main.KeyButton(30).Click();
    EXPECT_EQ(main.CurrentKey(), 0);
    EXPECT_EQ(main.ListView1.Selected(), -1);
    EXPECT_EQ(main.ListView1.TopIndex(), 0);
    EXPECT_FALSE(main.ListMouseGate());
    EXPECT_FALSE(main.SpeedButton51.Enabled());
    std::string before = test::ReadFile(main.Layout().WorkingPath());
    main.ListView1.UserClick(10);
    EXPECT_EQ(main.ListView1.Selected(), -1);
    main.ListView1.UserSelect(10);  // no key: nothing is written
    EXPECT_EQ(test::ReadFile(main.Layout().WorkingPath()), before);
}

TEST_F(Editor, TheSpaceBarTakesOnlyKeyboardChoices) {
    for (OsKind kind : {kOsWin9x, kOsWin2000}) {
        AppFixture f;
        TForm1& main = f.Started(kind);
        main.Button6.Click();
        main.KeyButton(48).Click();
        EXPECT_EQ(main.ListView1.Selected(), 0);
        EXPECT_FALSE(main.SpeedButton51.Enabled());
        EXPECT_FALSE(main.ListMouseGate());
        main.ListView1.UserClick(33);
        EXPECT_EQ(main.ListView1.Selected(), 0);
        main.ListView1.UserMove(33);
        main.ListView1.UserConfirm();
        EXPECT_EQ(main.Layout().ReadKeyChar(48, kUp), kind == kOsWin9x ? 32 : 65);
    }
}

TEST_F(Editor, BothShiftTogglesMoveTogether) {
    TForm1& main = New(kOsWin2000);
    main.SpeedButton53.Click();
    EXPECT_TRUE(main.SpeedButton49.Down() && main.SpeedButton53.Down());
    EXPECT_EQ(main.KeyButton(16).Caption(), "\xD3");  // У
    EXPECT_EQ(main.KeyButton(12).Caption(), "I");
    main.SpeedButton49.Click();
    EXPECT_FALSE(main.SpeedButton49.Down() || main.SpeedButton53.Down());
    EXPECT_EQ(main.KeyButton(16).Caption(), "\xF3");
}

TEST_F(Editor, CapsLockViewColoursSensitiveKeys) {
    TForm1& main = New(kOsWin2000);
    main.SpeedButton50.Click();
    EXPECT_EQ(main.KeyButton(16).CaptionColor(), kCapsSensitiveColor);
    EXPECT_EQ(main.KeyButton(1).CaptionColor(), ui::kSystemTextColor);
    main.KeyButton(1).Click();
    main.SpeedButton52.Click();  // the second Caps Sens flips the first and the flag
    EXPECT_TRUE(main.SpeedButton51.Down() && main.SpeedButton52.Down());
    EXPECT_TRUE(main.Layout().ReadCapsFlag(1));
    EXPECT_EQ(main.KeyButton(1).CaptionColor(), kCapsSensitiveColor);
    main.SpeedButton51.Click();
    EXPECT_FALSE(main.Layout().ReadCapsFlag(1));
    EXPECT_EQ(main.KeyButton(1).CaptionColor(), ui::kSystemTextColor);
    main.SpeedButton50.Click();
    EXPECT_EQ(main.KeyButton(16).CaptionColor(), ui::kSystemTextColor);
}

TEST_F(Editor, OddCharactersShowSafely) {
    TForm1& main = New(kOsWin2000);
    main.Layout().WriteKeyChar(5, kUp, '&');
    main.Layout().WriteKeyChar(6, kUp, 7);
    main.SpeedButton49.Click();
    main.SpeedButton49.Click();
    EXPECT_EQ(main.KeyButton(5).Caption(), "&&");
    main.KeyButton(6).Click();  // below the list's first entry: nothing highlighted
    EXPECT_EQ(main.CurrentKey(), 6);
    EXPECT_EQ(main.ListView1.Selected(), -1);
}

TEST_F(Editor, MenusImportAndExportThroughTheDialogs) {
    TForm1& main = New(kOsWinXp);
    main.Button1.Click();
    ASSERT_TRUE(backend.lastPopup);
    EXPECT_EQ(backend.lastPopup->menu, &main.PopupMenu1);
    EXPECT_EQ(backend.lastPopup->at.x, 567);  // right-aligned under the button
    EXPECT_EQ(backend.lastPopup->at.y, 241);

    dialogs().files.push_back(std::nullopt);  // cancelled: nothing happens
    main.PopupMenu1.ChooseItem(1);
    EXPECT_FALSE(FileExists(dir / "out.ini"));

    main.SpeedButton49.Click();
    dialogs().files.push_back(dir / "out.ini");
    main.PopupMenu1.ChooseItem(1);
    EXPECT_EQ(dialogs().fileDialogs.back().title, "Select keyboard layout configuration file to SAVE to");
    EXPECT_EQ(test::ReadFile(dir / "out.ini"), test::ResourceFile("BDS.ini"));
    EXPECT_FALSE(main.SpeedButton49.Down());
    EXPECT_EQ(main.KeyButton(16).Caption(), "\xF3");

    main.KeyButton(20).Click();
    main.Button7.Click();
    main.PopupMenu2.ChooseItem(1);  // Phonetic
    EXPECT_EQ(main.CurrentKey(), 0);
    EXPECT_EQ(main.KeyButton(16).Caption(), "\xE2");  // в

    test::WriteFile(dir / "in.ini", "[KBD]\r\n1=65\r\n");
    dialogs().files.push_back(dir / "in.ini");
    dialogs().answers = {ui::Answer::Yes};  // Phonetic differs from what was exported
    main.PopupMenu1.ChooseItem(0);
    EXPECT_EQ(dialogs().fileDialogs.back().title, "Select keyboard layout configuration file to LOAD");
    EXPECT_EQ(dialogs().fileDialogs.back().filter, "Ini Files|*.ini|Layout Libraries|*.dll|All Files|*");
    EXPECT_EQ(main.KeyButton(1).Caption(), "A");
}

TEST_F(Editor, RequestMessagesOpenTheWizardOrClose) {
    TForm1& main = Started(kOsWinXp);
    int wizards = 0;
    main.onResetWizard = [&] { ++wizards; };
    main.Button3.Click();
    EXPECT_EQ(wizards, 0);  // posted, not sent
    backend.ProcessMessages();
    EXPECT_EQ(wizards, 1);
    app.Post(main, kRequestMessage, 7, 0);
    backend.ProcessMessages();
    EXPECT_EQ(wizards, 1);
    EXPECT_TRUE(main.Showing());
    app.Post(main, kRequestMessage, kRequestClose, 0);
    backend.ProcessMessages();
    EXPECT_FALSE(main.Showing());
}

TEST_F(Editor, ClosingDeletesEveryTemporaryFile) {
    TForm1& main = New(kOsWin9x);
    std::string working = main.Layout().WorkingPath();
    ASSERT_TRUE(FileExists(working));
    main.Button2.Click();
    EXPECT_FALSE(main.Showing());
    EXPECT_FALSE(FileExists(working));
    EXPECT_FALSE(FileExists(main.BdsPath()));
    EXPECT_FALSE(FileExists(main.PhoneticPath()));
}

TEST_F(Editor, FailuresEndTheCommandWithOneMessageThatSaysWhy) {
    TForm1& main = New(kOsWin2000);
    main.KeyButton(16).Click();
    // The working file vanishes behind the program's back.
    test::WriteFile(main.Layout().WorkingPath(), "short");
    main.ListView1.UserClick(65 - 32);
    main.SpeedButton49.Click();
    const auto shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 2u);  // one message per action, each naming it
    EXPECT_EQ(shown[0].kind, ui::MessageKind::Error);
    const std::string reason = " could not be finished.\r\rReason: ";
    EXPECT_EQ(shown[0].text.rfind("\"Choosing a character\"" + reason, 0), 0u) << shown[0].text;
    EXPECT_EQ(shown[1].text.rfind("\"Shift\"" + reason, 0), 0u) << shown[1].text;
    // A file that cannot be read may hold changes: New asks first.
    dialogs().answers = {ui::Answer::Yes};
    main.Button6.Click();
    EXPECT_EQ(dialogs().Take().at(0).text, kDiscardQuestion);
    main.Edit1.TypeText("Mine");
    const std::string working = main.Layout().WorkingPath();
    main.Layout().SetTempDirectory(dir / "no-such-folder/");
    main.Button6.Click();
    EXPECT_EQ(dialogs().Take().at(0).text,
              "\"New\"" + reason + "Cannot write a new layout file: " + dir / "no-such-folder/W2K50000.tmp");
    EXPECT_EQ(main.Layout().WorkingPath(), working);
    EXPECT_TRUE(FileExists(working));
    EXPECT_TRUE(main.KeyButton(1).Enabled());
    EXPECT_EQ(main.Edit1.Text(), "Mine");
}

TEST_F(Editor, EnterOnTheChosenKeyGoesOnToTheList) {
    TForm1& main = New(kOsWinXp);
    main.KeyButton(15).PressKey();
    main.KeyButton(15).SetFocus();  // Shift+Tab back to it
    main.KeyButton(15).PressKey();
    EXPECT_EQ(main.CurrentKey(), 15);
    EXPECT_TRUE(main.KeyButton(15).Down());
    EXPECT_TRUE(main.ListView1.Focused());
    main.SpeedButton49.PressKey();  // a toggle of its own still toggles
    main.SpeedButton49.PressKey();
    EXPECT_FALSE(main.SpeedButton49.Down());
    main.KeyButton(15).Click();  // the mouse still releases the key
    EXPECT_EQ(main.CurrentKey(), 0);
}

TEST_F(Editor, SaveRefusesAnInvalidFileNameBeforeAskingAboutTheKeys) {
    TForm1& main = New(kOsWin9x);  // the bare template: the check finds key 15
    main.Edit1.TypeText("Mine");
    main.Edit2.TypeText("my:lay?.kbd");
    EXPECT_FALSE(main.Button4.Enabled());  // the status line gives Save's reason
    main.SaveLayoutToSystem(false);        // as the wizard and the keyboard reach it
    const auto shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(shown[0].text.rfind("The File Name is invalid!", 0), 0u) << shown[0].text;
}

TEST_F(Editor, SaveToAsksBeforeReplacingAnIniAndAFailureNamesTheCommandAndTheCause) {
    TForm1& main = New(kOsWinXp);
    const std::string ini = dir / "my.ini";
    test::WriteFile(ini, "[KBD]\r\n1=65\r\n");
    dialogs().files.push_back(ini);
    main.PopupMenu1.ChooseItem(1);  // no answer: No
    auto shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, ini + " already exists.\rDo you want to replace it?");
    EXPECT_EQ(shown[0].buttons, ui::MessageButtons::YesNoKeep);
    EXPECT_EQ(test::ReadFile(ini), "[KBD]\r\n1=65\r\n");

    test::MakeReadOnly(ini);
    dialogs().files.push_back(ini);
    dialogs().answers = {ui::Answer::Yes};
    backend.chooseOnPopup = 1;  // chosen while the menu of "INI File..." is open
    main.Button1.Click();
    shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "\"Save To\" could not be finished.\r\rReason: Unable to write to " + ini +
                                 "\rThe file is read-only.");
}

TEST_F(Editor, IniValuesNotTakenAsTheyStandAreToldInOneMessage) {
    TForm1& main = New(kOsWinXp);
    test::WriteFile(dir / "odd.ini", "[KBD]\r\n1=300\r\n2=abc\r\n");
    dialogs().files.push_back(dir / "odd.ini");
    main.PopupMenu1.ChooseItem(0);
    const auto shown = dialogs().Take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ui::MessageKind::Warning);
    EXPECT_NE(shown[0].text.find("\r1=300: out of range 0-255, taken as 44 (,)\r2=abc: not a number"),
              std::string::npos)
        << shown[0].text;
    EXPECT_EQ(main.KeyButton(1).Caption(), ",");
}

TEST_F(Editor, TheStatusLineSaysWhyBgLangIsOff) {
    TForm1& nt = New(kOsWinXp);
    EXPECT_FALSE(nt.Button10.Enabled());
    EXPECT_EQ(nt.Label3.Caption(), "\"BG Lang\": for Windows 9x only");
    nt.KeyButton(2).Click();
    nt.ListView1.UserClick('#' - 32);
    EXPECT_EQ(nt.Label3.Caption(), kUnsavedChangesText);  // what could be lost comes first
    EXPECT_EQ(New(kOsWin9x).Label3.Caption(), "");
}

}  // namespace
}  // namespace tastavia
