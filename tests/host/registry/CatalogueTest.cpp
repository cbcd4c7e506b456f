// The installed layout catalogue: which keys it lists, its marks, the field matching
// and the button rules.
#include <gtest/gtest.h>

#include "RegistryFixture.h"

namespace tastavia {
namespace {

struct CatalogueTest : test::RegistryFixture, ::testing::Test {
    void SetUp() override {
        AddLayout("00000402", "Bulgarian", "kbdbu.dll");
        AddLayout("00020402", "bulgarian (LATIN)", "kbdbulat.dll");
        AddLayout("00050402", "Bulgarian (Phonetic)", "kbdbuph.dll");
        AddLayout("00000409", "US", "kbdus.dll");
        AddLayout("0402", "Short", "short.dll");
        AddLayout("00060402", "\xCC\xEE\xFF", "moya.dll");  // Моя
    }
};

TEST_F(CatalogueTest, ListsBulgarianKeysWithTheirBaseMarks) {
    TForm1& main = Started(kOsWinXp);
    EXPECT_EQ(Captions(main), (std::vector<std::string>{
                                  "Bulgarian - (kbdbu.dll) - [BASE]",
                                  "bulgarian (LATIN) - (kbdbulat.dll) - [BASE]",
                                  "Bulgarian (Phonetic) - (kbdbuph.dll)",
                                  "\xCC\xEE\xFF - (moya.dll)",
                              }));
    const auto& records = main.CatalogueRecords();
    EXPECT_EQ(records[0].Name(), "Bulgarian");
    EXPECT_EQ(records[0].File(), "kbdbu.dll");
    EXPECT_EQ(records[0].KeyName(), "00000402");
    EXPECT_EQ(records[0].base, BaseKind::Main);
    EXPECT_EQ(records[1].base, BaseKind::Latin);
    EXPECT_FALSE(records[2].IsBase());
    EXPECT_EQ(records[2].KeyName(), "00050402");
    EXPECT_EQ(Buttons(main), "000");
}

TEST_F(CatalogueTest, KeysThatCannotBeOpenedAreLeftOut) {
    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Open);
    TForm1& main = Started(kOsWin2000);
    EXPECT_EQ(main.ListView2.Count(), 3);
    EXPECT_EQ(main.CatalogueRecords()[2].KeyName(), "00060402");
}

TEST_F(CatalogueTest, FieldsSelectTheMatchingEntryAndSetTheButtons) {
    TForm1& main = Started(kOsWinXp);
    main.Button6.Click();  // a working file, and fields that match nothing
    EXPECT_EQ(main.ListView2.Selected(), -1);
    EXPECT_EQ(Buttons(main), "010");

    main.Edit1.TypeText("BULGARIAN");  // ASCII letters in any case
    EXPECT_EQ(main.ListView2.Selected(), 0);
    EXPECT_EQ(Buttons(main), "000");  // its file does not match
    main.Edit2.TypeText("KBDBU.DLL");
    EXPECT_EQ(Buttons(main), "111");

    main.Edit1.TypeText("\xEC\xEE\xFF");  // моя: Cyrillic letters must match in case
    EXPECT_EQ(main.ListView2.Selected(), 0);  // still by the file
    main.Edit2.TypeText("kbdbuph.dll");  // name of none, file of another
    EXPECT_EQ(main.ListView2.Selected(), 2);
    EXPECT_EQ(Buttons(main), "000");
    main.Edit2.TypeText("new.dll");
    EXPECT_EQ(main.ListView2.Selected(), -1);
    EXPECT_EQ(Buttons(main), "010");

    main.ListView2.UserClick(3);
    EXPECT_EQ(main.Edit1.Text(), "\xCC\xEE\xFF");
    EXPECT_EQ(main.Edit2.Text(), "moya.dll");
    EXPECT_EQ(Buttons(main), "111");

    main.Layout().OpenWorkingFile("");  // without a working file Save stays off
    main.Button8.Click();
    EXPECT_EQ(Buttons(main), "101");
}

TEST_F(CatalogueTest, AnEmptyLayoutTextMatchesAnEmptyName) {
    AddLayout("00070402", "", "empty.dll");
    TForm1& main = Started(kOsWinXp);
    main.Button8.Click();
    EXPECT_EQ(main.ListView2.Selected(), 4);
    EXPECT_EQ(Buttons(main), "000");
}

TEST_F(CatalogueTest, Windows9xMarksLayoutsOfItsLanguages) {
    AddLanguage("00000402", "Bulgarian");
    AddLanguage("00001402", "Second");
    AddLanguage("00002402", "Third");
    AddLanguage("00000409", "English");
    // 00000402 is substituted by the Phonetic layout, preloaded or not.
    registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\substitutes\\00000402", true)
        ->WriteString("", "00050402");
    // 00001402 has no layout key of its own; 00002402 is preloaded under its own key.
    AddLayout("00002402", "Third layout", "third.dll");
    registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\1", true)->WriteString("", "00000409");
    registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\2", true)->WriteString("", "00002402");
    TForm1& main = Started(kOsWin9x);
    std::vector<std::string> captions = Captions(main);
    ASSERT_EQ(captions.size(), 5u);  // in the order the registry lists the keys
    EXPECT_EQ(captions[0], "Bulgarian - (kbdbu.dll) - [BASE]");
    EXPECT_EQ(captions[1], "Third layout - (third.dll) - [IN USE]");
    EXPECT_EQ(captions[3], "Bulgarian (Phonetic) - (kbdbuph.dll) - [IN USE]");
    EXPECT_TRUE(main.CatalogueRecords()[1].inUse);

    main.Button6.Click();
    main.ListView2.UserClick(3);  // in use: only Load
    EXPECT_EQ(main.Edit2.Text(), "kbdbuph.dll");
    EXPECT_EQ(Buttons(main), "100");
}

// A preloaded name marks its own key only when it is the language's name letter for
// letter; a substitute is found in any letter case.
TEST_F(CatalogueTest, Windows9xMatchesAPreloadedLanguageByItsExactName) {
    AddLanguage("0000A402", "Preloaded in other letters");
    AddLanguage("0000B402", "Preloaded");
    AddLanguage("0000c402", "Substituted");
    AddLayout("0000A402", "A layout", "a.dll");
    AddLayout("0000B402", "B layout", "b.dll");
    AddLayout("0000D402", "D layout", "d.dll");
    registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\1", true)->WriteString("", "0000a402");
    registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\2", true)->WriteString("", "0000B402");
    registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\substitutes\\0000C402", true)
        ->WriteString("", "0000d402");
    TForm1& main = Started(kOsWin9x);
    std::vector<std::string> marked;
    for (const CatalogueRecord& record : main.CatalogueRecords())
        if (record.inUse) marked.push_back(record.KeyName());
    EXPECT_EQ(marked, (std::vector<std::string>{"0000B402", "0000D402"}));
}

TEST_F(CatalogueTest, WindowsNtMarksPreloadedLayoutsAndTheirSubstitutes) {
    auto preload = registry.Open(RootKey::CurrentUser, "keyboard layout\\preload", true);
    preload->WriteString("1", "00000409");
    preload->WriteString("2", "00000402");
    preload->WriteString("3", "d0010402");
    preload->WriteString("4", "00000402");  // listed twice: marked once
    registry.Open(RootKey::CurrentUser, "keyboard layout\\substitutes", true)->WriteString("d0010402", "00050402");
    TForm1& main = Started(kOsWinXp);
    std::vector<std::string> captions = Captions(main);
    EXPECT_EQ(captions[0], "Bulgarian - (kbdbu.dll) - [BASE] - [IN USE]");
    EXPECT_EQ(main.ListView2.Item(0).marks, std::string(" - [BASE] - [IN USE]").size());  // cut before them
    EXPECT_EQ(captions[1], "bulgarian (LATIN) - (kbdbulat.dll) - [BASE]");
    EXPECT_EQ(captions[2], "Bulgarian (Phonetic) - (kbdbuph.dll) - [IN USE]");
}

}  // namespace
}  // namespace tastavia
