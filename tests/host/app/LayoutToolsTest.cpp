// The main window's Check and Try and the warning before Save, through the widget model.
#include <gtest/gtest.h>

#include "app/Check.h"
#include "app/Try.h"
#include "layout/LayoutKeys.h"
#include "registry/RegistryFixture.h"

namespace tastavia {
namespace {

using ui::Answer;
using ui::KeyEvent;

constexpr KeyNumber kG = 31, kEquals = 13;  // ж/Ж and ./V in BDS

struct LayoutTools : test::RegistryFixture, ::testing::Test {
    // BDS with a letter replaced (ж missing, a Caps-Lock flag out of place) and the
    // comma on a second key.
    TForm1& Broken() {
        MakeSystemDirectories();
        TForm1& main = Started(kOsWinXp);
        main.Button6.Click();
        main.BDS1Click();
        main.Layout().WriteKeyChar(kG, ShiftState::Unshifted, 'a');
        main.Layout().WriteKeyChar(kEquals, ShiftState::Unshifted, ',');
        return main;
    }
    std::vector<Finding> Findings(TForm1& main) { return CheckLayout(ReadLayoutKeys(main.Layout())); }
    int Warnings() {
        int n = 0;
        for (const auto& shown : dialogs().shown) n += shown.kind == ui::MessageKind::Warning;
        return n;
    }
};

TEST_F(LayoutTools, CheckListsTheFindingsAndGoesToTheChosenKey) {
    TForm1& broken = Broken();
    const std::vector<Finding> expected = Findings(broken);
    ASSERT_EQ(expected.size(), 3u);
    TForm6& check = broken.Form6();
    backend.modalScripts["Form6"] = [&](ui::Form&) {
        ASSERT_EQ(check.ListView1.Count(), 3);
        for (int i = 0; i < 3; ++i) {
            const Finding& f = expected[static_cast<std::size_t>(i)];
            const ui::ListItem& row = check.ListView1.Item(i);
            EXPECT_EQ(row.caption, FindingKindName(f.kind));
            EXPECT_EQ(row.subItems, (std::vector<std::string>{f.key ? KeyLabel(f.key) : "", f.text}));
        }
        EXPECT_EQ(check.Label1.Caption(), "3 problems found. Double-click one to show its key in the editor.");
        EXPECT_EQ(check.Label2.Caption(), expected[0].text);  // the first is selected
        check.ListView1.UserDoubleClick(0);  // the missing letter is on no key: nothing to show
        EXPECT_TRUE(check.Showing());
        EXPECT_FALSE(check.Button1.Enabled());
        check.ListView1.UserDoubleClick(1);
    };
    EXPECT_EQ(expected[1].key, kEquals);
    broken.Button12.Click();
    EXPECT_EQ(broken.CurrentKey(), kEquals);
    EXPECT_TRUE(broken.KeyButton(kEquals).Down());
    EXPECT_EQ(broken.ListView1.Selected(), ',' - 32);

    // Going to the key that is already selected keeps it selected.
    backend.modalScripts["Form6"] = [&](ui::Form&) {
        check.ListView1.UserSelect(1);
        check.Button1.Click();
    };
    broken.Button12.Click();
    EXPECT_EQ(broken.CurrentKey(), kEquals);
    EXPECT_TRUE(broken.KeyButton(kEquals).Down());

    dialogs().answers = {ui::Answer::Yes};  // the broken keys are not saved
    broken.BDS1Click();
    backend.modalScripts["Form6"] = [&](ui::Form&) {
        EXPECT_EQ(check.ListView1.Count(), 0);
        EXPECT_EQ(check.Label1.Caption(), "No problems found.");
        EXPECT_FALSE(check.Button1.Enabled());
    };
    broken.Button12.Click();
    EXPECT_EQ(broken.CurrentKey(), 0);
    EXPECT_EQ(backend.modalLog, (std::vector<std::string>{"Form6", "Form6", "Form6"}));
}

TEST_F(LayoutTools, SaveWarnsOnceAndGoesOnOnlyWhenTold) {
    TForm1& main = Broken();
    const std::vector<Finding> findings = Findings(main);
    main.Button4.Click();  // no answer: No
    ASSERT_EQ(dialogs().shown.size(), 1u);
    EXPECT_EQ(dialogs().shown[0].buttons, ui::MessageButtons::YesNo);
    EXPECT_EQ(dialogs().shown[0].text, "The layout check found 3 problems:\n\n" + findings[0].text + "\n" +
                                           findings[1].text + "\n" + findings[2].text +
                                           "\n\n\"Check\" lists them all. Save the layout anyway?");
    EXPECT_EQ(Value("00050402", "layout file"), "<no key>");
    EXPECT_FALSE(test::FileExists(SystemFile(main, "kbdbunew.dll")));

    dialogs().answers = {Answer::Yes};
    main.Button4.Click();
    EXPECT_EQ(Warnings(), 2);
    EXPECT_EQ(dialogs().shown.back().text, "Layout successful added!");
    EXPECT_EQ(Value("00050402", "layout file"), "kbdbunew.dll");

    // The wizard's silent install does not ask; a layout that passes is saved at once.
    dialogs().shown.clear();
    main.SetLayoutNames("Other", "other.dll");
    EXPECT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    main.BDS1Click();
    main.SetLayoutNames("Third", "third.dll");
    main.Button4.Click();
    EXPECT_EQ(Warnings(), 0);
    EXPECT_EQ(Value("00070402", "layout file"), "third.dll");
}

KeyEvent Key(std::uint8_t scanCode, int keyCode, bool shift = false, bool caps = false, bool control = false,
             bool alt = false) {
    return KeyEvent{scanCode, false, keyCode, shift, caps, control, alt};
}

TEST_F(LayoutTools, TryTypesTheLayoutsCharactersByScanCode) {
    TForm1& main = Broken();
    main.BDS1Click();
    TForm7& tryForm = main.Form7();
    tryForm.Edit1.SetText("left over");
    struct Case {
        KeyEvent key;
        std::optional<std::string> typed;
        const char* character;  // the last key's labels afterwards
        const char* from;
    };
    const Case cases[] = {
        {Key(0x20, 'D'), "\xE0", "\xE0 (224)", "key 29 (D), unshifted"},
        {Key(0x20, 'D', true), "\xC0", "\xC0 (192)", "key 29 (D), shifted"},
        {Key(0x20, 'D', false, true), "\xC0", "\xC0 (192)", "key 29 (D), shifted"},
        {Key(0x10, 'Q', false, true), ",", ", (44)", "key 15 (Q), unshifted"},
        {Key(0x39, ' ', true), " ", "space (32)", "key 48 (Space), shifted"},
        {Key(0x0E, ui::kKeyBackspace), std::nullopt, "space (32)", "key 48 (Space), shifted"},
        {Key(0x4B, ui::kKeyLeft), std::nullopt, "space (32)", "key 48 (Space), shifted"},
        {Key(0x56, 0xE2), "", "space (32)", "key 48 (Space), shifted"},  // no layout key: ignored
        {Key(0x1C, ui::kKeyEnter), "", "space (32)", "key 48 (Space), shifted"},
        {Key(0x2E, 'C', false, false, true), std::nullopt, "space (32)", "key 48 (Space), shifted"},
        {Key(0x2E, 'C', false, false, true, true), "", "space (32)", "key 48 (Space), shifted"},
    };
    backend.modalScripts["Form7"] = [&](ui::Form&) {
        EXPECT_EQ(tryForm.Edit1.Text(), "");
        EXPECT_EQ(tryForm.Label3.Caption(), "");
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "scan " << int(c.key.scanCode));
            EXPECT_EQ(tryForm.Edit1.PressKey(c.key), c.typed);
            EXPECT_EQ(tryForm.Label3.Caption(), c.character);
            EXPECT_EQ(tryForm.Label5.Caption(), c.from);
        }
        tryForm.Edit1.TypeText("typed");
        tryForm.Button1.Click();
        EXPECT_EQ(tryForm.Edit1.Text(), "");
        EXPECT_EQ(tryForm.Label5.Caption(), "");
    };
    main.Button13.Click();
    EXPECT_EQ(backend.modalLog, std::vector<std::string>{"Form7"});
}

}  // namespace
}  // namespace tastavia
