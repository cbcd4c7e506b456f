// Files and names the program must not trust, as an attacker or a careless user gives
// them: Load takes only a layout file of the kind in use, Save and Delete touch only a
// file that is this layout's alone, a language id is never made into a key path, and a
// registry that opens only for reading still shows what is installed.
#include <gtest/gtest.h>

#include "layout/LayoutFileKind.h"
#include "DamagedLibraries.h"
#include "languages/LanguageFixture.h"

namespace tastavia {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;
using ui::Answer;

struct Trust : test::LanguageFixture, ::testing::Test {
    TForm1& Main(OsKind kind = kOsWinXp) {
        MakeSystemDirectories();
        TForm1& main = Started(kind);
        main.Button6.Click();
        return main;
    }
    std::string LastMessage() { return dialogs().shown.empty() ? "" : dialogs().shown.back().text; }
    void Select(TForm1& main, const std::string& name, const std::string& file) {
        main.Edit1.TypeText(name);
        main.Edit2.TypeText(file);
    }
};

TEST_F(Trust, LoadTakesOnlyALayoutFileOfTheKindInUse) {
    TForm1& main = Main();
    const std::string mz = "MZ" + std::string(58, '\0') + std::string("\xF0\xFF\xFF\x7F", 4) + std::string(5568, '\0');
    struct Case {
        std::string file;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"small.dll", std::string(100, 'x')},
        {"big.dll", std::string(20 << 20, '\x5A')},
        {"win98.dll", test::ResourceFile("WIN98.kbd")},
        {"mz.dll", mz},  // the size and "MZ" of an XP library, its PE header outside the file
    };
    // XP libraries the loader refuses or crashes on: Load never patches them (it may start
    // a new layout from their tables, read as data), nor does Save install them again.
    const std::string xp = test::ResourceFile("WINXP.dll");
    for (const test::DamagedLibrary& d : test::LibraryDamager(xp).All())
        for (const char* what : {"relocation block size 0xFFFFFFF0", "relocation entry type 15", "a section at RVA 0",
                                 "NumberOfSections + 1", "section data outside the file", "NumberOfNames 0xFFFFFFFF"})
            if (d.what == what) cases.push_back({"damaged" + std::to_string(cases.size()) + ".dll", d.bytes});
    for (const auto& c : cases) {
        const std::string working = main.Layout().WorkingPath();
        const std::string before = ReadFile(working);
        WriteFile(SystemFile(main, c.file), c.bytes);
        AddLayout("00070402", "Planted", c.file);
        main.Button8Click();
        Select(main, "Planted", c.file);
        ASSERT_TRUE(main.Button5.Enabled()) << c.file;
        main.Button5.Click();
        const std::string refusal = "\"" + std::string(c.file) + "\" is not a Windows XP layout library!";
        if (c.file.rfind("damaged", 0) == 0 && main.Layout().WorkingPath() != working) {
            // Started from: a whole template copy of our own holds the keys read.
            EXPECT_TRUE(IsLayoutFileOfKind(ReadFile(main.Layout().WorkingPath()), kOsWinXp)) << c.file;
            Select(main, "Planted", c.file);
        } else {
            EXPECT_EQ(LastMessage(), refusal + " It was not loaded.");
            EXPECT_EQ(main.Layout().WorkingPath(), working) << c.file;
            EXPECT_EQ(ReadFile(working), before) << c.file;
        }

        // Nor is the file replaced by Save, which asks nothing first.
        main.Button4.Click();
        EXPECT_EQ(LastMessage(), refusal + " It was not replaced.");
        EXPECT_TRUE(ReadFile(SystemFile(main, c.file)) == c.bytes) << c.file;
        registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + "00070402");
    }
    EXPECT_EQ(Value("00050402", "layout text"), "Phonetic");  // no key was added
    EXPECT_EQ(Value("00060402", "layout text"), "<no key>");
}

// Another Windows' library is no file to patch, but a layout to start from: a new layout
// holding its keys, under new names, and the installed file as it was.
TEST_F(Trust, LoadStartsANewLayoutFromAnotherWindowsLibraryAndLeavesItAsItWas) {
    TForm1& main = Main();
    const std::string library = test::ResourceFile("WIN2K.dll");
    WriteFile(SystemFile(main, "win2k.dll"), library);
    AddLayout("00070402", "Planted", "win2k.dll");
    main.Button8Click();
    Select(main, "Planted", "win2k.dll");
    const std::string working = main.Layout().WorkingPath();
    main.Button5.Click();
    EXPECT_EQ(LastMessage(), "");
    EXPECT_NE(main.Layout().WorkingPath(), working);
    EXPECT_EQ(main.Edit2.Text(), "kbdbunew.dll");
    main.Button4.Click();  // Save goes to the new name
    EXPECT_EQ(ReadFile(SystemFile(main, "win2k.dll")), library);
    EXPECT_TRUE(FileExists(SystemFile(main, "kbdbunew.dll")));
}

TEST_F(Trust, DeviceNamesAreNoFileNames) {
    TForm1& main = Main();
    for (const char* name : {"NUL .dll", "CON .dll", "AUX .dll", "PRN .dll", "COM1 .dll", "LPT1 .dll", "CONIN$",
                             "CONOUT$", "clock$.dll"}) {
        Select(main, "Device", name);
        EXPECT_EQ(main.SaveLayoutToSystem(true),
                  std::string("2The File Name is invalid! \"") + name + "\" is the name of a Windows device.")
            << name;
    }
    AddLayout("00070402", "Serial", "COM1 .dll");
    main.Button8Click();
    Select(main, "Serial", "COM1 .dll");
    main.Button5.Click();
    EXPECT_EQ(LastMessage(), "The layout's file name is invalid: \"COM1 .dll\"");
    EXPECT_EQ(Value("00060402", "layout text"), "<no key>");
}

TEST_F(Trust, SaveNeverReplacesAFileThatIsNotThisLayoutsAlone) {
    TForm1& main = Main();
    WriteFile(SystemFile(main, "user32.dll"), std::string(5632, 'u'));
    WriteFile(SystemFile(main, "kbdus.kbd"), test::ResourceFile("WINXP.dll"));  // a layout file, but the US one's
    WriteFile(SystemFile(main, "\xEA\xE1\xE4.dll"), test::ResourceFile("WINXP.dll"));  // кбд.dll
    AddLayout("00070402", "Cyrillic", "\xEA\xE1\xE4.dll");
    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        {"user32.dll", "\"user32.dll\" is not a Windows XP layout library! It was not replaced."},
        {"kbdus.kbd", "\"kbdus.kbd\" belongs to the installed layout \"US\" (00000409)! It was not replaced."},
        {"KBDUS.KBD", "\"KBDUS.KBD\" belongs to the installed layout \"US\" (00000409)! It was not replaced."},
        {"\xCA\xC1\xC4.dll", "\"\xCA\xC1\xC4.dll\" belongs to the installed layout \"Cyrillic\" (00070402)! It was not replaced."},
    };
    const std::string snapshot = Snapshot();
    for (const auto& c : cases) {
        Select(main, "Taker", c.file);
        EXPECT_EQ(main.SaveLayoutToSystem(true), "2" + c.message) << c.file;
        EXPECT_TRUE(dialogs().shown.empty()) << c.file;  // refused before any question
    }
    EXPECT_EQ(Snapshot(), snapshot);
    EXPECT_EQ(ReadFile(SystemFile(main, "user32.dll")), std::string(5632, 'u'));
}

TEST_F(Trust, DeleteKeepsAFileThatAnotherLayoutNames) {
    TForm1& main = Main();
    WriteFile(SystemFile(main, "shared.dll"), test::ResourceFile("WINXP.dll"));
    WriteFile(SystemFile(main, "foreign.dll"), std::string(5632, 'f'));
    AddLayout("00070402", "First", "shared.dll");
    AddLayout("00080402", "Second", "SHARED.DLL");
    AddLayout("00090402", "Foreign", "foreign.dll");
    for (const char* name : {"First", "Foreign"}) {
        main.Button8Click();
        Select(main, name, name == std::string("First") ? "shared.dll" : "foreign.dll");
        dialogs().answers = {Answer::Yes};  // no question about the file follows
        main.Button9.Click();
        EXPECT_EQ(dialogs().shown.size(), 2u) << name;
        EXPECT_EQ(LastMessage(), name == std::string("First")
                                     ? "\"shared.dll\" belongs to the installed layout \"Second\" (00080402)! The file was kept."
                                     : "\"foreign.dll\" is not a Windows XP layout library! The file was kept.");
        dialogs().shown.clear();
    }
    EXPECT_EQ(Value("00070402", "layout text"), "<no key>");
    EXPECT_EQ(Value("00090402", "layout text"), "<no key>");
    EXPECT_TRUE(FileExists(SystemFile(main, "shared.dll")));
    EXPECT_TRUE(FileExists(SystemFile(main, "foreign.dll")));
}

TEST_F(Trust, ALanguageIdThatIsNoLayoutIdIsShownButNeverUsed) {
    AddLanguage("abcde402\\sub", "Nested\x01");
    AddLayout("xyz00402", "Odd", "odd.kbd");
    const std::string snapshot = Snapshot();
    list.FillLanguageList();
    const std::vector<std::string> names = Column(list.ListView1, 0);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[2], "Nested^A");
    EXPECT_EQ(Column(list.ListView1, 1)[2], "N/A");
    list.ListView1.SetSelected(2);
    ASSERT_EQ(list.ListView1.Selected(), 2);
    EXPECT_FALSE(list.Button5.Enabled());
    EXPECT_FALSE(list.Button3.Enabled());
    EXPECT_FALSE(editor.OpenLanguageForEdit("abcde402\\sub"));
    EXPECT_EQ(Snapshot(), snapshot);

    TForm1& main = Main(kOsWin9x);
    for (const std::string& caption : Captions(main)) EXPECT_EQ(caption.find("Odd"), std::string::npos) << caption;
}

TEST_F(Trust, AReadOnlyRegistryShowsWhatIsInstalledAndRefusesChanges) {
    TForm1& main = Main(kOsWin9x);
    Preload("1", "00000402");
    registry.MakeReadOnly(RootKey::LocalMachine, "System");
    const std::string snapshot = Snapshot();
    main.Button8Click();
    EXPECT_EQ(main.ListView2.Count(), 4);
    list.FillLanguageList();
    EXPECT_EQ(list.ListView1.Count(), 2);
    EXPECT_EQ(Column(list.ListView1, 1)[1], "Mine - (mine.kbd)");

    Select(main, "New one", "new.kbd");
    EXPECT_EQ(main.SaveLayoutToSystem(true),
              "2Can't make registry changes! You must have Administrator's rights to make any changes!\rOnly an "
              "administrator may install or remove keyboard layouts. Run Tastavia as administrator and try again.");
    EXPECT_FALSE(FileExists(SystemFile(main, "new.kbd")));
    Select(main, "Phonetic", "kbdph.kbd");
    dialogs().answers = {Answer::Yes, Answer::No};
    main.Button9.Click();
    EXPECT_EQ(LastMessage(), "Can't modify registry settings! File will not be deleted!");
    list.ListView1.SetSelected(1);
    ASSERT_TRUE(list.Button3.Enabled());
    dialogs().answers = {Answer::Yes};
    list.RemoveLanguage();
    EXPECT_EQ(LastMessage(), "Can't modify registry settings! Language not removed!");
    EXPECT_EQ(Snapshot(), snapshot);
}

}  // namespace
}  // namespace tastavia
