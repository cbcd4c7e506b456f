// The main window's Compare, Print and Picture, through the widget model.
#include <gtest/gtest.h>

#include "app/Compare.h"
#include "layout/BuiltinKeys.h"
#include "layout/LayoutChart.h"
#include "registry/RegistryFixture.h"

namespace tastavia {
namespace {

struct CompareAndPicture : test::RegistryFixture, ::testing::Test {
    TForm1& Bds() {
        MakeSystemDirectories();
        TForm1& main = Started(kOsWinXp);
        main.Button6.Click();
        main.BDS1Click();
        return main;
    }
    // The INI popup's item of that caption, as the user picks it.
    void Choose(TForm1& main, const std::string& caption) {
        main.Button1.Click();  // "INI File..." opens the menu
        for (std::size_t i = 0; i < main.PopupMenu1.items.size(); ++i)
            if (main.PopupMenu1.items[i].caption == caption) return main.PopupMenu1.ChooseItem(i);
        FAIL() << "no item " << caption;
    }
    std::string LastMessage() { return dialogs().shown.empty() ? "" : dialogs().shown.back().text; }
};

TEST_F(CompareAndPicture, CompareListsTheKeysThatDifferAndGoesToTheChosenOne) {
    TForm1& main = Bds();
    test::WriteFile(dir / "phonetic.ini", test::ResourceFile("PHONETIC.ini"));
    const std::vector<KeyDifference> expected =
        CompareLayouts(test::BuiltinKeys(kOsWinXp, "BDS"), test::BuiltinKeys(kOsWinXp, "PHONETIC"));
    TForm9& compare = main.Form9();
    backend.modalScripts["Form9"] = [&](ui::Form&) {
        ASSERT_EQ(compare.ListView1.Count(), static_cast<int>(expected.size()));
        EXPECT_EQ(compare.ListView1.Item(0).caption, "key 1 (`)");
        EXPECT_EQ(compare.ListView1.Item(0).subItems,
                  (std::vector<std::string>{"unshifted, shifted, Caps Lock", DifferenceText(expected[0])}));
        EXPECT_EQ(compare.Label1.Caption(),
                  std::to_string(expected.size()) +
                      " keys differ from phonetic.ini. Double-click one to show it in the editor.");
        compare.ListView1.UserDoubleClick(1);
    };
    dialogs().files.push_back(dir / "phonetic.ini");
    Choose(main, "&Compare...");
    EXPECT_EQ(dialogs().fileDialogs.back().title, "Compare With");
    EXPECT_EQ(main.CurrentKey(), expected[1].key);
    EXPECT_TRUE(main.KeyButton(expected[1].key).Down());

    // A file of no layout: the command ends with the reason, the editor as it was.
    test::WriteFile(dir / "notes.txt", "nothing");
    dialogs().files.push_back(dir / "notes.txt");
    Choose(main, "&Compare...");
    EXPECT_NE(LastMessage().find("\"Compare\" could not be finished"), std::string::npos) << LastMessage();
    EXPECT_NE(LastMessage().find("neither a layout file of a known kind nor an INI file"), std::string::npos);
    dialogs().files.push_back(std::nullopt);  // cancelled: no window
    Choose(main, "&Compare...");
    EXPECT_EQ(backend.modalLog, (std::vector<std::string>{"Form9"}));
}

TEST_F(CompareAndPicture, CompareWithInstalledReadsACopyOfTheInstalledFile) {
    TForm1& main = Bds();
    Choose(main, "Compare With &Installed");  // nothing chosen in the list
    EXPECT_EQ(LastMessage(), "Choose an installed layout in the list to compare with.");

    main.SetLayoutNames("Mine", "kbdmine.dll");
    main.Button4.Click();
    ASSERT_EQ(Value("00050402", "layout file"), "kbdmine.dll");
    main.Layout().WriteKeyChar(15, ShiftState::Unshifted, 0xFF);
    std::vector<std::string> rows;
    backend.modalScripts["Form9"] = [&](ui::Form&) {
        for (int i = 0; i < main.Form9().ListView1.Count(); ++i)
            rows.push_back(main.Form9().ListView1.Item(i).subItems[1]);
        EXPECT_EQ(main.Form9().Label1.Caption(),
                  "1 key differs from kbdmine.dll. Double-click it to show it in the editor.");
    };
    const std::string installed = test::ReadFile(SystemFile(main, "kbdmine.dll"));
    Choose(main, "Compare With &Installed");
    EXPECT_EQ(rows, (std::vector<std::string>{"key 15 (Q): unshifted \xFF (255) -> , (44)"}));
    EXPECT_EQ(test::ReadFile(SystemFile(main, "kbdmine.dll")), installed);
    EXPECT_EQ(main.CurrentKey(), 0);  // closed without a choice
    // The copy is gone; the working file and the built-ins' copies stay.
    std::size_t temps = 0;
    for (const std::string& name : {std::string("Temp")}) {
        FILE* pipe = ::popen(("ls '" + (dir / name) + "' | grep -c '^KBD'").c_str(), "r");
        char count[16] = "";
        if (pipe && std::fgets(count, sizeof count, pipe)) temps = std::stoul(count);
        if (pipe) ::pclose(pipe);
    }
    EXPECT_EQ(temps, 0u);
}

TEST_F(CompareAndPicture, PrintAndPictureDrawTheChartOfTheEditedLayout) {
    TForm1& main = Bds();
    main.SetLayoutNames("Моя", "kbdmine.dll");
    main.Layout().WriteKeyChar(2, ShiftState::Shifted, 0xB9);  // №
    Choose(main, "&Print...");
    ASSERT_EQ(backend.pictures.printed.size(), 1u);
    const picture::Picture& printed = backend.pictures.printed[0];
    std::map<std::string, std::string> texts;
    for (const picture::Text& text : printed.texts) texts[text.id] = text.text;
    EXPECT_EQ(texts["title"], "Моя");
    EXPECT_EQ(texts[ChartTextId(2, ShiftState::Shifted)], "\xB9");
    EXPECT_EQ(texts[ChartTextId(29, ShiftState::Unshifted)], "\xE0");  // а
    backend.pictures.printAnswer = false;  // the print dialog cancelled: nothing, no message
    Choose(main, "&Print...");
    EXPECT_EQ(backend.pictures.printed.size(), 1u);
    EXPECT_TRUE(dialogs().shown.empty());

    dialogs().files.push_back(std::nullopt);
    Choose(main, "Pic&ture...");
    EXPECT_TRUE(backend.pictures.drawn.empty());
    dialogs().files.push_back(dir / "chart.bmp");
    Choose(main, "Pic&ture...");
    EXPECT_EQ(dialogs().fileDialogs.back().defaultExtension, "bmp");
    ASSERT_EQ(backend.pictures.drawn.size(), 1u);
    EXPECT_EQ(test::ReadFile(dir / "chart.bmp"), "BM" + picture::SvgText(backend.pictures.drawn[0]));
    // A target that cannot be written: the reason, and nothing half written.
    dialogs().files.push_back(dir / "no-such-folder/chart.bmp");
    Choose(main, "Pic&ture...");
    EXPECT_NE(LastMessage().find("Unable to write to"), std::string::npos) << LastMessage();
}

}  // namespace
}  // namespace tastavia
