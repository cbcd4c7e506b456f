// The language list: its rows and marks, the selection rule, removing, the search by
// caption, and the way into the editor.
#include <gtest/gtest.h>

#include "LanguageFixture.h"
#include "languages/Languages.h"
#include "text/Text.h"

namespace tastavia {
namespace {

using ui::Answer;
using ui::MessageKind;

struct LanguageList : test::LanguageFixture, ::testing::Test {
    void SetUp() override {
        AddLanguage("00002402", "bulgarian");  // no layout key of its own
        AddLanguage("00000409", "English");
        AddLanguage("00050402", "Phonetic");
        Preload("1", "00000402");
        Preload("2", "00050402");
    }
    // "Edit..." and "Delete" together: "11", "00", or a mismatch.
    std::string EditAndDelete() {
        return std::string(list.Button5.Enabled() ? "1" : "0") + (list.Button3.Enabled() ? "1" : "0");
    }
};

TEST_F(LanguageList, RowsShowNamesMarksAndDefaultLayouts) {
    list.FillLanguageList();
    EXPECT_EQ(Column(list.ListView1, 0),
              (std::vector<std::string>{"Bulgarian - [BASE][IN USE]", "Second", "bulgarian", "Phonetic - [IN USE]"}));
    EXPECT_EQ(Marks(list.ListView1), (std::vector<std::string>{" - [BASE][IN USE]", "", "", " - [IN USE]"}));
    EXPECT_EQ(Column(list.ListView1, 1),
              (std::vector<std::string>{"Bulgarian - (kbdbu.kbd)", "Mine - (mine.kbd)", "N/A",
                                        "Phonetic - (kbdph.kbd)"}));
    EXPECT_TRUE(list.Rows()[0].base);
    EXPECT_FALSE(list.Rows()[2].base);  // the name must match in case

    // A preload slot that cannot be opened stands for itself; ids compare in any case.
    Preload("00002402", "");
    registry.Deny(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\00002402", RegistryOperation::Open);
    Preload("3", "0000a402");
    AddLanguage("0000A402", "Hex");
    list.FillLanguageList();
    EXPECT_EQ(Column(list.ListView1, 0)[2], "bulgarian - [IN USE]");
    EXPECT_EQ(Column(list.ListView1, 0)[3], "Hex - [IN USE]");
}

TEST_F(LanguageList, OnlyLanguagesThatAreNeitherBaseNorInUseCanBeEditedOrRemoved) {
    list.FillLanguageList();
    EXPECT_EQ(EditAndDelete(), "00");
    for (auto [row, expected] : {std::pair{0, "00"}, {3, "00"}, {2, "11"}, {-1, "00"}, {1, "11"}}) {
        list.ListView1.SetSelected(row);
        EXPECT_EQ(EditAndDelete(), expected) << row;
    }
    list.Button4Click();  // Refresh drops the selection
    EXPECT_EQ(list.ListView1.Selected(), -1);
    EXPECT_EQ(EditAndDelete(), "00");
}

TEST_F(LanguageList, RemovingAsksAndDeletesOnlyTheLanguageValue) {
    list.FillLanguageList();
    list.ListView1.SetSelected(1);
    dialogs().answers = {Answer::No};
    list.RemoveLanguage();
    EXPECT_EQ(dialogs().Take().at(0).text, "Are you sure you want to remove this language?");
    EXPECT_EQ(Language("00001402"), "Second");
    EXPECT_EQ(list.ListView1.Selected(), 1);

    dialogs().answers = {Answer::Yes};
    list.Button3Click();
    EXPECT_EQ(dialogs().shown.back().text, "Language successfuly removed!");
    EXPECT_EQ(dialogs().Take().back().kind, MessageKind::Information);
    EXPECT_EQ(Language("00001402"), "<none>");
    EXPECT_EQ(Value("00001402", "layout text"), "Mine");  // its layout stays installed
    EXPECT_EQ(Column(list.ListView1, 0).size(), 3u);
    EXPECT_EQ(EditAndDelete(), "00");

    list.ListView1.SetSelected(1);  // "bulgarian"
    registry.Deny(RootKey::LocalMachine, test::kLocale, RegistryOperation::Delete);
    dialogs().answers = {Answer::Yes};
    list.RemoveLanguage();
    EXPECT_EQ(dialogs().shown.back().text, "Can't modify registry settings! Language not removed!");
    EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Error);
    EXPECT_EQ(Language("00002402"), "bulgarian");
    EXPECT_EQ(list.ListView1.Selected(), -1);  // rebuilt

    list.ListView1.SetSelected(0);  // the base language is never removed
    list.RemoveLanguage();
    EXPECT_EQ(dialogs().shown.size(), 2u);
}

TEST_F(LanguageList, FindLanguageIdComparesCaptionsInUpperCase) {
    AddLanguage("00003402", "My Layout");
    AddLanguage("00004402", "\xCC\xEE\xFF \xA8");  // Моя Ё
    AddLanguage("00006402", "MY LAYOUT");
    // Not the base language, whose caption carries its marks, but the one named in lower case.
    EXPECT_EQ(list.FindLanguageId("Bulgarian"), "00002402");
    EXPECT_EQ(list.FindLanguageId("bulgarian - [base][in use]"), "00000402");
    EXPECT_EQ(list.FindLanguageId("my layout"), "00006402");  // the last that is equal
    EXPECT_EQ(list.FindLanguageId("\xEC\xEE\xFF \xB8"), "00004402");  // моя ё
    EXPECT_EQ(list.FindLanguageId("Phonetic"), "");
    EXPECT_EQ(list.ListView1.Count(), 7);  // the list was filled on the way
}

TEST(UpperCase1251, UpperCasesEveryCyrillicLetterOfTheCodePage) {
    std::string lower, upper;
    for (int c = 0xE0; c <= 0xFF; ++c) lower += static_cast<char>(c);
    for (int c = 0xC0; c <= 0xDF; ++c) upper += static_cast<char>(c);
    EXPECT_EQ(UpperCase1251(lower), upper);
    EXPECT_EQ(UpperCase1251("\xB3\xBF\xBA\xA2\xBC\x9A\x9C\x90\x83\xB4\xBE"),
              "\xB2\xAF\xAA\xA1\xA3\x8A\x8C\x80\x81\xA5\xBD");  // і ї є ў ј љ њ ђ ѓ ґ ѕ
    EXPECT_EQ(UpperCase1251("az [\xB5\xB9\xAB]"), "AZ [\xB5\xB9\xAB]");  // µ, №, « have no capitals
}

TEST_F(LanguageList, AddAndEditGoThroughTheEditorAndRefreshAfterwards) {
    list.FillLanguageList();
    backend.modalScripts["Form3"] = [this](ui::Form&) {
        EXPECT_EQ(editor.Caption(), "Add New Language");
        editor.Edit1.TypeText("Third");
        editor.Button1.Click();
    };
    list.Button2Click();
    EXPECT_EQ(Language("00003402"), "Third");
    EXPECT_EQ(Column(list.ListView1, 0)[3], "Third");
    EXPECT_EQ(dialogs().Take().back().text, "New Language successful created!");

    list.ListView1.SetSelected(1);
    backend.modalScripts["Form3"] = [this](ui::Form&) {
        EXPECT_EQ(editor.Caption(), "Edit Language");
        EXPECT_EQ(editor.EditedLanguageId, "00001402");
        editor.Button2.Click();  // Cancel
    };
    list.Button5Click();
    EXPECT_EQ(backend.modalLog, (std::vector<std::string>{"Form3", "Form3"}));
    EXPECT_EQ(Language("00001402"), "Second");

    // A language that went meanwhile is not edited.
    list.ListView1.SetSelected(1);
    registry.Open(RootKey::LocalMachine, test::kLocale, false)->DeleteValue("00001402");
    list.Button5Click();
    EXPECT_EQ(backend.modalLog.size(), 2u);
    EXPECT_EQ(Column(list.ListView1, 0).size(), 4u);
}

}  // namespace
}  // namespace tastavia
