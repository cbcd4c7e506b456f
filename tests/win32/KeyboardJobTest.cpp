// The whole job with the keyboard alone, on real windows and the real registry and system
// folder of the Wine prefix: New, three keys changed through the editor and the character
// list, Check, Save into the system under a new name, Delete, Close. Keystrokes go to the
// window that has the focus, as the system would post them; nothing is clicked and no
// handler is called.
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "app/Check.h"
#include "platform/memory/FixedOsVersion.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Services.h"
#include "program/Program.h"
#include "ui/win32/Win32Backend.h"

namespace tastavia {
namespace {

const char* const kLayoutName = "Tastavia Keys";

// One step a timer tick: it presses a key and says whether what it waited for is there;
// a step that is not done yet runs again at the next tick, a few times at most.
struct Step {
    std::string name;
    std::function<bool()> run;
    int tries = 1;
};
std::deque<Step> g_script;
std::string g_failed;  // the step that did not come about
UINT_PTR g_timer = 0;

void Stop(const std::string& failed) {
    if (g_failed.empty()) g_failed = failed;
    g_script.clear();
    KillTimer(nullptr, g_timer);
    g_timer = 0;
    PostQuitMessage(1);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_script.empty()) return;
    Step& step = g_script.front();
    if (step.run()) {
        g_script.pop_front();
        if (g_script.empty()) {
            KillTimer(nullptr, g_timer);
            g_timer = 0;
        }
    } else if (--step.tries <= 0) {
        Stop(step.name);
    }
}

void CALLBACK TimedOut(HWND, UINT, UINT_PTR, DWORD) {
    Stop(g_script.empty() ? "(end)" : g_script.front().name + " (timed out)");
}

void SetModifiers(bool shift) {
    BYTE state[256] = {};
    if (shift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
    SetKeyboardState(state);
}

HWND Target() {
    HWND focus = GetFocus();
    return focus ? focus : GetActiveWindow();
}

// A key pressed and released; the loop makes its character, as for a key typed.
void Press(WPARAM vk, bool shift = false) {
    SetModifiers(shift);
    const auto scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), 0));
    PostMessageA(Target(), WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(Target(), WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

// Alt with a letter: what the system posts for it once translated.
void Alt(char letter) {
    SetModifiers(false);
    PostMessageA(Target(), WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));
}

void Type(const std::string& text) {
    SetModifiers(false);
    for (char c : text) PostMessageA(Target(), WM_CHAR, static_cast<unsigned char>(c), 1);
}

// The message box on the screen, if any.
HWND MessageBoxUp() {
    HWND active = GetActiveWindow();
    char name[16] = "";
    if (active) GetClassNameA(active, name, sizeof name);
    return std::string(name) == "#32770" ? active : nullptr;
}

struct KeyboardJob : ::testing::TestWithParam<OsKind> {
    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    FixedOsVersion osVersion{GetParam() == kOsWin9x ? OsVersionInfo{1, 4, 10, 2222, " A "}
                                                    : OsVersionInfo{2, 5, 1, 2600, ""}};
    Win32Registry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ui::Win32Backend backend;
    ui::Application app{backend};
    Program program{app, platform};
    TForm1& main = program.Form1();
    std::string fileName = GetParam() == kOsWin9x ? "kbdbukey.kbd" : "kbdbukey.dll";
    std::vector<std::string> boxes;  // the texts of the message boxes answered

    bool Focused(ui::Widget& widget) { return GetFocus() == backend.WindowOf(widget); }
    bool Installed() {
        for (const CatalogueRecord& record : main.CatalogueRecords())
            if (record.File() == fileName) return true;
        return false;
    }

    void Then(const std::string& name, std::function<bool()> run, int tries = 3) {
        g_script.push_back(Step{name, std::move(run), tries});
    }
    // Tab (or Shift+Tab) until the focus is where the user wants it.
    void TabTo(const std::string& name, std::function<bool()> there, bool back = false) {
        Then(name, [there, back] {
            if (there()) return true;
            Press(VK_TAB, back);
            return false;
        }, 40);
    }
    // Enter on every box that comes, until the result the user waits for is there.
    void AnswerUntil(const std::string& name, std::function<bool()> done) {
        Then(name, [this, done] {
            if (HWND box = MessageBoxUp()) {
                char text[512] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                boxes.push_back(text);
                Press(VK_RETURN);
                return false;
            }
            return done();
        }, 20);
    }
    // A key chosen with the arrows from the focused key, selected with Space.
    void ChooseKey(int arrow, int key) {
        Then("arrow to key " + std::to_string(key), [=] {
            if (Focused(main.KeyButton(key))) return true;
            Press(static_cast<WPARAM>(arrow));
            return false;
        });
        Then("select key " + std::to_string(key), [=] {
            if (main.CurrentKey() == key && Focused(main.ListView1)) return true;
            Press(VK_SPACE);
            return false;
        });
    }
    // Keys that move through the character list write nothing until Enter.
    void ChooseCharacter(int key, std::vector<WPARAM> moves, std::function<int(int)> expected) {
        auto before = std::make_shared<int>(0);
        auto read = [this, key] { return static_cast<int>(main.Layout().ReadKeyChar(key, ShiftState::Unshifted)); };
        Then("browse the list for key " + std::to_string(key), [=] {
            *before = read();
            for (WPARAM vk : moves) Press(vk);
            return true;
        });
        Then("browsing writes nothing to key " + std::to_string(key), [=] {
            if (read() != *before) return false;
            Press(VK_RETURN);
            return true;
        }, 1);
        Then("Enter writes key " + std::to_string(key), [=] { return read() == expected(*before); });
    }

    void SetUp() override {
        program.GetSession().osKind = GetParam();
        main.EditorStartup();
        program.PrepareForOsKind();
        g_failed.clear();
        g_script.clear();
    }
    void TearDown() override {
        if (g_timer) KillTimer(nullptr, g_timer);
        g_script.clear();
        SetModifiers(false);
        main.Button8Click();
        for (const CatalogueRecord& record : main.CatalogueRecords())
            if (record.File() == fileName) registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + record.KeyName());
        files.Delete(main.SystemDirectory() + fileName);
        if (main.Showing()) main.Close();
    }
};

TEST_P(KeyboardJob, ALayoutIsMadeCheckedInstalledAndRemovedWithTheKeyboardAlone) {
    Then("New (Alt+N)", [&] {
        if (main.Layout().IsOpen()) return true;
        Alt('n');
        return false;
    });
    TabTo("Tab to the keys", [&] { return Focused(main.KeyButton(1)); });
    ChooseKey(VK_DOWN, 15);
    ChooseCharacter(15, {VK_END}, [](int) { return 255; });
    TabTo("Shift+Tab back to the keys", [&] { return Focused(main.KeyButton(15)); }, true);
    ChooseKey(VK_RIGHT, 16);
    ChooseCharacter(16, {VK_UP}, [](int before) { return before - 1; });
    TabTo("Shift+Tab back to key 16", [&] { return Focused(main.KeyButton(16)); }, true);
    ChooseKey(VK_DOWN, 28);
    ChooseCharacter(28, {VK_END, VK_UP}, [](int) { return 254; });
    Then("Check (Alt+C)", [&] {
        if (IsWindowVisible(backend.WindowOf(main.Form6()))) return true;
        Alt('c');
        return false;
    });
    Then("Escape closes Check", [&] {
        if (!IsWindowVisible(backend.WindowOf(main.Form6()))) return true;
        Press(VK_ESCAPE);
        return false;
    });
    Then("the name (Alt+A)", [&] {
        if (Focused(main.Edit1)) {
            Type(kLayoutName);  // over the selected "Bulgarian (New)"
            return true;
        }
        Alt('a');
        return false;
    });
    Then("the file name (Alt+F)", [&] {
        if (main.Edit1.Text() != kLayoutName) return false;
        if (Focused(main.Edit2)) {
            Type(fileName);
            return true;
        }
        Alt('f');
        return false;
    });
    Then("Save (Alt+S)", [&] {
        if (main.Edit2.Text() != fileName) return false;
        Alt('s');
        return true;
    });
    AnswerUntil("saved into the system", [&] { return Installed(); });
    Then("Delete (Alt+D)", [&] {
        Alt('d');
        return true;
    });
    AnswerUntil("removed from the system", [&] { return !Installed() && !MessageBoxUp(); });
    Then("Close (Alt+O)", [&] {
        Alt('o');
        return true;
    });

    g_timer = SetTimer(nullptr, 0, 60, Tick);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 90000, TimedOut);
    app.Run(main);
    KillTimer(nullptr, watchdog);

    EXPECT_EQ(g_failed, "") << "the step that failed";
    EXPECT_FALSE(main.Showing());
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Layout successful added!"), boxes.end());
    EXPECT_EQ(boxes.back(), "Layout successfuly deleted!");
    EXPECT_FALSE(files.Exists(main.SystemDirectory() + fileName));
}

INSTANTIATE_TEST_SUITE_P(Win98AndXp, KeyboardJob, ::testing::Values(kOsWin9x, kOsWinXp));

}  // namespace
}  // namespace tastavia
