// Every window worked with the keyboard alone, on the widget model: mnemonics that do not
// clash, Tab from the top left to the bottom right, the keys as one group the arrows move
// in, and a character list whose arrows only browse.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "AppFixture.h"
#include "app/Check.h"
#include "app/LostLayoutsWindow.h"
#include "app/Try.h"
#include "ui/Keyboard.h"
#include "ui/PageControl.h"

namespace tastavia {
namespace {

using test::AppFixture;

// The page a widget is on, or null for the parts of a form every page shares.
ui::Widget* PageOf(ui::Widget* w) {
    for (; w; w = w->Parent())
        if (dynamic_cast<ui::TabSheet*>(w)) return w;
    return nullptr;
}

void Collect(ui::Widget& parent, std::vector<ui::Widget*>& out) {
    for (ui::Widget* child : parent.Children()) {
        out.push_back(child);
        Collect(*child, out);
    }
}

// "letter: name, name" for every letter two widgets that can be seen at once share.
std::vector<std::string> Clashes(ui::Form& form) {
    std::vector<ui::Widget*> all;
    Collect(form, all);
    std::vector<std::string> found;
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            ui::Widget *a = all[i], *b = all[j];
            if (!ui::ShowsMnemonic(*a) || !ui::ShowsMnemonic(*b)) continue;
            const char letter = ui::MnemonicOf(a->Caption());
            if (letter == 0 || letter != ui::MnemonicOf(b->Caption())) continue;
            ui::Widget *pageA = PageOf(a), *pageB = PageOf(b);
            if (pageA && pageB && pageA != pageB) continue;
            found.push_back(form.Name() + " " + letter + ": " + a->Name() + ", " + b->Name());
        }
    return found;
}

// Push buttons, check boxes, radio buttons and labels of fields that have no mnemonic,
// but for buttons without letters and the cancel buttons, which Escape presses.
std::vector<std::string> Unmarked(ui::Form& form) {
    std::vector<ui::Widget*> all;
    Collect(form, all);
    std::vector<std::string> found;
    for (ui::Widget* w : all) {
        auto* button = dynamic_cast<ui::Button*>(w);
        auto* label = dynamic_cast<ui::Label*>(w);
        const bool wanted = (button && !button->isCancel) || dynamic_cast<ui::CheckBox*>(w) ||
                            dynamic_cast<ui::RadioButton*>(w) || (label && label->focusControl);
        const std::string& caption = w->Caption();
        // Buttons of one sign ("...", "?") take that sign.
        if (wanted && !caption.empty() && ui::MnemonicOf(caption) == 0 && caption != "OK")
            found.push_back(form.Name() + ": " + w->Name() + " \"" + caption + "\"");
    }
    return found;
}

TEST(Keyboard, MnemonicsAreMarkedAndPlainCaptionsKeepTheirWords) {
    const struct {
        const char* caption;
        char letter;
        const char* plain;
    } cases[] = {{"&New", 'N', "New"},       {"Cl&ose", 'O', "Close"},  {"&&", 0, "&"},
                 {"A && &b", 'B', "A & b"},  {"Windows &98", '9', "Windows 98"},
                 {"Caps Sens", 0, "Caps Sens"}, {"trailing&", 0, "trailing&"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ui::MnemonicOf(c.caption), c.letter) << c.caption;
        EXPECT_EQ(ui::PlainCaption(c.caption), c.plain) << c.caption;
    }
}

TEST(Keyboard, EveryWindowHasMnemonicsThatDoNotClash) {
    AppFixture app;
    TForm1& main = app.Started(kOsWin9x);  // with the language dialogs
    Program& program = *app.program;
    app.backend.modalScripts["LostLayouts"] = [](ui::Form&) {};
    main.LayoutListMenu.ChooseItem(2);  // the lost layouts' window is made when first needed
    std::vector<ui::Form*> forms{&main, &main.Form6(), &main.Form7(), &program.Form4(), &program.Form5(),
                                 program.Form2(), program.Form3(), main.LostLayouts()};
    for (ui::Form* form : forms) {
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(Clashes(*form), std::vector<std::string>());
        EXPECT_EQ(Unmarked(*form), std::vector<std::string>());
    }
    // The menus' items have letters of their own within each menu.
    for (ui::PopupMenu* menu : {&main.PopupMenu1, &main.PopupMenu2}) {
        std::string letters;
        for (const ui::MenuItem& item : menu->items)
            if (item.caption != "-") letters += ui::MnemonicOf(item.caption);  // a separator is no item
        EXPECT_EQ(letters.find('\0'), std::string::npos) << menu->Name();
        EXPECT_EQ(std::set<char>(letters.begin(), letters.end()).size(), letters.size()) << menu->Name();
    }
    // The described words stay.
    EXPECT_EQ(ui::PlainCaption(main.Button2.Caption()), "Close");
    EXPECT_EQ(ui::PlainCaption(main.Label2.Caption()), "File Name:");
    EXPECT_EQ(ui::PlainCaption(program.Form5().Button2.Caption()), "Next >");
}

TEST(Keyboard, TabGoesFromTheTopLeftToTheBottomRightAndEntersTheKeysOnce) {
    AppFixture app;
    TForm1& main = app.Started(kOsWinXp);
    main.Button6.Click();
    std::vector<std::string> names;
    for (ui::Widget* w : ui::TabOrder(main)) names.push_back(w->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"SpeedButton1", "Button12", "SpeedButton50", "Button13",
                                               "SpeedButton49", "ListView2", "Edit1", "Button1", "Button7",
                                               "Edit2", "Button4", "Button3", "Button8", "Button6", "Button2", "Button11"}));
    // A key selected: the list takes the focus and is a stop of its own after the keys.
    main.KeyButton(16).Click();
    EXPECT_TRUE(main.ListView1.Focused());
    EXPECT_EQ(ui::NextTabStop(main, &main.ListView1, true), &main.KeyButton(1));
    EXPECT_EQ(ui::NextTabStop(main, &main.KeyButton(1), false), &main.ListView1);
    EXPECT_EQ(ui::NextTabStop(main, &main.ListView1, false), &main.Button12);
    // The keys' one stop follows the focus.
    main.KeyButton(30).SetFocus();
    EXPECT_EQ(ui::NextTabStop(main, &main.ListView1, true), &main.KeyButton(30));
    EXPECT_FALSE(main.KeyButton(1).TabStop());
}

TEST(Keyboard, ArrowsMoveToTheNearestKeyOfTheNextRowOrColumn) {
    AppFixture app;
    TForm1& main = app.Started(kOsWinXp);
    main.Button6.Click();
    auto from = [&](int key, int arrow) {
        ui::SpeedButton* next = ui::ArrowNeighbour(main.KeyButton(key), arrow);
        return next ? next->Tag() : 0;
    };
    const struct {
        int key, arrow, to;
    } cases[] = {{1, ui::kKeyRight, 2},  {1, ui::kKeyLeft, 0},   {14, ui::kKeyRight, 0}, {1, ui::kKeyUp, 0},
                 {2, ui::kKeyDown, 15},  {15, ui::kKeyUp, 2},    {27, ui::kKeyDown, 38}, {38, ui::kKeyDown, 48},
                 {48, ui::kKeyUp, 42},   {48, ui::kKeyDown, 0},  {47, ui::kKeyRight, 0}, {26, ui::kKeyDown, 37}};
    for (const auto& c : cases) EXPECT_EQ(from(c.key, c.arrow), c.to) << c.key << " " << c.arrow;
    main.KeyButton(2).SetEnabled(false);
    EXPECT_EQ(from(1, ui::kKeyRight), 3);  // a disabled key is passed over
}

TEST(Keyboard, AClickOnTheEntryTheKeysBrowsedToTakesIt) {
    AppFixture app;
    TForm1& main = app.Started(kOsWinXp);
    main.Button6.Click();
    main.KeyButton(16).Click();
    main.ListView1.UserMove('d' - 32);
    EXPECT_NE(main.KeyButton(16).Caption(), "d");
    main.ListView1.UserClick('d' - 32);
    EXPECT_EQ(main.KeyButton(16).Caption(), "d");
    main.ListView1.UserMove('e' - 32);
    main.ListView1.UserDoubleClick('e' - 32);
    EXPECT_EQ(main.KeyButton(16).Caption(), "e");
}

TEST(Keyboard, MnemonicsPressButtonsAndTakeLabelsToTheirFieldsWithTheTextSelected) {
    AppFixture app;
    TForm1& main = app.Started(kOsWinXp);
    EXPECT_TRUE(ui::PressMnemonic(main, 'n'));  // New
    EXPECT_EQ(main.Edit1.Text(), "Bulgarian (New)");
    EXPECT_TRUE(ui::PressMnemonic(main, 'A'));  // N&ame:
    EXPECT_TRUE(main.Edit1.Focused());
    EXPECT_TRUE(main.Edit1.AllSelected());
    main.Edit1.TypeText("x");
    EXPECT_FALSE(main.Edit1.AllSelected());
    EXPECT_TRUE(ui::PressMnemonic(main, 'H'));  // S&hift
    EXPECT_TRUE(main.SpeedButton49.Down());
    EXPECT_TRUE(main.SpeedButton53.Down());
    EXPECT_FALSE(ui::PressMnemonic(main, 'E'));  // Caps S&ens waits for a key
    EXPECT_FALSE(ui::PressMnemonic(main, 'Z'));

    // A focused control that is disabled hands the focus to the next stop.
    main.KeyButton(5).Click();
    main.SpeedButton51.SetFocus();
    main.KeyButton(5).Click();  // released: Caps Sens goes grey
    EXPECT_FALSE(main.SpeedButton51.Enabled());
    EXPECT_TRUE(main.ListView2.Focused());
}

TEST(Keyboard, DialogsOpenInTheirFirstFieldAndTheLanguageListKeepsTheFocus) {
    AppFixture app;
    app.Started(kOsWin9x);
    TForm2& list = *app.program->Form2();
    TForm3& editor = *app.program->Form3();
    bool selected = false;
    app.backend.modalScripts["Form3"] = [&](ui::Form&) {
        selected = editor.Edit1.Focused() && editor.Edit1.AllSelected() && editor.Edit1.Text() == "New Language";
    };
    list.SetShowing(true);
    list.SetVisible(true);
    list.Button2.SetFocus();
    list.Button2.Click();
    EXPECT_TRUE(selected);
    EXPECT_TRUE(list.ListView1.Focused());
}

}  // namespace
}  // namespace tastavia
