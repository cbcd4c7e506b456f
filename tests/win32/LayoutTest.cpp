// Every window and wizard page of the program on real windows, in the fonts of the Wine
// prefix (Windows' own widths): each caption fits its control in the control's own font,
// and each control lies inside its parent without covering a sibling.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/Check.h"
#include "app/Try.h"
#include "layout/LayoutCheck.h"
#include "program/Program.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Services.h"
#include "registry/Catalogue.h"
#include "ui/Keyboard.h"
#include "ui/ListView.h"
#include "ui/PageControl.h"
#include "ui/win32/Win32Backend.h"

namespace tastavia {
namespace {

// Longer than any name the wizard derives; the result lines must still show it whole.
const std::string kLongName = "Bulgarian (Phonetic, traditional layout for typists, 2006)";

// Letters on every key, then one finding of each kind: the check window's longest texts.
LayoutKeys LongestFindingsLayout() {
    LayoutKeys keys{};
    for (KeyNumber k = 1; k <= kKeyCount; ++k)
        At(keys, k) = {static_cast<std::uint8_t>(0xE0 + (k - 1) % 32), static_cast<std::uint8_t>(0xC0 + (k - 1) % 32),
                       true};
    At(keys, 2).unshifted = 0;          // an empty level
    At(keys, 3).shifted = 27;           // a control character
    At(keys, 4).shifted = 0xC4;         // the capital of another key's letter
    At(keys, 8).caps = false;           // a letter key Caps Lock does not act on
    return keys;
}
const char* const kIndent = "\r    ";
// A label that is cut on purpose and shows its whole text as its hint instead.
const std::set<std::string> kCutOnPurpose = {};
// Buttons that share an edge, as the main window pairs "INI File..." with "...", and
// "Close" with "?".
const std::set<std::pair<std::string, std::string>> kSharedEdges = {{"Form1.Button7", "Button1"},
                                                                    {"Form1.Button11", "Button2"}};

class UntestedXp : public OsVersion {
public:
    // The longest texts of the start dialog: a name, a service pack, both notices.
    OsVersionInfo Get() override { return {2, 5, 2, 3790, "Service Pack 2"}; }
};

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

RECT RectIn(HWND hwnd, HWND parent) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// Measures text in the font the control itself draws with.
class Measure {
public:
    explicit Measure(HWND control) : control_(control), dc_(GetDC(control)) {
        old_ = SelectObject(dc_, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    }
    ~Measure() {
        SelectObject(dc_, old_);
        ReleaseDC(control_, dc_);
    }
    SIZE Line(const std::string& text) {
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
        return size;
    }
    // As a static control lays out its text: the size needed within a width, or, without
    // one, the size of its lines unwrapped.
    SIZE Block(const std::string& text, int width) {
        RECT r{0, 0, width, 0};
        UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : 0);
        DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, flags);
        return SIZE{r.right, r.bottom};
    }

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ old_;
};

class LayoutTest : public ::testing::Test {
protected:
    LayoutTest() {
        auto layout = [this](const char* key, const std::string& text, const char* file) {
            auto k = registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + std::string(key), true);
            k->WriteString("layout text", text);
            k->WriteString("layout file", file);
        };
        layout("00000402", "Bulgarian", "kbdbu.kbd");
        layout("00001402", kLongName, "kbdbupho.kbd");
        layout("00020402", "Bulgarian (Latin)", "kbdbulat.kbd");
        layout("00050402", kLongName + " for the second language", "kbdbuph2.kbd");
        auto locale = registry.Open(RootKey::LocalMachine, kLocaleKey, true);
        locale->WriteString("00000402", "Bulgarian");
        locale->WriteString("00001402", kLongName);
        locale->WriteString("00002402", "Bulgarian (Typewriter)");
        for (const char* id : {"00000402", "00001402"})
            registry.Open(RootKey::Users, std::string(".DEFAULT\\keyboard layout\\preload\\") + id, true)
                ->WriteString("", id);
    }
    // Closing the main window deletes the files the editor made in the temporary folder.
    ~LayoutTest() override {
        program.Form1().SetShowing(true);
        program.Form1().Close();
    }

    // Shows a form without a loop of its own, as it is, and checks it.
    void Check(const std::string& name, ui::Form& form) {
        form.SetVisible(true);
        Pump();
        CheckChildren(name, form);
        form.SetVisible(false);
        Pump();
    }

    void CheckChildren(const std::string& window, ui::Widget& parent) {
        HWND parentWindow = backend.WindowOf(parent);
        RECT area;
        GetClientRect(parentWindow, &area);
        // A group box's children stay below its caption and inside its frame.
        if (dynamic_cast<ui::GroupBox*>(&parent))
            area = RECT{2, Measure(parentWindow).Line("Wg").cy, area.right - 2, area.bottom - 2};
        std::vector<std::pair<ui::Widget*, RECT>> shown;
        for (ui::Widget* child : parent.Children()) {
            HWND hwnd = backend.WindowOf(*child);
            if (!hwnd || !IsWindowVisible(hwnd)) continue;
            const std::string path = PathOf(*child);
            RECT r = RectIn(hwnd, GetParent(hwnd));
            if (r.left < area.left || r.top < area.top || r.right > area.right || r.bottom > area.bottom)
                Problem(window, path + " at " + Describe(r) + " is not inside its parent's " + Describe(area));
            for (auto& [other, otherRect] : shown) {
                RECT both;
                if (IntersectRect(&both, &r, &otherRect) && !kSharedEdges.count({path, other->Name()}))
                    Problem(window,
                            path + " at " + Describe(r) + " covers " + other->Name() + " at " + Describe(otherRect));
            }
            shown.emplace_back(child, r);
            CheckCaption(window, path, *child, hwnd);
            CheckChildren(window, *child);
        }
    }

    void CheckCaption(const std::string& window, const std::string& path, ui::Widget& widget, HWND hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        const int width = client.right, height = client.bottom;
        // What the control shows: the "&" of a mnemonic is an underline, not a character.
        const std::string caption = ui::ShowsMnemonic(widget) ? ui::PlainCaption(widget.Caption()) : widget.Caption();
        Measure measure(hwnd);
        SIZE needed{0, 0};
        if (auto* label = dynamic_cast<ui::Label*>(&widget)) {
            if (kCutOnPurpose.count(path)) {
                if (widget.Hint() != widget.Caption()) Problem(window, path + " is cut without its text as its hint");
                return;
            }
            needed = measure.Block(caption, label->autoSize ? 0 : width);
        } else if (dynamic_cast<ui::CheckBox*>(&widget) || dynamic_cast<ui::RadioButton*>(&widget)) {
            needed = measure.Line(caption);
            needed.cx += 13 + 6 + 2;  // the box, the gap before the text, the focus frame
        } else if (dynamic_cast<ui::Button*>(&widget)) {
            needed = measure.Line(caption);
            needed.cx += 6;  // the raised edges and the focus frame inside them
            needed.cy += 6;
        } else if (dynamic_cast<ui::SpeedButton*>(&widget)) {
            needed = measure.Line(caption);
            needed.cx += 4;  // a flat edge, and the pressed caption moves by a pixel
            needed.cy += 4;
        } else if (dynamic_cast<ui::GroupBox*>(&widget)) {
            needed = measure.Line(caption);
            needed.cx += 16;  // the frame runs on both sides of the caption
        } else if (dynamic_cast<ui::Edit*>(&widget)) {
            needed = measure.Line("Wg");
            needed.cx = 0;
        } else if (auto* list = dynamic_cast<ui::ListView*>(&widget)) {
            int columns = 0;
            for (const ui::ListColumn& column : list->Columns()) {
                SIZE header = measure.Line(column.caption);
                if (list->showColumnHeaders && header.cx + 12 > column.width)
                    Problem(window,
                            path + " column \"" + column.caption + "\" needs " + std::to_string(header.cx + 12));
                columns += column.width;
            }
            needed.cx = columns;
        }
        if (needed.cx > width || needed.cy > height)
            Problem(window, path + " \"" + caption + "\" needs " + std::to_string(needed.cx) + "x" +
                                std::to_string(needed.cy) + ", has " + std::to_string(width) + "x" +
                                std::to_string(height));
    }

    static std::string PathOf(ui::Widget& widget) {
        std::string path = widget.Name();
        for (ui::Widget* w = widget.Parent(); w; w = w->Parent()) {
            // Pages are numbered by the window's own rows; the page control is enough.
            if (!dynamic_cast<ui::TabSheet*>(w)) path = w->Name() + "." + path;
        }
        return path;
    }

    void Problem(const std::string& window, const std::string& text) { problems.push_back(window + ": " + text); }

    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    UntestedXp osVersion;
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ui::Win32Backend backend;
    ui::Application app{backend};
    Program program{app, platform};
    std::vector<std::string> problems;
};

TEST_F(LayoutTest, EveryWindowShowsItsCaptionsWholeAndNoControlCoversAnother) {
    TForm1& main = program.Form1();
    TForm4& start = program.Form4();
    TForm5& wizard = program.Form5();
    auto page = [&](int number, std::function<void()> fill = {}) {
        return [&wizard, number, fill] {
            wizard.ShowPage(number);
            if (fill) fill();
            return &wizard;
        };
    };
    const std::string reason = "Reason: Can't make registry changes! File was created (replaced)!";
    const std::string language = "Bulgarian (" + kLongName + ")";
    struct Window {
        const char* name;
        std::function<ui::Form*()> open;
    };
    const Window windows[] = {
        {"start dialog, choosing", [&] { return &start; }},
        {"start dialog, information",
         [&] {
             start.CheckBox1.SetChecked(false);
             start.RadioButton1.SetChecked(true);
             start.Button1Click();
             program.PrepareForOsKind();  // Windows 98: the language dialogs too
             return &start;
         }},
        {"main window, no layout", [&] { return &main; }},
        {"main window, a layout",
         [&] {
             main.Button6Click();
             main.Edit1.SetText(kLongName);
             return &main;
         }},
        {"main window, the longest status texts",
         [&] {
             main.Label3.SetCaption(kUnsavedChangesText);
             const CatalogueRecord used{InstalledLayout{"00050402", "A", "a.dll"}, BaseKind::None, true};
             const CatalogueRecord free{InstalledLayout{"00050402", "A", "a.dll"}, BaseKind::None, false};
             const std::tuple<const char*, const char*, const CatalogueRecord*, bool> states[] = {
                 {"", "", nullptr, true},      {"", "f", nullptr, true},    {"n", "", nullptr, true},
                 {"n", "f", nullptr, true},    {"n", "f", nullptr, false},  {"A", "x", &free, true},
                 {"x", "a.dll", &free, true},  {"A", "a.dll", &used, true}, {"A", "a.dll", &free, false}};
             std::string longest;
             for (const auto& [name, file, selected, open] : states) {
                 const std::string reason = LayoutButtonReason(name, file, selected, open);
                 if (reason.size() > longest.size()) longest = reason;
             }
             main.Label4.SetCaption(longest);
             return &main;
         }},
        {"wizard page 1", [&] { wizard.ResetWizard(false); return page(1)(); }},
        {"wizard page 2", page(2)},
        {"wizard page 3", page(3, [&] { wizard.RadioButton8.SetChecked(true); })},
        {"wizard page 4", page(4)},
        {"wizard page 5", page(5)},
        {"wizard page 6", page(6, [&] {
             wizard.Label15.SetCaption("Failed to add layout \"" + kLongName + "\"!\r" + reason);
             wizard.Label16.SetCaption("Failed to add Language \"" + language + "\"!\rReason: Unknown Error");
         })},
        {"wizard page 100", page(100, [&] {
             wizard.Label19.SetCaption("Successful replaced layout:" + std::string(kIndent) + kLongName);
             wizard.Label20.SetCaption("No changes was made on language:" + std::string(kIndent) + language);
         })},
        {"language list",
         [&]() -> ui::Form* {
             if (program.Form2()) program.Form2()->FillLanguageList();
             return program.Form2();
         }},
        {"language editor, adding",
         [&]() -> ui::Form* {
             if (program.Form3()) program.Form3()->PrepareNewLanguage();
             return program.Form3();
         }},
        {"check window",
         [&]() -> ui::Form* {
             // Every kind of finding, in its longest words, and the count's longest form.
             std::vector<Finding> findings;
             for (const Finding& finding : CheckLayout(LongestFindingsLayout())) findings.push_back(finding);
             main.Form6().SetFindings(findings);
             std::size_t longest = 0;
             for (std::size_t i = 0; i < findings.size(); ++i)
                 if (findings[i].text.size() > findings[longest].text.size()) longest = i;
             main.Form6().ListView1.SetSelected(static_cast<int>(longest));
             return &main.Form6();
         }},
        {"try window",
         [&]() -> ui::Form* {
             main.Form7().Label3.SetCaption(CharLabel(0xDF) + " " + CharLabel(0xFF));
             main.Form7().Label5.SetCaption(KeyLabel(47) + ", unshifted");
             return &main.Form7();
         }},
        {"language editor, editing",
         [&]() -> ui::Form* {
             if (program.Form3()) {
                 EXPECT_TRUE(program.Form3()->OpenLanguageForEdit("00001402"));
             }
             return program.Form3();
         }},
    };
    for (const Window& window : windows) {
        ui::Form* form = window.open();
        ASSERT_NE(form, nullptr) << window.name;
        Check(window.name, *form);
    }
    std::string all;
    for (const std::string& problem : problems) all += "\n  " + problem;
    EXPECT_TRUE(problems.empty()) << problems.size() << " problems:" << all;
}

BOOL CALLBACK FoundFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

TEST_F(LayoutTest, TheFontsOfWindowsAreThereAndTheCharacterListIsFixedPitch) {
    HDC screen = GetDC(nullptr);
    for (const char* face : {"Marlett", "Tahoma", "MS Sans Serif"}) {
        bool found = false;
        EnumFontFamiliesA(screen, face, FoundFamily, reinterpret_cast<LPARAM>(&found));
        EXPECT_TRUE(found) << face << " is missing: the title bar or the dialogs fall back to other fonts";
    }
    ReleaseDC(nullptr, screen);

    TForm1& main = program.Form1();
    main.SetVisible(true);
    HWND list = backend.WindowOf(main.ListView1);
    Measure measure(list);
    // The codes line up: every entry, one- or two-digit code alike, is as wide as the others.
    EXPECT_EQ(measure.Line("A -  65").cx, measure.Line("\xFF - 255").cx);
    EXPECT_EQ(measure.Line("i").cx, measure.Line("W").cx);
    EXPECT_LE(measure.Line("\xFF - 255").cx + 4, main.ListView1.Columns().at(0).width);
    main.SetVisible(false);
}

}  // namespace
}  // namespace tastavia
