// The catalogue's rules as tables: which entry the fields select, which buttons they
// allow, and that no registry value can change an entry's key or marks.
#include <gtest/gtest.h>

#include "RegistryFixture.h"
#include "registry/Catalogue.h"

namespace tastavia {
namespace {

CatalogueRecord Record(const std::string& text, const std::string& file, bool inUse = false) {
    return CatalogueRecord{InstalledLayout{"00050402", text, file}, BaseKindOf(text), inUse};
}

TEST(CatalogueRules, ButtonsFollowTheFieldsTheSelectionAndTheWorkingFileAndSayWhyTheyAreOff) {
    const CatalogueRecord mine = Record("Mine", "mine.dll");
    const CatalogueRecord used = Record("Used", "used.dll", true);
    struct Case {
        const char* name;
        const char* file;
        const CatalogueRecord* selected;
        bool open;
        const char* code;
        const char* reason;  // shown beside them
    };
    const char* const otherName = "This file belongs to an installed layout with another name";
    const Case cases[] = {
        {" \t", "mine.dll", &mine, true, "000", "Type a name"},  // blank: codes up to 32 only
        {"Mine", "", &mine, true, "000", "Type a file name"},
        {"", "\x01", nullptr, true, "000", "Type a name and a file name"},
        {"New", "new.dll", nullptr, true, "010", "Not installed: Save installs it"},
        {"New", "new.dll", nullptr, false, "000", "Nothing to save: New makes a layout"},
        {"Mine", "other.dll", &mine, true, "000", "This name belongs to an installed layout with another file"},
        {"Other", "mine.dll", &mine, true, "000", otherName},
        {"MINE", "MINE.DLL", &mine, true, "111", ""},  // ASCII letters in any case
        {"Mine ", "mine.dll", &mine, true, "000", otherName},  // compared as typed
        {"Mine", "mine.dll", &mine, false, "101", "Nothing to save: New or Load makes a layout"},
        {"Used", "used.dll", &used, true, "100", "In use: Stop using it first (the list's menu)"},
        {"Used", "used.dll", &used, false, "100", "In use: Stop using it first (the list's menu)"},
        // Save's own test of the File Name: what it refuses, the rules never offer.
        {"New", "a:b.dll", nullptr, true, "000", "A file name may not contain ':'."},
        {"New", "COM1 .dll", nullptr, true, "000", "\"COM1 .dll\" is the name of a Windows device."},
        {"New", "x.dll.", nullptr, true, "000", "A file name may not end in a dot or a space."},
        {"New", " new.dll ", nullptr, true, "010", "Not installed: Save installs it"},  // Save strips the spaces
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayoutButtonCode(c.name, c.file, c.selected, c.open), c.code) << c.name << " / " << c.file;
        EXPECT_EQ(LayoutButtonReason(c.name, c.file, c.selected, c.open), c.reason) << c.name << " / " << c.file;
    }
}

TEST(CatalogueRules, TheFirstEntryMatchingTheNameOrElseTheFileIsSelected) {
    const std::vector<CatalogueRecord> records = {Record("Alpha", "a.dll"), Record("\xCC\xEE\xFF", "b.dll"),
                                                  Record("Gamma", "a.dll"), Record("", "empty.dll")};
    struct Case {
        const char* name;
        const char* file;
        int entry;
    };
    const Case cases[] = {
        {"ALPHA", "x", 0}, {"x", "A.DLL", 0},          {"Gamma", "x", 2},
        {"\xEC\xEE\xFF", "x", -1},  // Cyrillic letters must match in case
        {"x", "b.dll", 1}, {"", "x", 3},  // an empty text matches an empty name
        {"x", "y", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindMatchingEntry(records, c.name, c.file), c.entry) << c.name;
}

struct PlantedValues : test::RegistryFixture, ::testing::Test {};

TEST_F(PlantedValues, NoValueChangesTheKeyOrTheMarksOfItsEntry) {
    AddLayout("00000409", "US", "kbdus.dll");
    AddLayout("00050402", std::string("Evil\x05", 5), "evil.dll");
    AddLayout("00060402", "Forged", std::string("mine.dll\x01" "00000409\x05\x02\x04", 20));
    TForm1& main = Started(kOsWinXp);
    ASSERT_EQ(main.CatalogueRecords().size(), 2u);
    EXPECT_EQ(main.CatalogueRecords()[1].KeyName(), "00060402");
    EXPECT_FALSE(main.CatalogueRecords()[1].IsBase() || main.CatalogueRecords()[1].inUse);
    EXPECT_EQ(Captions(main), (std::vector<std::string>{"Evil^E - (evil.dll)",
                                                        "Forged - (mine.dll^A00000409^E^B^D)"}));
    EXPECT_EQ(main.ListView2.Item(0).marks, 0u);  // no value makes a mark
    for (int round = 0; round < 2; ++round) {
        main.ListView2.UserClick(0);
        ASSERT_EQ(Buttons(main), "101");
        dialogs().answers = {ui::Answer::Yes, ui::Answer::No};  // the key only
        main.Button9.Click();
    }
    EXPECT_EQ(main.ListView2.Count(), 0);
    EXPECT_EQ(Value("00000409", "layout text"), "US");
}

}  // namespace
}  // namespace tastavia
