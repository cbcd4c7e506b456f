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
#include <optional>
#include <string>
#include <vector>

#include <commctrl.h>

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

std::string BoxText(HWND box) {
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

// Runs the script with a timer tick while the program's loops run, and stops them if it
// takes too long.
void RunScript(const std::function<void()>& run) {
    g_timer = SetTimer(nullptr, 0, 60, Tick);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 90000, TimedOut);
    run();
    KillTimer(nullptr, watchdog);
}

// A list with the focus shows where it is: an item carries the focus mark.
bool FocusMarked() {
    HWND focus = GetFocus();
    char name[32] = "";
    if (focus) GetClassNameA(focus, name, sizeof name);
    if (std::string(name) != WC_LISTVIEWA) return true;
    return SendMessageA(focus, LVM_GETITEMCOUNT, 0, 0) == 0 ||
           SendMessageA(focus, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0;
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
                boxes.push_back(BoxText(box));
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
    Then("the list with the focus shows its focus mark", [&] { return FocusMarked(); });
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
    // Another program holds the installed file open: Save and Delete say so and change nothing.
    auto held = std::make_shared<HANDLE>(INVALID_HANDLE_VALUE);
    auto installedBytes = std::make_shared<std::optional<std::string>>();
    Then("another program holds the file", [&, held, installedBytes] {
        const std::string path = main.SystemDirectory() + fileName;
        *installedBytes = files.ReadAll(path);
        *held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (*held == INVALID_HANDLE_VALUE) return false;
        Alt('s');
        return true;
    });
    const std::string inUse = "\"" + fileName + "\" is in use by another program!";
    AnswerUntil("Save says the file is in use", [&] {
        return !boxes.empty() && boxes.back().rfind(inUse + " It was not replaced.", 0) == 0;
    });
    Then("Delete (Alt+D) while it is held", [&] {
        Alt('d');
        return true;
    });
    AnswerUntil("Delete says the file is in use", [&] {
        return !boxes.empty() && boxes.back().rfind(inUse + " Nothing was deleted.", 0) == 0;
    });
    Then("nothing changed, and the other program lets go", [&, held, installedBytes] {
        if (MessageBoxUp()) return false;
        CloseHandle(*held);
        return Installed() && *installedBytes && files.ReadAll(main.SystemDirectory() + fileName) == *installedBytes;
    });
    Then("Delete (Alt+D)", [&] {
        Alt('d');
        return true;
    });
    AnswerUntil("removed from the system", [&] { return !Installed() && !MessageBoxUp(); });
    Then("Close (Alt+O)", [&] {
        Alt('o');
        return true;
    });

    RunScript([&] { app.Run(main); });

    EXPECT_EQ(g_failed, "") << "the step that failed";
    EXPECT_FALSE(main.Showing());
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "Layout successful added!"), boxes.end());
    EXPECT_EQ(boxes.back(), "Layout successfuly deleted!");
    EXPECT_FALSE(files.Exists(main.SystemDirectory() + fileName));
}

TEST_P(KeyboardJob, UnsavedEditsSurviveTheDiscardQuestionAndTheWizard) {
    TForm5& wizard = program.Form5();
    auto key15 = [&] { return static_cast<int>(main.Layout().ReadKeyChar(15, ShiftState::Unshifted)); };
    auto edited = std::make_shared<std::string>();
    Then("New (Alt+N)", [&] {
        if (main.Layout().IsOpen()) return true;
        Alt('n');
        return false;
    });
    TabTo("Tab to the keys", [&] { return Focused(main.KeyButton(1)); });
    ChooseKey(VK_DOWN, 15);
    ChooseCharacter(15, {VK_END}, [](int) { return 255; });
    Then("the edit is unsaved", [&, edited] {
        *edited = *files.ReadAll(main.Layout().WorkingPath());
        return main.HasUnsavedChanges();
    });
    // Escape and Enter on the question both keep the work.
    for (WPARAM answer : {VK_ESCAPE, VK_RETURN}) {
        const std::string name = answer == VK_ESCAPE ? "Escape" : "Enter";
        Then("New asks, " + name + " answers", [&, answer] {
            if (HWND box = MessageBoxUp()) {
                boxes.push_back(BoxText(box));
                Press(answer);
                return true;
            }
            Alt('n');
            return false;
        });
        Then(name + " kept the edited layout", [&, edited] {
            return !MessageBoxUp() && key15() == 255 && *files.ReadAll(main.Layout().WorkingPath()) == *edited;
        });
    }
    Then("the wizard (Alt+W)", [&] {
        if (IsWindowVisible(backend.WindowOf(wizard))) return true;
        Alt('w');
        return false;
    });
    Then("Enter on the first page", [&] {
        if (wizard.CurrentPage() == kQuickPage) return true;
        Press(VK_RETURN);
        return false;
    });
    auto finished = std::make_shared<bool>(false);
    Then("Finish asks before the edited layout goes", [&, finished] {
        if (HWND box = MessageBoxUp()) {
            boxes.push_back(BoxText(box));
            Press(VK_ESCAPE);
            return true;
        }
        if (!*finished) Press(VK_RETURN);
        *finished = true;
        return false;
    }, 10);
    Then("No keeps the layout and the page", [&, edited] {
        return !MessageBoxUp() && wizard.CurrentPage() == kQuickPage && key15() == 255 &&
               *files.ReadAll(main.Layout().WorkingPath()) == *edited;
    });
    Then("Escape closes the wizard", [&] {
        if (!IsWindowVisible(backend.WindowOf(wizard))) return true;
        Press(VK_ESCAPE);
        return false;
    });
    Then("the edited layout is as it was", [&, edited] {
        return key15() == 255 && main.HasUnsavedChanges() && *files.ReadAll(main.Layout().WorkingPath()) == *edited;
    });
    Then("Close (Alt+O), and Y lets the changes go", [&] {
        if (MessageBoxUp()) {
            Type("y");
            return true;
        }
        Alt('o');
        return false;
    });

    RunScript([&] { app.Run(main); });

    EXPECT_EQ(g_failed, "") << "the step that failed";
    EXPECT_FALSE(main.Showing());
    EXPECT_EQ(boxes, std::vector<std::string>(3, kDiscardQuestion));
}

INSTANTIATE_TEST_SUITE_P(Win98AndXp, KeyboardJob, ::testing::Values(kOsWin9x, kOsWinXp));

// The start dialog on Windows XP: the arrows choose "Windows 98", Enter starts with it,
// and the layout New makes is a Windows 9x file.
TEST(StartDialogKeys, TheArrowsChooseTheKindEnterStartsWith) {
    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    FixedOsVersion osVersion{OsVersionInfo{2, 5, 1, 2600, "Service Pack 3"}};
    Win32Registry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ui::Win32Backend backend;
    ui::Application app{backend};
    Program program{app, platform};
    TForm4& start = program.Form4();
    TForm1& main = program.Form1();
    g_failed.clear();
    g_script.clear();
    auto focused = [&](ui::Widget& w) { return GetFocus() == backend.WindowOf(w); };
    auto then = [](const std::string& name, std::function<bool()> run, int tries = 40) {
        g_script.push_back(Step{name, std::move(run), tries});
    };
    then("Tab to \"Windows XP\"", [&] {
        if (focused(start.RadioButton3)) return start.RadioButton3.Checked();
        Press(VK_TAB);
        return false;
    });
    then("Up twice", [&] {
        if (focused(start.RadioButton1)) return true;
        Press(VK_UP);
        return false;
    });
    then("the arrows chose \"Windows 98\"", [&] { return start.RadioButton1.Checked() && !start.RadioButton3.Checked(); }, 3);
    then("no wizard (Alt+W)", [&] {
        if (!start.CheckBox1.Checked()) return true;
        Alt('w');
        return false;
    }, 5);
    auto pressed = std::make_shared<bool>(false);
    then("Enter starts", [&, pressed] {
        if (main.Showing()) return true;
        if (!*pressed) Press(VK_RETURN);
        *pressed = true;
        return false;
    }, 10);
    then("New (Alt+N)", [&] {
        if (main.Layout().IsOpen()) return true;
        Alt('n');
        return false;
    });
    auto size = std::make_shared<std::uint64_t>(0);
    then("Close (Alt+O)", [&, size] {
        *size = files.Status(main.Layout().WorkingPath()).size;
        Alt('o');
        return true;
    }, 1);

    int code = -1;
    RunScript([&] { code = program.Run(); });
    SetModifiers(false);

    EXPECT_EQ(g_failed, "") << "the step that failed";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(program.GetSession().osKind, kOsWin9x);
    EXPECT_EQ(*size, 403u);  // the Windows 9x layout file
}

}  // namespace
}  // namespace tastavia
