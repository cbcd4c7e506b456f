// Check and Try on real windows, for every kind of layout file: the findings list and its
// double click into the editor, and keys sent and posted with their scan codes, typing
// the layout's characters and nothing of the system's own layout.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Check.h"
#include "app/Try.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Services.h"
#include "TimedSteps.h"
#include "program/Program.h"
#include "ui/win32/Win32Backend.h"

namespace tastavia {
namespace {

class XpVersion : public OsVersion {
public:
    OsVersionInfo Get() override { return {2, 5, 1, 2600, ""}; }
};

void SetModifiers(bool shift, bool capsLock) {
    BYTE state[256] = {};
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    if (capsLock) state[VK_CAPITAL] = 0x01;
    SetKeyboardState(state);
}

LPARAM KeyData(UINT scanCode) { return static_cast<LPARAM>(1 | (scanCode << 16)); }

std::string TextOf(HWND hwnd) {
    char text[256] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// Whether a window shows what it draws when it is drawn anew whole.
bool DrawnWhole(HWND hwnd) {
    auto pixels = [hwnd] {
        RECT r;
        GetClientRect(hwnd, &r);
        HDC dc = GetDC(hwnd);
        std::vector<COLORREF> all;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x) all.push_back(GetPixel(dc, x, y));
        ReleaseDC(hwnd, dc);
        return all;
    };
    const std::vector<COLORREF> shown = pixels();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return pixels() == shown;
}

struct CheckAndTry : ::testing::TestWithParam<OsKind> {
    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    XpVersion osVersion;
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ui::Win32Backend backend;
    ui::Application app{backend};
    Program program{app, platform};
    TForm1& main = program.Form1();
    test::TimedSteps timed;

    // The main window on the screen with BDS in its editor, as the main loop would show it.
    void SetUp() override {
        program.GetSession().osKind = GetParam();
        main.EditorStartup();
        main.SetShowing(true);
        main.SetVisible(true);
        main.Button6.Click();
        main.BDS1Click();
    }
    void TearDown() override {
        SetModifiers(false, false);
        main.Close();
    }
    HWND Window(ui::Widget& widget) { return backend.WindowOf(widget); }
};

TEST_P(CheckAndTry, CheckListsTheFindingsAndADoubleClickGoesToTheKey) {
    main.Layout().WriteKeyChar(31, ShiftState::Unshifted, 'a');   // ж is gone
    main.Layout().WriteKeyChar(13, ShiftState::Unshifted, ',');   // the comma twice
    TForm6& check = main.Form6();
    std::vector<std::string> rows;
    timed.Run({[&] {
        HWND list = Window(check.ListView1);
        for (int i = 0; i < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++i)
            rows.push_back(test::CellText(list, i, 0) + " | " + test::CellText(list, i, 1));
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
        LPARAM at = MAKELPARAM(r.left + 40, (r.top + r.bottom) / 2);
        // The release waits in the queue, for a list that tracks the mouse after a press.
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    }});
    main.Button12.Click();
    EXPECT_EQ(rows, (std::vector<std::string>{"missing letter | ", "duplicate character | key 13 (=)",
                                              "Caps Lock | key 31 (G)"}));
    EXPECT_FALSE(IsWindowVisible(Window(check)));
    EXPECT_EQ(main.CurrentKey(), 13);
    EXPECT_TRUE(main.KeyButton(13).Down());
    EXPECT_EQ(GetFocus(), Window(main.ListView1));
    EXPECT_EQ(SendMessageA(Window(main.ListView1), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), ',' - 32);
}

TEST_P(CheckAndTry, TryTypesTheLayoutByScanCodeWithShiftAndCapsLock) {
    TForm7& tryForm = main.Form7();
    HWND edit = Window(tryForm.Edit1);
    std::vector<std::string> seen;  // the edit's text after each key
    std::vector<std::function<void()>> steps;
    // A key sent goes straight to the edit; a key posted goes through the loop, which
    // makes the system's character of it too, as for a key typed.
    auto key = [&](bool post, WPARAM vk, UINT scan, bool shift, bool caps) {
        steps.push_back([=] {
            SetModifiers(shift, caps);
            if (post)
                PostMessageA(edit, WM_KEYDOWN, vk, KeyData(scan));
            else
                SendMessageA(edit, WM_KEYDOWN, vk, KeyData(scan));
        });
        steps.push_back([&] { seen.push_back(TextOf(edit)); });
    };
    const bool sent = false, posted = true;
    key(sent, 'D', 0x20, false, false);   // а
    key(sent, 'D', 0x20, true, false);    // А
    key(posted, 'D', 0x20, false, true);  // Caps Lock on a letter key: А
    key(posted, 'Q', 0x10, false, true);  // no flag on BDS's Q: the comma
    key(posted, 'Q', 0x10, true, false);  // ы
    key(posted, VK_BACK, 0x0E, false, false);
    key(posted, VK_OEM_102, 0x56, false, false);  // no key of the layout: ignored
    key(posted, VK_DIVIDE, 0x135, false, false);  // the keypad's /, with the E0 prefix
    key(posted, VK_SPACE, 0x39, true, false);
    steps.push_back([&] { seen.push_back(GetFocus() == edit ? "focus" : "no focus"); });
    // The label grew with its text and shows all of it.
    steps.push_back([&] { seen.push_back(DrawnWhole(Window(tryForm.Label5)) ? "drawn" : "gaps"); });
    key(posted, VK_ESCAPE, 0x01, false, false);
    timed.Run(steps);
    main.Button13.Click();
    EXPECT_EQ(seen, (std::vector<std::string>{"\xE0", "\xE0\xC0", "\xE0\xC0\xC0", "\xE0\xC0\xC0,",
                                              "\xE0\xC0\xC0,\xFB", "\xE0\xC0\xC0,", "\xE0\xC0\xC0,",
                                              "\xE0\xC0\xC0,", "\xE0\xC0\xC0, ", "focus", "drawn"}));
    EXPECT_EQ(tryForm.Edit1.Text(), "\xE0\xC0\xC0, ");
    EXPECT_EQ(tryForm.Label5.Caption(), "key 48 (Space), shifted");
    EXPECT_FALSE(IsWindowVisible(Window(tryForm)));
}

// Only the keys the window handled type: a character no key-down made, from a message
// posted or sent on its own or from an input method, lands nothing.
TEST_P(CheckAndTry, TryTakesNoCharacterThatNoKeyMade) {
    TForm7& tryForm = main.Form7();
    HWND edit = Window(tryForm.Edit1);
    std::vector<std::string> seen;
    std::vector<std::function<void()>> steps;
    auto then = [&](std::function<void()> step) {
        steps.push_back(std::move(step));
        steps.push_back([&] { seen.push_back(TextOf(edit)); });
    };
    then([&] { PostMessageA(edit, WM_CHAR, 'x', 1); });
    then([&] { SendMessageA(edit, WM_CHAR, 'x', 1); });
    then([&] { PostMessageA(edit, WM_IME_CHAR, 'y', 1); });
    then([&] { PostMessageA(edit, 0x0109 /* WM_UNICHAR */, 'z', 1); });
    then([&] {
        SetModifiers(false, false);
        SendMessageA(edit, WM_KEYDOWN, 'D', KeyData(0x20));
        PostMessageA(edit, WM_CHAR, 'd', KeyData(0x20));  // the system's own character of it
    });
    then([&] { PostMessageA(edit, WM_KEYDOWN, VK_BACK, KeyData(0x0E)); });  // still deletes
    then([&] { PostMessageA(edit, WM_CHAR, 'x', 1); });
    // An editing key passed on opens no gate for a character posted after it.
    then([&] {
        SendMessageA(edit, WM_KEYDOWN, 'D', KeyData(0x20));
        PostMessageA(edit, WM_KEYDOWN, VK_LEFT, KeyData(0x14B));
        PostMessageA(edit, WM_CHAR, 'Z', KeyData(0x14B));
    });
    steps.push_back([&] { PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, KeyData(0x01)); });
    timed.Run(steps);
    main.Button13.Click();
    EXPECT_EQ(seen, (std::vector<std::string>{"", "", "", "", "\xE0", "", "", "\xE0"}));
    EXPECT_EQ(tryForm.Edit1.Text(), "\xE0");
}

INSTANTIATE_TEST_SUITE_P(EveryKind, CheckAndTry, ::testing::Values(kOsWin9x, kOsWin2000, kOsWinXp));

}  // namespace
}  // namespace tastavia
