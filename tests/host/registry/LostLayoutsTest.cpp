// Lost layouts: libraries of ours that no layout key names are found and registered
// again, and load back as they were installed.
#include <gtest/gtest.h>

#include "RegistryFixture.h"
#include "app/LostLayoutsWindow.h"

namespace tastavia {
namespace {

struct LostLayouts : test::RegistryFixture, ::testing::Test {
    TForm1& InstallTwo(bool windows64 = false) {
        osVersion.info.machine = windows64 ? Machine::X64 : Machine::X86;
        MakeSystemDirectories();
        ::mkdir((dir / "WINDOWS/sysnative").c_str(), 0755);
        TForm1& main = Started(kOsWinXp);
        for (const char* name : {"First", "Second"}) {
            main.Button6.Click();
            main.KeyButton(16).Click();
            main.ListView1.UserClick(name[0] == 'F' ? 33 : 34);  // each its own character
            main.Edit1.TypeText(name);
            main.Edit2.TypeText(std::string("kbd") + name + ".dll");
            EXPECT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
        }
        // A Windows update resets the keys behind the program's back.
        for (const char* key : {"00050402", "00060402"}) registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + key);
        test::WriteFile(SystemFile(main, "notours.dll"), std::string(5632, 'x'));
        return main;
    }
    std::vector<std::string> Found(TLostLayouts& window) {
        std::vector<std::string> rows;
        for (int i = 0; i < window.ListView1.Count(); ++i) rows.push_back(window.ListView1.Item(i).caption);
        return rows;
    }
};

TEST_F(LostLayouts, AreFoundRegisteredAgainAndLoadBackUnchanged) {
    TForm1& main = InstallTwo();
    const std::string firstBytes = test::ReadFile(SystemFile(main, "kbdFirst.dll"));
    std::vector<std::string> rows;
    backend.modalScripts["LostLayouts"] = [&](ui::Form& form) {
        auto& window = static_cast<TLostLayouts&>(form);
        rows = Found(window);
        EXPECT_EQ(window.Edit1.Text(), "kbdFirst");
        window.Edit1.TypeText("First again");
        window.Button1.Click();
        EXPECT_EQ(Found(window), std::vector<std::string>{"kbdSecond.dll"});
        window.Button1.Click();  // under the file's name
        EXPECT_EQ(window.Label1.Caption(), "No lost layouts were found.");
    };
    main.LayoutListMenu.ChooseItem(2);
    EXPECT_EQ(rows, (std::vector<std::string>{"kbdFirst.dll", "kbdSecond.dll"}));
    EXPECT_EQ(Captions(main), (std::vector<std::string>{"First again - (kbdFirst.dll)", "kbdSecond - (kbdSecond.dll)"}));
    EXPECT_NE(Value("00050402", "layout id"), Value("00060402", "layout id"));
    EXPECT_EQ(test::ReadFile(SystemFile(main, "kbdFirst.dll")), firstBytes);

    main.Edit1.TypeText("First again");
    main.Edit2.TypeText("kbdFirst.dll");
    main.Button5.Click();
    EXPECT_EQ(test::ReadFile(main.Layout().WorkingPath()), firstBytes);
    EXPECT_EQ(main.KeyButton(16).Caption(), "A");
}

TEST_F(LostLayouts, OnWindows64ALoneCopyIsListedWithItsReasonAndNotRegistered) {
    TForm1& main = InstallTwo(true);
    ASSERT_TRUE(files.Delete(files.SystemFolderPath(SystemFolder::Native64) + "kbdSecond.dll"));
    std::vector<std::string> rows;
    bool registrable = true;
    backend.modalScripts["LostLayouts"] = [&](ui::Form& form) {
        auto& window = static_cast<TLostLayouts&>(form);
        rows = Found(window);
        window.ListView1.SetSelected(1);
        registrable = window.Button1.Enabled();
        window.Button1.Click();
    };
    main.LayoutListMenu.ChooseItem(2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "kbdFirst.dll");
    EXPECT_EQ(rows[1].rfind("kbdSecond.dll - The copy in ", 0), 0u) << rows[1];
    EXPECT_NE(rows[1].find("is missing"), std::string::npos);
    EXPECT_FALSE(registrable);
    EXPECT_TRUE(Captions(main).empty());
}

}  // namespace
}  // namespace tastavia
