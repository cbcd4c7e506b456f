// The wizard driven through its pages over the in-memory registry, with the real main
// window and language dialogs behind it.
#include <gtest/gtest.h>

#include "languages/BGLang.h"
#include "languages/EditLang.h"
#include "platform/memory/RecordingKeyboardInput.h"
#include "registry/RegistryFixture.h"
#include "text/Text.h"
#include "wizard/Wizard.h"

namespace tastavia {
namespace {

using ui::Answer;

const std::string kLocale = "System\\CurrentControlSet\\Control\\Nls\\Locale";

struct WizardFixture : test::RegistryFixture {
    std::unique_ptr<TForm3> editor;
    std::unique_ptr<TForm2> list;
    std::unique_ptr<MainWindowWizardHost> host;
    std::unique_ptr<TForm5> wizard;

    // The windows as the start sequence makes them.
    TForm5& Build(OsKind kind) {
        MakeSystemDirectories();
        AddLanguage("00000402", "Bulgarian");
        TForm1& main = Started(kind);
        host = std::make_unique<MainWindowWizardHost>(main);
        wizard = std::make_unique<TForm5>(app, *host, program->GetSession(), platform);
        if (kind == kOsWin9x) {
            editor = std::make_unique<TForm3>(app, platform);
            list = std::make_unique<TForm2>(app, platform, *editor);
            wizard->SetLanguageDialogs(list.get(), editor.get());
            wizard->CreateLanguageCheckBox().SetVisible(true);
        }
        main.onResetWizard = [this] { wizard->ResetWizard(true); };
        return *wizard;
    }
    // Reset and on the screen as a modal run has it, so that clicks reach it.
    TForm5& Open(OsKind kind) {
        Build(kind).ResetWizard(false);
        wizard->SetShowing(true);
        wizard->SetVisible(true);
        return *wizard;
    }
    TForm1& Main() { return program->Form1(); }
    void Next() { wizard->Button2.Click(); }
    void Back() { wizard->Button1.Click(); }
    std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs().Take()) texts.push_back(shown.text);
        return texts;
    }
    std::string LanguageName(const std::string& id) {
        auto locale = registry.Open(RootKey::LocalMachine, kLocale, false);
        return locale && locale->HasValue(id) ? locale->ReadString(id) : "<none>";
    }
    void Preload(const std::string& id) {
        registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\1", true)->WriteString("", id);
    }
    // Ask-me mode with the Phonetic layout, or another layout name, up to page 5.
    void ToLanguagePage(const std::string& language, const std::string& layoutName = "") {
        wizard->RadioButton2.Click();
        Next();
        Next();
        if (!layoutName.empty()) wizard->Edit3.TypeText(layoutName);
        Next();
        ASSERT_EQ(wizard->CurrentPage(), kLanguagePage);
        wizard->Edit5.TypeText(language);
    }
};

struct Wizard : WizardFixture, ::testing::Test {};

TEST(WizardNames, DerivedFromTheChosenLayout) {
    struct Case {
        const char* path;
        bool win9x;
        const char* name;
        const char* file;
    };
    const Case cases[] = {
        {"C:\\ini\\Layouts.new.ini", true, "Bulgarian (Layouts)", "kbdbulay.kbd"},
        {"ab.ini", false, "Bulgarian (ab)", "kbdbuab.dll"},
        {"D:LAT.ini", false, "Bulgarian (LAT)", "kbdbulat.dll"},
        {"/home/u/\xD0\xE0\xE4.ini", false, "Bulgarian (\xD0\xE0\xE4)", "kbdbu\xD0\xE0\xE4.dll"},  // only ASCII lowered
        {"C:\\ini\\MyLayout", false, "Bulgarian ()", "kbdbu.dll"},  // no dot: an empty base name
        {"C:\\ini\\.ini", true, "Bulgarian ()", "kbdbu.kbd"},
    };
    for (const Case& c : cases) {
        LayoutNames names = DeriveLayoutNames(BaseNameOfPath(c.path), c.win9x);
        EXPECT_EQ(names.name, c.name) << c.path;
        EXPECT_EQ(names.fileName, c.file) << c.path;
    }
    EXPECT_EQ(ProposeLanguageName("BULGARIAN Test"), "BULGARIAN Test");
    EXPECT_EQ(ProposeLanguageName("My BG"), "Bulgarian (My BG)");
    EXPECT_EQ(ProposeLanguageName("Bulgaria"), "Bulgarian (Bulgaria)");
    EXPECT_EQ(TrimControls(std::string("\0\t x y\r ", 8)), "x y");
    EXPECT_EQ(TrimControls(std::string("\0 ", 2)), "");
}

TEST_F(Wizard, TheRequestMessageOpensPageOneWithoutTabs) {
    TForm5& w = Build(kOsWinXp);
    bool shown = false;
    backend.modalScripts["Form5"] = [&](ui::Form&) {
        shown = true;
        EXPECT_EQ(w.CurrentPage(), kWelcomePage);
        EXPECT_EQ(w.FocusedWidget(), &w.Button2);
        EXPECT_FALSE(w.Button1.Enabled());
    };
    Main().Button3.Click();
    backend.ProcessMessages();
    EXPECT_TRUE(shown);
    EXPECT_EQ(w.Image1.GetPicture().width, 145);
    EXPECT_EQ(w.Image1.GetPicture().height, 257);
    EXPECT_FALSE(w.PageControl1.showTabs);
    for (int i = 0; i < w.PageControl1.PageCount(); ++i) EXPECT_FALSE(w.PageControl1.Page(i).tabVisible);

    w.ShowPage(42);  // no such page: the first
    EXPECT_EQ(w.PageControl1.ShownPage(), kWelcomePage);
    w.ShowPage(kLanguagePage);  // no language page outside Windows 9x
    EXPECT_EQ(w.CurrentPage(), kNamePage);
    EXPECT_EQ(w.Button2.Caption(), "Finish");
}

TEST_F(Wizard, QuickPathOnXpInstallsTheBuiltInLayout) {
    AddLayout("00050402", "Other", "kbdbupho.dll");
    TForm5& w = Open(kOsWinXp);
    Next();
    EXPECT_EQ(w.Button2.Caption(), "Finish");
    EXPECT_FALSE(w.Edit1.Enabled());
    w.RadioButton5.Click();
    EXPECT_TRUE(w.Edit1.Enabled() && w.Button4.Enabled());
    w.RadioButton3.Click();
    EXPECT_FALSE(w.Edit1.Enabled() || w.Button4.Enabled());

    Next();  // the file belongs to "Other": nothing done, and the page says why
    EXPECT_EQ(w.CurrentPage(), kQuickPage);
    EXPECT_EQ(w.Label19.Caption(), "");
    const std::vector<std::string> refused = Messages();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].substr(0, 30), "This layout already exists and");
    registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + "00050402");
    Next();
    EXPECT_EQ(w.CurrentPage(), kFinishedPage);
    EXPECT_EQ(w.Button2.Caption(), "Do it");
    EXPECT_EQ(w.Label19.Caption(), "Successful added layout:\r    Bulgarian (Phonetic)");
    EXPECT_FALSE(w.Button1.Enabled());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Value("00050402", "layout text"), "Bulgarian (Phonetic)");
    std::string installed = test::ReadFile(SystemFile(Main(), "kbdbupho.dll"));
    EXPECT_EQ(installed, test::ReadFile(Main().Layout().WorkingPath()));
    EXPECT_NE(installed, test::ResourceFile("WINXP.dll"));  // the Phonetic keys were applied
}

TEST_F(Wizard, UnsavedEditsAreAskedForOnceAndNoOrAnEarlyCloseKeepsThem) {
    TForm5& w = Open(kOsWinXp);
    TForm1& main = Main();
    main.Button6.Click();
    main.KeyButton(2).Click();
    main.ListView1.UserClick('#' - 32);
    const std::string edited = test::ReadFile(main.Layout().WorkingPath());
    Next();
    w.Button3.Click();  // closed before a layout was chosen
    EXPECT_EQ(test::ReadFile(main.Layout().WorkingPath()), edited);
    EXPECT_TRUE(dialogs().Take().empty());

    w.ResetWizard(false);
    w.SetShowing(true);
    w.SetVisible(true);
    Next();
    dialogs().answers = {Answer::No};
    Next();
    const auto asked = dialogs().Take();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, kDiscardQuestion);
    EXPECT_EQ(asked[0].buttons, ui::MessageButtons::YesNoKeep);  // Enter and Escape keep
    EXPECT_EQ(w.CurrentPage(), kQuickPage);
    EXPECT_EQ(test::ReadFile(main.Layout().WorkingPath()), edited);
    EXPECT_EQ(main.Edit2.Text(), "kbdbunew.dll");

    dialogs().answers = {Answer::Yes};
    Next();
    EXPECT_EQ(w.CurrentPage(), kFinishedPage);
    EXPECT_EQ(dialogs().Take().size(), 1u);  // once: the wizard's own layout is not asked for
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '1');
}

// The last page offers to use the layout now; the install itself never does.
TEST_F(Wizard, TheLastPageUsesTheLayoutNowOnlyWhenAsked) {
    RecordingKeyboardInput input{registry};
    platform.input = &input;
    TForm5& w = Open(kOsWinXp);
    EXPECT_FALSE(w.CheckBox2.Visible());
    Next();
    Next();
    ASSERT_EQ(w.CurrentPage(), kFinishedPage);
    EXPECT_TRUE(w.CheckBox2.Visible());
    EXPECT_FALSE(w.CheckBox2.Checked());
    EXPECT_TRUE(input.calls.empty());
    w.RadioButton12.Click();  // close the wizard only
    w.CheckBox2.Click();
    Next();
    EXPECT_EQ(input.calls, std::vector<std::string>{"Load 00050402"});
    auto preload = registry.OpenForReading(RootKey::CurrentUser, "keyboard layout\\preload");
    ASSERT_TRUE(preload);
    EXPECT_EQ(preload->ReadString("1"), "d0010402");
}

TEST_F(Wizard, AskMePathImportsAFileUnderItsOwnName) {
    ::mkdir((dir / "ini").c_str(), 0755);
    test::WriteFile(dir / "ini/Layouts.new.ini", "[KBD]\r\n16=65\r\n");
    dialogs().files = {dir / "ini/Layouts.new.ini"};
    TForm5& w = Open(kOsWin2000);
    w.RadioButton2.Click();
    Next();
    w.RadioButton8.Click();
    w.Button5.Click();
    EXPECT_EQ(dialogs().fileDialogs.back().title, "Select keyboard layout configuration file to LOAD");
    Next();
    EXPECT_EQ(w.CurrentPage(), kNamePage);
    EXPECT_EQ(Main().KeyButton(16).Caption(), "A");
    EXPECT_EQ(w.Edit3.Text(), "Bulgarian (Layouts)");
    EXPECT_EQ(w.Edit4.Text(), "kbdbulay.dll");
    EXPECT_EQ(w.Button2.Caption(), "Finish");
    w.Edit3.TypeText("My Layout");
    Next();
    EXPECT_EQ(w.CurrentPage(), kFinishedPage);
    EXPECT_EQ(Value("00050402", "layout text"), "My Layout");
    EXPECT_EQ(Value("00050402", "layout file"), "kbdbulay.dll");
}

TEST_F(Wizard, ErrorBoxesKeepThePage) {
    AddLayout("00050402", "Other", "kbdbubds.kbd");
    TForm5& w = Open(kOsWin9x);
    w.RadioButton2.Click();
    Next();
    EXPECT_FALSE(Main().Layout().IsOpen());  // nothing is made before a layout is chosen
    w.RadioButton8.Click();
    w.Edit2.TypeText("   ");
    Next();
    w.Edit2.TypeText(dir / "missing.ini");
    Next();
    test::WriteFile(dir / "other.ini", "[Other]\r\n1=65\r\n");
    w.Edit2.TypeText(dir / "other.ini");
    Next();
    EXPECT_EQ(w.CurrentPage(), kChoicePage);
    EXPECT_FALSE(Main().Layout().IsOpen());

    w.RadioButton7.Click();
    Next();
    EXPECT_EQ(w.Edit4.Text(), "kbdbubds.kbd");
    w.Edit3.TypeText(" \t");
    Next();
    EXPECT_EQ(Main().Edit1.Text(), " \t");  // taken as typed before the check
    EXPECT_TRUE(w.Edit3.Focused() && w.Edit3.AllSelected());  // back in the field at fault
    w.Edit3.TypeText("Bulgarian (BDS)");
    Next();  // the file belongs to "Other"
    EXPECT_EQ(w.CurrentPage(), kNamePage);
    w.Edit4.TypeText("bds2.kbd");
    Next();
    EXPECT_EQ(w.CurrentPage(), kLanguagePage);
    EXPECT_EQ(w.Edit5.Text(), "Bulgarian (BDS)");
    w.Edit5.TypeText("  ");
    Next();
    EXPECT_EQ(w.CurrentPage(), kLanguagePage);
    EXPECT_TRUE(w.Edit5.Focused());
    EXPECT_FALSE(w.LayoutDone());

    const std::string invalidFile = "The filename is invalid or there is no such file!";
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              invalidFile, invalidFile,
                              "The file holds no keyboard layout: it has no [KBD] section with the layout's keys!",
                              "Name or Filename field is empty!",
                              "This layout already exists and it is in use now or the file belongs to other layout! "
                              "Choose other Name and/or Filename or release/delete the layout!\rIf you want to "
                              "replace already existing layout you must use the some Name and Filename as it!",
                              "The name field is empty or it contain invalid name!"}));
}

TEST_F(Wizard, AFailedInstallShowsWhyAndCanBeRetried) {
    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Create);
    TForm5& w = Open(kOsWin9x);
    Next();
    Next();
    EXPECT_EQ(w.CurrentPage(), kErrorPage);
    EXPECT_EQ(w.Label15.Caption(),
              "Failed to add layout \"Bulgarian (Phonetic)\"!\rReason: Can't make registry changes! File was created "
              "(replaced)!");
    EXPECT_EQ(w.Label16.Caption(), "Adding of language \"Bulgarian (Phonetic)\" Suspended!");
    Next();
    EXPECT_EQ(w.Label19.Caption(), "Failed to add layout:\r    Bulgarian (Phonetic)");
    EXPECT_EQ(w.Label20.Caption(), "Adding language Suspended:\r    Bulgarian (Phonetic)");
    EXPECT_TRUE(w.Button1.Enabled());
    Back();
    Back();
    EXPECT_EQ(w.CurrentPage(), kQuickPage);
    EXPECT_TRUE(w.RadioButton4.Enabled());

    registry.AllowAll();
    dialogs().answers = {Answer::Ok};  // the file copied by the failed run
    Next();
    const std::vector<std::string> asked = Messages();  // the question names the file
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("This file already exists! Replace it?\r", 0), 0u) << asked[0];
    EXPECT_EQ(asked[0].substr(asked[0].size() - 12), "kbdbupho.kbd") << asked[0];
    EXPECT_EQ(w.CurrentPage(), kFinishedPage);
    EXPECT_EQ(w.Label19.Caption(), "Successful added layout:\r    Bulgarian (Phonetic)");
    EXPECT_EQ(w.Label20.Caption(), "Successful Added language:\r    Bulgarian (Phonetic)");
    EXPECT_TRUE(w.LanguageDone());
    EXPECT_FALSE(w.Button1.Enabled());
    // The new language took the layout as its default.
    EXPECT_EQ(LanguageName("00001402"), "Bulgarian (Phonetic)");
    EXPECT_EQ(Value("00001402", "layout file"), "kbdbupho.kbd");
}

TEST_F(Wizard, ASecondRunReplacesTheLayoutAndKeepsTheLanguage) {
    TForm5& w = Open(kOsWin9x);
    Next();
    Next();
    ASSERT_TRUE(w.LanguageDone());
    w.RadioButton13.Click();
    Next();  // start from the beginning
    EXPECT_EQ(w.CurrentPage(), kWelcomePage);
    EXPECT_FALSE(w.LayoutDone() || w.LanguageDone());
    EXPECT_EQ(w.Label19.Caption(), "");

    Next();
    dialogs().answers = {Answer::Cancel};
    Next();
    EXPECT_EQ(w.CurrentPage(), kQuickPage);
    EXPECT_EQ(w.Label19.Caption(), "");
    dialogs().answers = {Answer::Ok};
    Next();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"This layout already exists! Replace it?",
                                                     "This layout already exists! Replace it?"}));
    EXPECT_EQ(w.Label19.Caption(), "Successful replaced layout:\r    Bulgarian (Phonetic)");
    EXPECT_EQ(w.Label20.Caption(), "No changes was made on language:\r    Bulgarian (Phonetic)");
    EXPECT_EQ(LanguageName("00002402"), "<none>");
}

TEST_F(Wizard, ALanguageInUseFailsAndOnlyTheLanguageStepIsRetried) {
    AddLanguage("00001402", "Mine");
    AddLanguage("00002402", "Free");
    Preload("00001402");
    TForm5& w = Open(kOsWin9x);
    ToLanguagePage("Mine", " Mine layout ");  // registered without the spaces
    Next();
    EXPECT_EQ(w.CurrentPage(), kErrorPage);
    EXPECT_EQ(w.Label15.Caption(), "Successful added layout \" Mine layout \"!");
    EXPECT_EQ(w.Label16.Caption(), "Failed to add Language \"Mine\"!\rReason: This Language already exists and it is in "
                                   "use now, so it can not be changed! Choose another language name!");
    EXPECT_TRUE(w.Button1.Enabled());
    Back();
    EXPECT_EQ(w.CurrentPage(), kLanguagePage);
    EXPECT_FALSE(w.Button1.Enabled());
    w.Edit5.TypeText("Free");  // not in use: it gets the layout
    Next();
    EXPECT_TRUE(Messages().empty());  // installed once: no replace question
    EXPECT_EQ(w.Label19.Caption(), "Successful added layout:\r     Mine layout ");
    EXPECT_EQ(w.Label20.Caption(), "Successful Replaced language:\r    Free");
    EXPECT_EQ(Value("00002402", "layout text"), "Mine layout");
}

TEST_F(Wizard, AQuickRetryCannotChooseAnotherLayout) {
    AddLanguage("00001402", "Bulgarian (Phonetic)");
    Preload("00001402");
    TForm5& w = Open(kOsWin9x);
    Next();
    w.RadioButton5.Click();
    w.RadioButton3.Click();
    Next();
    ASSERT_EQ(w.CurrentPage(), kErrorPage);
    Back();
    EXPECT_EQ(w.CurrentPage(), kQuickPage);
    EXPECT_FALSE(w.Button1.Enabled());
    for (ui::Widget* choice : std::initializer_list<ui::Widget*>{&w.RadioButton3, &w.RadioButton5, &w.Edit1, &w.Button4})
        EXPECT_FALSE(choice->Enabled()) << choice->Name();
    w.CheckBox1.Click();
    Next();
    EXPECT_EQ(w.CurrentPage(), kFinishedPage);
    EXPECT_EQ(w.Label19.Caption(), "Successful added layout:\r    Bulgarian (Phonetic)");
    EXPECT_EQ(w.Label20.Caption(), "");
    EXPECT_FALSE(w.Button1.Enabled());
    EXPECT_TRUE(Messages().empty());

    w.ResetWizard(false);
    EXPECT_TRUE(w.RadioButton5.Enabled() && w.CheckBox1.Checked());
    EXPECT_FALSE(w.Edit1.Enabled() || w.Button4.Enabled());  // "From file:" is not chosen
}

TEST_F(Wizard, AnErrorInTheLanguageStepEndsFinishWithAMessageAndKeepsTheLayout) {
    TForm5& w = Open(kOsWin9x);
    registry.Deny(RootKey::LocalMachine, kLocale, RegistryOperation::Write);
    Next();
    Messages();
    Next();
    const std::vector<std::string> shown = Messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind("\"Finish\" could not be finished.\r\rReason: Cannot write the value 00001402", 0), 0u)
        << shown[0];
    EXPECT_EQ(w.CurrentPage(), kQuickPage);
    EXPECT_TRUE(w.LayoutDone());
    registry.AllowAll();
    Next();
    EXPECT_TRUE(Messages().empty());  // not installed a second time
    EXPECT_EQ(w.Label20.Caption(), "Successful Added language:\r    Bulgarian (Phonetic)");
}

TEST_F(Wizard, ARefusedDefaultLayoutGivesALanguageWithoutOne) {
    TForm5& w = Open(kOsWin9x);
    ToLanguagePage("Second BG", "BULGARIAN");  // the main layout, reserved for the base language
    Next();
    EXPECT_EQ(w.Label20.Caption(), "Successful Added language:\r    Second BG");
    EXPECT_EQ(LanguageName("00001402"), "Second BG");
    EXPECT_EQ(Value("00001402", "layout text"), "<no key>");
    EXPECT_EQ(Value("00050402", "layout text"), "BULGARIAN");
}

TEST_F(Wizard, NoLanguageOnPageFiveCanStillBeChangedFromPageFour) {
    TForm5& w = Open(kOsWin9x);
    ToLanguagePage("Extra");
    w.RadioButton10.Click();
    EXPECT_FALSE(w.Edit5.Enabled());
    Back();
    Next();
    EXPECT_EQ(w.CurrentPage(), kLanguagePage);
    EXPECT_TRUE(w.RadioButton10.Checked());
    Next();
    EXPECT_EQ(w.Label19.Caption(), "Successful added layout:\r    Bulgarian (Phonetic)");
    EXPECT_EQ(LanguageName("00001402"), "<none>");
}

TEST_F(Wizard, TheLastPageClosesTheApplicationTheWizardOrStartsOver) {
    for (int choice = 0; choice < 3; ++choice) {
        WizardFixture f;
        TForm5& w = f.Open(kOsWinXp);
        f.Next();
        f.Next();
        ui::RadioButton* choices[] = {&w.RadioButton11, &w.RadioButton12, &w.RadioButton13};
        choices[choice]->Click();
        f.Next();
        EXPECT_EQ(w.Showing(), choice == 2) << choice;
        EXPECT_EQ(w.CurrentPage(), choice == 2 ? kWelcomePage : kFinishedPage);
        EXPECT_EQ(f.backend.Pending(), choice == 0 ? 1u : 0u);
        f.backend.ProcessMessages();
        EXPECT_EQ(f.backend.MainRunning(), choice != 0) << choice;
        EXPECT_EQ(test::FileExists(f.Temp("BDS50000.tmp")), choice != 0);  // closing cleaned up
    }
}

}  // namespace
}  // namespace tastavia
