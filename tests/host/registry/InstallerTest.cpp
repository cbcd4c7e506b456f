// Installing, loading back and removing layouts, with every answer to every box.
#include <gtest/gtest.h>

#include "RegistryFixture.h"

namespace tastavia {
namespace {

using test::FileExists;
using ui::Answer;
using ui::MessageKind;

struct InstallFixture : test::RegistryFixture {
    TForm1& NewLayout(OsKind kind = kOsWinXp) {
        MakeSystemDirectories();
        TForm1& main = Started(kind);
        main.Button6.Click();
        return main;
    }
    std::string LastMessage() { return dialogs().shown.empty() ? "" : dialogs().shown.back().text; }
    static std::string ReplaceQuestion(TForm1& main, const std::string& name) {
        return "This file already exists! Replace it?\r" + main.SystemDirectory() + name;
    }
    TForm1& Installed(const std::string& text = "Mine") {
        TForm1& main = NewLayout();
        main.Edit1.TypeText(text);
        main.SaveLayoutToSystem(true);
        dialogs().shown.clear();
        return main;
    }
};

struct Install : InstallFixture, ::testing::Test {};
struct Remove : InstallFixture, ::testing::Test {};

TEST_F(Install, ANewLayoutGetsTheFirstFreeKeyAndItsFile) {
    TForm1& main = NewLayout();
    main.KeyButton(16).Click();
    main.ListView1.UserClick(65 - 32);  // edited while open: the copy must hold it
    dialogs().answers = {Answer::Yes};  // saved despite the check's findings
    main.Button4.Click();
    EXPECT_EQ(LastMessage(), "Layout successful added!");
    EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Information);
    EXPECT_EQ(Value("00050402", "layout file"), "kbdbunew.dll");
    EXPECT_EQ(Value("00050402", "layout id"), "00c0");
    EXPECT_EQ(Value("00050402", "layout text"), "Bulgarian (New)");
    std::string installed = test::ReadFile(SystemFile(main, "kbdbunew.dll"));
    EXPECT_EQ(installed, test::ReadFile(main.Layout().WorkingPath()));
    EXPECT_EQ(static_cast<unsigned char>(installed[2052 - 520]), 65);
    EXPECT_EQ(Captions(main), std::vector<std::string>{"Bulgarian (New) - (kbdbunew.dll)"});
    EXPECT_EQ(main.ListView2.Selected(), 0);
}

TEST_F(Install, TheKeySearchReusesGaps) {
    AddLayout("00050402", "Other", "other.dll");
    TForm1& main = NewLayout(kOsWin9x);
    EXPECT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(Value("00060402", "layout file"), "kbdbunew.kbd");
    EXPECT_TRUE(FileExists(SystemFile(main, "kbdbunew.kbd")));  // in \system\ on Windows 9x

    registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + "00050402");
    main.Edit1.TypeText("Third");
    main.Edit2.TypeText("third.kbd");
    EXPECT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    EXPECT_EQ(Value("00050402", "layout text"), "Third");
}

TEST_F(Install, ReplacingAsksOnceAndLeavesTheRegistryAlone) {
    TForm1& main = NewLayout();
    main.SaveLayoutToSystem(true);
    registry.Open(RootKey::LocalMachine, test::kLayouts + "00050402", false)->WriteString("layout text", "Bulgarian (NEW)");
    main.Edit1.TypeText("bulgarian (new)");
    dialogs().answers = {Answer::Cancel};
    EXPECT_EQ(main.SaveLayoutToSystem(true), "1");
    dialogs().answers = {Answer::Ok};
    main.KeyButton(1).Click();
    main.ListView1.UserClick(0);
    EXPECT_EQ(main.SaveLayoutToSystem(true), "4Layout successful replaced!");
    EXPECT_EQ(dialogs().shown.back().text, "This layout already exists! Replace it?");
    EXPECT_EQ(Value("00050402", "layout text"), "Bulgarian (NEW)");
    EXPECT_EQ(test::ReadFile(SystemFile(main, "kbdbunew.dll"))[1466], ' ');

    test::MakeReadOnly(SystemFile(main, "kbdbunew.dll"));  // not made writable when replacing
    dialogs().answers = {Answer::Yes, Answer::Ok};  // the check's warning, then the replacing
    main.Button4.Click();
    // The described words, then the file and the cause.
    EXPECT_EQ(LastMessage(), "File can't be created (replaced)!\r" + main.SystemDirectory() + "kbdbunew.dll\r" +
                                 "The file is read-only.");
    EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Error);
}

TEST_F(Install, SpacesAreStrippedAndAnExistingFileIsConfirmed) {
    TForm1& main = NewLayout();
    main.SaveLayoutToSystem(true);
    main.Edit1.TypeText("  Spaced  ");
    main.Edit2.TypeText(" kbdbunew.dll ");  // as typed it matches no entry: a new layout
    // ... but the file is the installed layout's: never replaced, never named twice.
    EXPECT_EQ(main.SaveLayoutToSystem(true),
              "2\"kbdbunew.dll\" belongs to the installed layout \"Bulgarian (New)\" (00050402)! It was not replaced.");
    EXPECT_EQ(Value("00060402", "layout file"), "<no key>");

    registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + "00050402");  // the file is nobody's now
    dialogs().answers = {Answer::Cancel};
    EXPECT_EQ(main.SaveLayoutToSystem(true), "1");
    EXPECT_EQ(dialogs().shown.back().text, ReplaceQuestion(main, "kbdbunew.dll"));
    test::MakeReadOnly(SystemFile(main, "kbdbunew.dll"));
    dialogs().answers = {Answer::Ok};
    EXPECT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    EXPECT_EQ(Value("00050402", "layout file"), "kbdbunew.dll");
    EXPECT_EQ(Value("00050402", "layout text"), "Spaced");
    EXPECT_FALSE(files.IsReadOnly(SystemFile(main, "kbdbunew.dll")));
}

TEST_F(Install, FailuresReportWhatHappened) {
    TForm1& main = NewLayout();
    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Create);
    EXPECT_EQ(main.SaveLayoutToSystem(true), "2Can't make registry changes! File was created (replaced)!");
    EXPECT_TRUE(FileExists(SystemFile(main, "kbdbunew.dll")));
    registry.AllowAll();

    // A value that cannot be written ends the command with a message; the half key goes again.
    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Write);
    dialogs().answers = {Answer::Ok};
    main.Button4.Click();
    EXPECT_EQ(dialogs().shown.back().text, "\"Save\" could not be finished.\r\rReason: Cannot write the value layout "
                                           "file in System\\CurrentControlSet\\Control\\keyboard layouts\\00050402");
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, test::kLayouts + "00050402"));

    main.Layout().OpenWorkingFile("");
    EXPECT_EQ(main.SaveLayoutToSystem(true), "1");  // no working file: Save is off
}

TEST_F(Install, FileNamesThatAreNoPlainNameAreRefused) {
    TForm1& main = NewLayout();
    const std::pair<const char*, const char*> cases[] = {
        {"..\\evil.dll", "A file name may not contain '\\'. Type a file name without a path."},
        {"sub/x.dll", "A file name may not contain '/'. Type a file name without a path."},
        {"c:x.dll", "A file name may not contain ':'."},
        {".", "\".\" is a folder, not a file name."},
        {"..", "\"..\" is a folder, not a file name."},
        {"a*b.dll", "A file name may not contain '*'."},
        {"my:lay?.txt", "A file name may not contain ':' and '?'."},
        {"a<b>|c\"?:", "A file name may not contain '<', '>', '|', '\"', '?' and ':'."},
        {"con.dll", "\"con.dll\" is the name of a Windows device."},
        {"LPT1", "\"LPT1\" is the name of a Windows device."},
        {"tab\there?.dll", "A file name may not contain '?' and control characters."},
        {"a:b.dll", "A file name may not contain ':'."},
        {"COM1 .dll", "\"COM1 .dll\" is the name of a Windows device."},
        {"x.dll.", "A file name may not end in a dot or a space."},
        {"dot.", "A file name may not end in a dot or a space."}};
    for (const auto& [name, fault] : cases) {
        main.Edit2.TypeText(name);
        // The status line and Save agree.
        EXPECT_FALSE(main.Button4.Enabled()) << name;
        EXPECT_EQ(main.Label4.Caption(), fault) << name;
        dialogs().answers = {Answer::Ok};
        EXPECT_EQ(main.SaveLayoutToSystem(true), std::string("2The File Name is invalid! ") + fault) << name;
    }
    // Save is off, and the status line says why in Save's own words.
    EXPECT_FALSE(main.Button4.Enabled());
    EXPECT_EQ(main.Label4.Caption(), "A file name may not end in a dot or a space.");
    main.SaveLayoutToSystem(false);
    EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Error);
    EXPECT_EQ(LastMessage(), "The File Name is invalid! A file name may not end in a dot or a space.");
    EXPECT_TRUE(main.Edit2.Focused() && main.Edit2.AllSelected());
    EXPECT_EQ(std::system(("test -z \"$(ls -A '" + dir / "WINDOWS/system32" + "')\"").c_str()), 0);
    EXPECT_EQ(registry.Open(RootKey::LocalMachine, test::kLayouts, false), nullptr);
}

TEST_F(Install, WhenEveryLayoutNumberIsTakenNothingIsCopied) {
    for (int n = 50; n <= 9990; n += 10) registry.Open(RootKey::LocalMachine, test::kLayouts + LayoutKeyName(n), true);
    TForm1& main = NewLayout();
    EXPECT_EQ(main.SaveLayoutToSystem(true), "2There is no free layout number left!");
    EXPECT_FALSE(FileExists(SystemFile(main, "kbdbunew.dll")));
    EXPECT_EQ(LayoutKeyName(100), "00100402");
    EXPECT_EQ(LayoutKeyName(9990), "09990402");
}

TEST_F(Install, LoadOpensAWritableCopyOfTheInstalledFile) {
    TForm1& main = NewLayout();
    main.Edit2.TypeText("missing.dll");
    main.Button5.SetEnabled(true);  // as if the catalogue had allowed it
    main.Button5.Click();
    EXPECT_EQ(LastMessage(), "File is Missing!");
    main.Edit2.TypeText("kbdbunew.dll");

    main.KeyButton(2).Click();
    main.ListView1.UserClick(0);
    main.SaveLayoutToSystem(true);
    test::MakeReadOnly(SystemFile(main, "kbdbunew.dll"));
    main.Button6.Click();  // a fresh template: key 2 is "1" again
    std::string working = main.Layout().WorkingPath();
    main.ListView2.UserClick(0);
    main.Button5.Click();
    EXPECT_EQ(main.Layout().WorkingPath(), Temp("KBD50000.tmp"));
    EXPECT_FALSE(FileExists(working));
    EXPECT_FALSE(files.IsReadOnly(main.Layout().WorkingPath()));
    EXPECT_EQ(main.KeyButton(2).Caption(), " ");
    main.Button5.Click();  // within the same tick: never onto the open file
    EXPECT_EQ(main.Layout().WorkingPath(), Temp("KBD50000-2.tmp"));
    EXPECT_EQ(main.KeyButton(2).Caption(), " ");

    // A copy that cannot be made keeps the current file open.
    std::string current = main.Layout().WorkingPath();
    test::WriteFile(Temp("KBD50000.tmp"), "x");
    test::MakeReadOnly(Temp("KBD50000.tmp"));
    main.Button5.Click();
    EXPECT_EQ(LastMessage(), "File can't be copied!");
    EXPECT_EQ(main.Layout().WorkingPath(), current);
}

TEST_F(Remove, AFileNameFromTheRegistryNeverLeavesTheSystemDirectory) {
    test::WriteFile(dir / "victim.txt", "keep me");
    AddLayout("00070402", "Planted", "..\\..\\victim.txt");
    TForm1& main = NewLayout();
    const std::string working = test::ReadFile(main.Layout().WorkingPath());
    main.ListView2.UserClick(0);
    ASSERT_EQ(Buttons(main), "101");  // Save refuses the name, so it is off
    const std::string refusal = "The layout's file name is invalid: \"..\\..\\victim.txt\"";
    main.Button5.Click();
    EXPECT_EQ(LastMessage(), refusal);
    EXPECT_EQ(test::ReadFile(main.Layout().WorkingPath()), working);

    dialogs().answers = {Answer::Yes, Answer::Yes};
    main.Button9.Click();
    EXPECT_EQ(LastMessage(), refusal);
    EXPECT_EQ(Value("00070402", "layout text"), "Planted");
    EXPECT_EQ(test::ReadFile(dir / "victim.txt"), "keep me");

    dialogs().answers = {Answer::Yes, Answer::No};  // the key alone needs no path
    main.Button9.Click();
    EXPECT_EQ(Value("00070402", "layout text"), "<no key>");
    EXPECT_TRUE(FileExists(dir / "victim.txt"));
}

TEST_F(Remove, AnswersDecideWhatGoes) {
    struct Case {
        std::deque<Answer> answers;
        bool keyGone, fileGone;
        std::size_t boxes;
        const char* last;
    };
    const Case cases[] = {
        {{Answer::No}, false, false, 1, "Are you sure you want to delete this layout?"},
        {{Answer::Yes, Answer::Cancel}, false, false, 2, "Do you want to delete the file too?"},
        {{Answer::Yes, Answer::No}, true, false, 2, "Do you want to delete the file too?"},
        {{Answer::Yes, Answer::Yes}, true, true, 3, "Layout successfuly deleted!"},
    };
    for (const Case& c : cases) {
        InstallFixture f;
        TForm1& main = f.Installed();
        test::MakeReadOnly(f.SystemFile(main, "kbdbunew.dll"));  // made writable before deleting
        f.dialogs().answers = c.answers;
        main.Button9.Click();
        EXPECT_EQ(f.dialogs().shown.size(), c.boxes);
        EXPECT_EQ(f.LastMessage(), c.last);
        EXPECT_EQ(!f.registry.KeyExists(RootKey::LocalMachine, test::kLayouts + "00050402"), c.keyGone);
        EXPECT_EQ(!FileExists(f.SystemFile(main, "kbdbunew.dll")), c.fileGone);
        EXPECT_EQ(main.Edit1.Text().empty(), c.keyGone);
        EXPECT_EQ(main.ListView2.Count(), c.keyGone ? 0 : 1);
    }
}

TEST_F(Remove, ABaseLayoutKeepsItsFile) {
    TForm1& main = Installed("BULGARIAN");
    dialogs().answers = {Answer::Yes};
    main.Button9.Click();
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].buttons, ui::MessageButtons::YesNo);
    EXPECT_EQ(dialogs().shown[0].text,
              "This is a BASE layout! You can't delete the file that belongs it, you can only delete the registry "
              "entries and disable this layout!\rAre you sure you want to delete this layout?");
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, test::kLayouts + "00050402"));
    EXPECT_TRUE(FileExists(SystemFile(main, "kbdbunew.dll")));
}

TEST_F(Remove, FailuresKeepOrReportTheFile) {
    TForm1& main = Installed();
    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Delete);
    dialogs().answers = {Answer::Yes, Answer::Yes};
    main.Button9.Click();
    EXPECT_EQ(LastMessage(), "Can't modify registry settings! File will not be deleted!");
    EXPECT_TRUE(FileExists(SystemFile(main, "kbdbunew.dll")));
    EXPECT_EQ(main.Edit1.Text(), "Mine");
    registry.AllowAll();

    std::remove(SystemFile(main, "kbdbunew.dll").c_str());
    dialogs().answers = {Answer::Yes, Answer::Yes};
    main.Button9.Click();
    EXPECT_EQ(LastMessage(), "There is an error while deleting file! The Registry settings was modified!\r" +
                                 main.SystemDirectory() + "kbdbunew.dll\rFile is Missing!");
    EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Error);  // a failure, not a notice
    EXPECT_EQ(main.ListView2.Count(), 0);
}

}  // namespace
}  // namespace tastavia
