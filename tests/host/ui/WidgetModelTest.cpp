// The widget model's own rules: toggle groups, radio groups, change events, the list's
// selection events, and how errors end a command.
#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "ui/Controls.h"
#include "ui/ListView.h"
#include "ui/headless/HeadlessBackend.h"

namespace tastavia::ui {
namespace {

struct Model : ::testing::Test {
    HeadlessBackend backend;
    Application app{backend};
    Form form{app, "Form"};
    Model() { backend.RunMain(form); }
};

TEST_F(Model, SpeedButtonGroupsWithAllUpAllowed) {
    SpeedButton a{&form, "a"}, b{&form, "b"}, other{&form, "other"};
    for (SpeedButton* s : {&a, &b}) {
        s->SetGroupIndex(1);
        s->SetAllowAllUp(true);
    }
    other.SetGroupIndex(2);
    int clicks = 0;
    a.onClick = [&] { ++clicks; };
    other.SetDown(true);
    a.Click();
    EXPECT_TRUE(a.Down());
    b.Click();
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    EXPECT_TRUE(other.Down());  // another group
    b.Click();
    EXPECT_FALSE(b.Down());
    a.SetDown(true);  // a program change raises no click
    EXPECT_EQ(clicks, 1);
    a.SetEnabled(false);
    a.Click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Model, RadioButtonsClearTheirSiblingsAndReportChecking) {
    RadioButton r1{&form, "r1"}, r2{&form, "r2"};
    std::vector<std::string> clicked;
    r1.onClick = [&] { clicked.push_back("r1"); };
    r2.onClick = [&] { clicked.push_back("r2"); };
    r1.SetChecked(true);
    r2.Click();
    EXPECT_FALSE(r1.Checked());
    r2.Click();  // already checked: no event
    EXPECT_EQ(clicked, (std::vector<std::string>{"r1", "r2"}));
}

TEST_F(Model, EditsReportEveryChangeButNoRepeat) {
    Edit e{&form, "e"};
    int changes = 0;
    e.onChange = [&] { ++changes; };
    e.SetText("a");
    e.SetText("a");
    e.TypeText("ab");
    e.SetReadOnly(true);
    e.TypeText("abc");
    EXPECT_EQ(e.Text(), "ab");
    EXPECT_EQ(changes, 2);
}

TEST_F(Model, ListSelectionLeavesTheOldItemFirst) {
    ListView list{&form, "list"};
    for (const char* c : {"a", "b", "c"}) list.AddItem(c);
    std::vector<std::string> events;
    list.onSelectItem = [&](int item, bool selected) {
        events.push_back(std::to_string(item) + (selected ? "+" : "-") + std::to_string(list.Selected()));
    };
    list.SetSelected(0);
    list.UserSelect(2);
    list.UserSelect(2);
    list.SetSelected(-1);
    EXPECT_EQ(events, (std::vector<std::string>{"0+0", "0--1", "2+2", "2--1"}));
    list.mouseFilter = [](MouseButton b) { return b != MouseButton::Left; };
    list.UserClick(1);
    EXPECT_EQ(list.Selected(), -1);
}

TEST_F(Model, AnErrorEndsTheWholeUserActionAtItsStep) {
    Button outer{&form, "outer"};
    Edit inner{&form, "inner"};
    outer.SetCaption("Save &To...");
    std::vector<std::string> steps, errors;
    int commands = 0;
    app.onError = [&](const std::string& action, const AppError& e) { errors.push_back(action + ": " + e.what()); };
    app.afterCommand = [&] { ++commands; };
    inner.onChange = [&] { throw IoError("disk"); };
    outer.onClick = [&] {
        steps.push_back("before");
        inner.SetText("x");  // a program change whose handler fails
        steps.push_back("after");
    };
    outer.Click();
    EXPECT_EQ(steps, std::vector<std::string>{"before"});
    EXPECT_EQ(errors, std::vector<std::string>{"Save To: disk"});  // the action as the user knows it
    EXPECT_EQ(commands, 1);  // one user action, also when it failed
    EXPECT_EQ(inner.Text(), "x");  // what was done stays done
    EXPECT_FALSE(app.InCommand());
}

TEST_F(Model, EachActionInAModalFormIsACommandOfItsOwn) {
    Form dialog{app, "Dialog"};
    Button failing{&dialog, "failing"}, opener{&form, "opener"};
    std::vector<std::string> steps;
    int errors = 0;
    app.onError = [&](const std::string&, const AppError&) { ++errors; };
    failing.onClick = [] { throw RegistryError("locked"); };
    opener.onClick = [&] {
        dialog.ShowModal();
        steps.push_back("after the dialog");
    };
    backend.modalScripts["Dialog"] = [&](Form&) {
        failing.Click();
        steps.push_back("dialog still running");
    };
    opener.Click();
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(steps, (std::vector<std::string>{"dialog still running", "after the dialog"}));
    EXPECT_FALSE(dialog.IsModal());
}

TEST(FitCaption, CutsTheNameAndKeepsTheMarksWhole) {
    auto pixelPerByte = [](const std::string& text) { return static_cast<int>(text.size()); };
    struct Case {
        const char* caption;
        std::size_t marks;
        int width;
        const char* shown;
    };
    const Case cases[] = {
        {"Mine - (mine.kbd)*", 1, 18, "Mine - (mine.kbd)*"},        // fits: whole
        {"Mine - (mine.kbd)*", 1, 12, "Mine - (...*"},              // the mark stays
        {"Bulgarian - [BASE][IN USE]", 17, 25, "Bulga... - [BASE][IN USE]"},
        {"Phonetic layout", 0, 10, "Phoneti..."},                   // no marks: an end ellipsis
        {"Long name - [IN USE]", 11, 8, "... - [IN USE]"},          // the marks even when they alone are too wide
        {"*", 5, 0, "...*"},                                        // marks beyond the caption are the caption
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitCaption(c.caption, c.marks, c.width, pixelPerByte), c.shown) << c.caption << " in " << c.width;
}

TEST_F(Model, MarksAppendedToAnItemAddUp) {
    ListView list{&form, "list"};
    int index = list.AddItem("Bulgarian");
    list.AppendItemMark(index, " - [BASE]");
    list.AppendItemMark(index, "[IN USE]");
    EXPECT_EQ(list.Item(index).caption, "Bulgarian - [BASE][IN USE]");
    EXPECT_EQ(list.Item(index).marks, 17u);
    list.SetItemCaption(index, "Plain");
    EXPECT_EQ(list.Item(index).marks, 0u);
}

}  // namespace
}  // namespace tastavia::ui
