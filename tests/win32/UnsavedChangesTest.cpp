// The questions before unsaved changes go and the messages of failed INI commands, on the
// real files, profile functions and registry of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include "WineMainWindow.h"

namespace tastavia {
namespace {

const char* const kFileName = "tastavia-unsaved.dll";

struct UnsavedUnderWine : test::WineMainWindow, ::testing::Test {
    std::string ini;

    void SetUp() override {
        Start();
        ini = files.TempPath() + "tastavia-readonly.ini";
    }
    void TearDown() override {
        Uninstall(kFileName);
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        files.Delete(ini);
        if (main.Showing()) main.Close();
    }
    void ChangeKey2() {
        main.KeyButton(2).Click();
        main.ListView1.UserClick('#' - 32);
    }
    // The boxes shown since the last call: their kinds and texts.
    std::vector<ui::ScriptedDialogs::Shown> Shown() { return backend.dialogs.Take(); }
};

TEST_F(UnsavedUnderWine, NewLoadAndCloseAskBeforeChangesGo) {
    main.Button6.Click();
    main.Edit1.TypeText("Tastavia Unsaved");
    main.Edit2.TypeText(kFileName);
    ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    const std::uint8_t installed = main.Layout().ReadKeyChar(2, ShiftState::Unshifted);
    ChangeKey2();
    Shown();
    for (ui::Button* action : {&main.Button6, &main.Button5, &main.Button2}) {
        SCOPED_TRACE(action->Caption());
        backend.dialogs.answers = {ui::Answer::No};
        action->Click();
        const auto shown = Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, ui::MessageKind::Confirmation);
        EXPECT_EQ(shown[0].text, kDiscardQuestion);
        EXPECT_TRUE(main.Showing());
        EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '#');
    }
    backend.dialogs.answers = {ui::Answer::Yes};
    main.Button5.Click();  // Load: the installed layout is back in the editor
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), installed);
    EXPECT_FALSE(main.HasUnsavedChanges());
    ChangeKey2();
    backend.dialogs.answers = {ui::Answer::Yes};
    main.Button2.Click();
    EXPECT_FALSE(main.Showing());
}

TEST_F(UnsavedUnderWine, SaveToOntoAReadOnlyIniSaysSoAndLoadFromAFileWithoutALayoutToo) {
    main.Button6.Click();
    ASSERT_TRUE(files.WriteAll(ini, "[Other]\r\nkeep=1\r\n"));
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    main.Button1.Click();
    backend.dialogs.files.push_back(ini);
    backend.dialogs.answers = {ui::Answer::Yes};  // replace it
    main.PopupMenu1.ChooseItem(1);  // Save To...
    auto shown = Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, ini + " already exists.\rDo you want to replace it?");
    EXPECT_EQ(shown[1].kind, ui::MessageKind::Error);
    EXPECT_EQ(shown[1].text, "\"Save To\" could not be finished.\r\rReason: Unable to write to " + ini +
                                 "\rThe file is read-only.");
    EXPECT_EQ(files.ReadAll(ini), std::optional<std::string>("[Other]\r\nkeep=1\r\n"));

    ChangeKey2();
    Shown();
    backend.dialogs.files.push_back(ini);
    main.PopupMenu1.ChooseItem(0);  // Load From...: no [KBD] section, so nothing to ask
    shown = Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, ui::MessageKind::Error);
    EXPECT_NE(shown[0].text.find("holds no keyboard layout"), std::string::npos) << shown[0].text;
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '#');
}

// Load From and Save To take nothing but a plain disk file: a device with a colon or an
// extension, a device path and a folder are refused with a message and never opened
// (window-opens-under-wine runs this with Wine's trace of the opens).
TEST_F(UnsavedUnderWine, LoadFromAndSaveToRefuseDevicesAndFolders) {
    main.Button6.Click();
    ChangeKey2();
    Shown();
    // A folder that is there already: making one would open it.
    const std::string folder = main.SystemDirectory().substr(0, main.SystemDirectory().size() - 1);
    for (const std::string& path : {std::string("COM1:"), std::string("NUL:"), std::string("CON:"),
                                    std::string("C:\\COM1.ini"), std::string("\\\\.\\COM1"), folder}) {
        main.Button1.Click();
        backend.dialogs.files.push_back(path);
        main.PopupMenu1.ChooseItem(0);  // Load From...
        auto shown = Shown();
        ASSERT_EQ(shown.size(), 1u) << path;
        EXPECT_EQ(shown[0].kind, ui::MessageKind::Error) << path;
        EXPECT_EQ(shown[0].text, "\"" + path + "\" is a folder or a device, not a file.") << path;
        main.Button1.Click();
        backend.dialogs.files.push_back(path);
        main.PopupMenu1.ChooseItem(1);  // Save To...
        shown = Shown();
        ASSERT_EQ(shown.size(), 1u) << path;
        EXPECT_EQ(shown[0].text, "\"Save To\" could not be finished.\r\rReason: Unable to write to " + path) << path;
    }
    EXPECT_EQ(main.Layout().ReadKeyChar(2, ShiftState::Unshifted), '#');
    EXPECT_TRUE(main.HasUnsavedChanges());
}

}  // namespace
}  // namespace tastavia
