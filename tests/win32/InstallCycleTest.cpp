// The main window against the real registry and system directory of the Wine prefix:
// a layout is installed, loaded back and removed, end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include "WineMainWindow.h"

namespace tastavia {
namespace {

const char* const kFileName = "tastavia-cycle.dll";
const char* const kLayoutName = "Tastavia Cycle";

struct Cycle : test::WineMainWindow, ::testing::Test {
    // The key this test installed, found by its file name.
    std::string InstalledKey() {
        for (const CatalogueRecord& record : main.CatalogueRecords())
            if (record.File() == kFileName) return record.KeyName();
        return "";
    }

    void SetUp() override { Start(); }
    void TearDown() override {
        Uninstall(kFileName);
        main.Close();
    }
};

TEST_F(Cycle, InstallLoadAndRemoveALayout) {
    main.Button6.Click();
    main.Edit1.TypeText(kLayoutName);
    main.Edit2.TypeText(kFileName);
    main.KeyButton(16).Click();
    main.ListView1.UserClick(65 - 32);
    backend.dialogs.answers = {ui::Answer::Yes};  // saved despite the check's findings
    main.Button4.Click();
    ASSERT_FALSE(backend.dialogs.shown.empty());
    EXPECT_EQ(backend.dialogs.shown.back().text, "Layout successful added!");

    std::string key = InstalledKey();
    ASSERT_FALSE(key.empty());
    EXPECT_EQ(key.substr(4), "0402");
    auto values = registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + key, false);
    ASSERT_TRUE(values);
    EXPECT_EQ(values->ReadString("layout file"), kFileName);
    EXPECT_GE(std::stoul(values->ReadString("layout id"), nullptr, 16), 0xc0u);  // a layout id of its own
    EXPECT_EQ(values->ReadString("layout text"), kLayoutName);
    EXPECT_EQ(main.SystemDirectory().substr(1), ":\\windows\\system32\\");
    const std::string installed = main.SystemDirectory() + kFileName;
    EXPECT_EQ(files.ReadAll(installed), files.ReadAll(main.Layout().WorkingPath()));

    // Back into the editor from the system directory.
    LoadInstalled(kLayoutName, kFileName);
    EXPECT_EQ(main.KeyButton(16).Caption(), "A");

    backend.dialogs.answers = {ui::Answer::Yes, ui::Answer::Yes};
    main.Button9.Click();
    EXPECT_EQ(backend.dialogs.shown.back().text, "Layout successfuly deleted!");
    EXPECT_FALSE(registry.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey + key));
    EXPECT_FALSE(files.Exists(installed));
    EXPECT_EQ(main.Edit1.Text(), "");
    EXPECT_TRUE(InstalledKey().empty());
}

TEST_F(Cycle, APlantedFileNameIsRefusedAndTouchesNothing) {
    const std::string planted = "00F70402";
    const std::string victim = files.WindowsDirectory() + "\\tastavia-victim.txt";
    ASSERT_TRUE(files.WriteAll(victim, "keep me"));
    {
        auto key = registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + planted, true);
        ASSERT_TRUE(key);
        key->WriteString("layout text", "Planted\x05");
        key->WriteString("layout file", "..\\tastavia-victim.txt");
    }
    main.Button6.Click();
    main.Button8.Click();
    int entry = -1;
    for (std::size_t i = 0; i < main.CatalogueRecords().size(); ++i)
        if (main.CatalogueRecords()[i].KeyName() == planted) entry = static_cast<int>(i);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(main.ListView2.Item(entry).caption, "Planted^E - (..\\tastavia-victim.txt)");
    main.ListView2.UserClick(entry);
    const std::string working = main.Layout().WorkingPath();
    main.Button5.Click();
    EXPECT_EQ(backend.dialogs.shown.back().text, "The layout's file name is invalid: \"..\\tastavia-victim.txt\"");
    EXPECT_EQ(main.Layout().WorkingPath(), working);
    backend.dialogs.answers = {ui::Answer::Yes, ui::Answer::Yes};
    main.Button9.Click();
    EXPECT_TRUE(registry.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey + planted));
    EXPECT_EQ(files.ReadAll(victim), std::optional<std::string>("keep me"));

    registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + planted);
    files.Delete(victim);
}

}  // namespace
}  // namespace tastavia
