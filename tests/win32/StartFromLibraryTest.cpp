// Under Wine: a layout library of another maker (MinGW gcc, built from
// tests/fixtures/kbd/layout.c) in the system folder, installed as the system's own, opened
// into a new layout, saved, and the installed result holds the source's 48 keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <vector>

#include "TimedSteps.h"
#include "WineMainWindow.h"
#include "app/LeftOut.h"
#include "layout/ForeignLayout.h"
#include "ui/win32/Win32Backend.h"

namespace tastavia {
namespace {

const char* const kSourceFile = "tastavia-other.dll";
const char* const kSavedFile = "tastavia-started.dll";
const char* const kSourceKey = "a0fe0402";

struct StartFromLibrary : test::WineMainWindow, ::testing::Test {
    void SetUp() override {
        const std::optional<std::string> fixture = files.ReadAll(TASTAVIA_KBD_FIXTURE_X86);
        ASSERT_TRUE(fixture) << TASTAVIA_KBD_FIXTURE_X86;
        source = *fixture;
        ASSERT_TRUE(files.WriteAll(SystemDirectoryPath() + kSourceFile, source));
        auto key = registry.Open(RootKey::LocalMachine, std::string(kKeyboardLayoutsKey) + kSourceKey, true);
        key->WriteString("layout file", kSourceFile);
        key->WriteString("layout text", "Other Maker");
        Start();
    }
    void TearDown() override {
        Uninstall(kSavedFile);
        Uninstall(kSourceFile);
        main.Close();
    }
    std::string SystemDirectoryPath() { return files.WindowsDirectory() + "\\system32\\"; }
    std::string source;
};

TEST_F(StartFromLibrary, AnInstalledLibraryBecomesANewLayoutThatSavesWithTheSameKeys) {
    main.Edit1.TypeText("Other Maker");
    main.Edit2.TypeText(kSourceFile);
    ASSERT_TRUE(main.Button5.Enabled());
    backend.modalScripts["Form8"] = [](ui::Form&) {};
    main.Button5.Click();
    EXPECT_EQ(backend.modalLog, std::vector<std::string>{"Form8"});
    EXPECT_EQ(main.Edit2.Text(), "kbdbunew.dll");
    EXPECT_EQ(files.ReadAll(main.SystemDirectory() + kSourceFile), source);  // never touched

    main.Edit1.SetText("Started From Other");
    main.Edit2.SetText(kSavedFile);
    EXPECT_EQ(main.SaveLayoutToSystem(true)[0], '0');
    const std::optional<std::string> saved = files.ReadAll(main.SystemDirectory() + kSavedFile);
    ASSERT_TRUE(saved);
    std::string why;
    const std::optional<ForeignLayout> want = ReadLayoutLibrary(source, &why);
    const std::optional<ForeignLayout> got = ReadLayoutLibrary(*saved, &why);
    ASSERT_TRUE(want && got) << why;
    EXPECT_EQ(got->keys, want->keys);
    EXPECT_TRUE(got->leftOut.empty());

    // The system's loader takes it too, and its export gives the tables.
    HMODULE library = LoadLibraryA((main.SystemDirectory() + kSavedFile).c_str());
    ASSERT_TRUE(library);
    using Descriptor = void* (*)();
    const auto descriptor = reinterpret_cast<Descriptor>(reinterpret_cast<void*>(GetProcAddress(library, "KbdLayerDescriptor")));
    ASSERT_TRUE(descriptor);
    EXPECT_NE(descriptor(), nullptr);
    FreeLibrary(library);
}

TEST(LeftOutWindow, IsAReadOnlyMultiLineTextThatTheKeyboardLeavesAndCloses) {
    ui::Win32Backend backend;
    ui::Application app{backend};
    TForm8 window{app};
    HWND edit = nullptr;
    LONG style = 0;
    char text[64] = "";
    bool editFocused = false, buttonFocused = false;
    test::TimedSteps timed(10000);
    timed.Run({[&] {
                   edit = backend.WindowOf(window.Edit1);
                   style = GetWindowLongA(edit, GWL_STYLE);
                   GetWindowTextA(edit, text, sizeof text);
                   editFocused = GetFocus() == edit;
                   PostMessageA(edit, WM_KEYDOWN, VK_TAB, 1 | 0x0F << 16);
               },
               [&] {
                   buttonFocused = GetFocus() == backend.WindowOf(window.Button1);
                   SetFocus(edit);
                   PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1 | 0x1C << 16);
               }},
              50);
    window.ShowLeftOut("k.dll", {"one", "two"});
    EXPECT_EQ(timed.Done(), 2u);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_STREQ(text, "one\r\ntwo");
    EXPECT_TRUE(editFocused);
    EXPECT_TRUE(buttonFocused);
    EXPECT_FALSE(window.Showing());
}

}  // namespace
}  // namespace tastavia
