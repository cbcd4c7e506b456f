// The language editor: its layout choices, and every outcome of saving, with the
// renames of layout keys that change a language's default layout.
#include <gtest/gtest.h>

#include "LanguageFixture.h"

namespace tastavia {
namespace {

using ui::MessageKind;

const std::string kNameTaken = "2This Language already exists! Choose another Languge name!";
const std::string kCreated = "0New Language successful created!";
const std::string kSaved = "5Language successful saved!";
const std::string kNoChanges = "3No changes was made!";

struct LanguageEditor : test::LanguageFixture, ::testing::Test {};

TEST_F(LanguageEditor, ChoicesMarkReservedAndUsedLayoutsButNotTheLanguagesOwn) {
    editor.PrepareNewLanguage();
    EXPECT_EQ(Column(editor.ListView1, 0),
              (std::vector<std::string>{"N/A", "Bulgarian - (kbdbu.kbd) - [BASE]*", "Mine - (mine.kbd)*",
                                        "BULGARIAN (latin) - (kbdbulat.kbd) - [BASE]", "Phonetic - (kbdph.kbd)"}));
    EXPECT_EQ(Marks(editor.ListView1), (std::vector<std::string>{"", " - [BASE]*", "*", " - [BASE]", ""}));
    EXPECT_EQ(editor.Caption(), "Add New Language");
    EXPECT_EQ(editor.LanguageField().Text(), "New Language");
    EXPECT_EQ(editor.ListView1.Selected(), 0);
    EXPECT_EQ(editor.LayoutField().Text(), "N/A");
    Choose("Phonetic");
    EXPECT_EQ(editor.LayoutField().Text(), "Phonetic");

    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    EXPECT_EQ(editor.Caption(), "Edit Language");
    EXPECT_EQ(editor.LanguageField().Text(), "Second");
    EXPECT_EQ(editor.ListView1.Selected(), 2);
    EXPECT_EQ(editor.ListView1.Item(2).caption, "Mine - (mine.kbd)");
    EXPECT_EQ(editor.ListView1.Item(2).marks, 0u);
    EXPECT_EQ(editor.LayoutField().Text(), "Mine");
    EXPECT_FALSE(editor.OpenLanguageForEdit("00009402"));

    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Open);
    editor.FillLayoutChoices();
    EXPECT_EQ(editor.ListView1.Count(), 4);
}

TEST_F(LanguageEditor, AddingTakesTheFirstFreeIdAndRefusesANameInUse) {
    editor.PrepareNewLanguage();
    EXPECT_EQ(editor.SaveLanguage(true), kCreated);
    EXPECT_EQ(Language("00002402"), "New Language");
    EXPECT_EQ(editor.EditedLanguageId, "00002402");
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(editor.SaveLanguage(true), kNameTaken);  // saved twice, it is not made twice

    const std::string before = Snapshot();
    editor.PrepareNewLanguage();
    editor.LanguageField().SetText("Second");
    EXPECT_EQ(editor.SaveLanguage(true), kNameTaken);
    EXPECT_EQ(Snapshot(), before);
    editor.LanguageField().SetText("second");  // another case is another name
    EXPECT_EQ(editor.SaveLanguage(true), kCreated);
    EXPECT_EQ(Language("00003402"), "second");

    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    editor.LanguageField().SetText("Bulgarian");
    EXPECT_EQ(editor.SaveLanguage(true), kNameTaken);

    const std::string named = Snapshot();
    for (const char* blank : {"", " \t "}) {  // in both modes, as a taken name is
        editor.LanguageField().SetText(blank);
        EXPECT_EQ(editor.SaveLanguage(true), "6The name field is empty or it contain invalid name!");
        editor.PrepareNewLanguage();
    }
    EXPECT_EQ(Snapshot(), named);
}

TEST_F(LanguageEditor, ReservedUsedAndUnknownLayoutsAreRefusedWithoutChange) {
    AddLayout("00060402", "bULGARIAN", "other.kbd");
    const std::string before = Snapshot();
    editor.PrepareNewLanguage();
    editor.LanguageField().SetText("Other");
    for (const char* layout : {"Bulgarian", "bULGARIAN"}) {
        Choose(layout);
        EXPECT_EQ(editor.SaveLanguage(true).substr(0, 40), "4You selected the Main Bulgarian layout!") << layout;
    }
    Choose("Mine");
    EXPECT_EQ(editor.SaveLanguage(true),
              "4This layout is already used by other languge! Choose another layout or 'N/A'!");
    editor.LayoutField().SetText("Gone");
    EXPECT_EQ(editor.SaveLanguage(true), "4No valid layout selected!");
    EXPECT_EQ(Snapshot(), before);
    EXPECT_TRUE(dialogs().shown.empty());

    Choose("BULGARIAN (latin)");  // the Latin one is allowed
    EXPECT_EQ(editor.SaveLanguage(true), kCreated);
    EXPECT_EQ(Value("00002402", "layout text"), "BULGARIAN (latin)");
    EXPECT_EQ(Value("00020402", "layout text"), "<no key>");
    EXPECT_EQ(Language("00002402"), "Other");
}

TEST_F(LanguageEditor, AnUnchangedEditSaysSoAndARenameMovesNoKey) {
    const std::string before = Snapshot();
    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    EXPECT_EQ(editor.SaveLanguage(true), kNoChanges);
    EXPECT_EQ(Snapshot(), before);

    editor.LanguageField().SetText("Renamed");
    EXPECT_EQ(editor.SaveLanguage(true), kSaved);
    EXPECT_EQ(Language("00001402"), "Renamed");
    EXPECT_EQ(Value("00001402", "layout text"), "Mine");

    AddLanguage("00003402", "Bare");  // no default layout: N/A stays N/A
    ASSERT_TRUE(editor.OpenLanguageForEdit("00003402"));
    EXPECT_EQ(editor.LayoutField().Text(), "N/A");
    EXPECT_EQ(editor.SaveLanguage(true), kNoChanges);
}

TEST_F(LanguageEditor, NotApplicableMovesTheDefaultLayoutToTheFirstFreeNumber) {
    registry.Open(RootKey::LocalMachine, test::kLayouts + "00001402\\Sub", true)->WriteString("v", "x");
    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    Choose("N/A");
    EXPECT_EQ(editor.SaveLanguage(true), kSaved);
    EXPECT_EQ(Value("00001402", "layout text"), "<no key>");
    EXPECT_EQ(Value("00060402", "layout text"), "Mine");  // 50 is taken
    EXPECT_EQ(Value("00060402", "layout file"), "mine.kbd");
    EXPECT_TRUE(registry.KeyExists(RootKey::LocalMachine, test::kLayouts + "00060402\\Sub"));

    // A stray key of a new language's id goes the same way.
    AddLayout("00002402", "Stray", "stray.kbd");
    editor.PrepareNewLanguage();
    editor.LanguageField().SetText("Fresh");
    EXPECT_EQ(editor.SaveLanguage(true), kCreated);
    EXPECT_EQ(Language("00002402"), "Fresh");
    EXPECT_EQ(Value("00070402", "layout text"), "Stray");
    EXPECT_EQ(Value("00002402", "layout text"), "<no key>");
}

TEST_F(LanguageEditor, AnotherLayoutSwapsNamesWithTheCurrentDefault) {
    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    Choose("Phonetic");
    EXPECT_EQ(editor.SaveLanguage(true), kSaved);
    EXPECT_EQ(Value("00001402", "layout text"), "Phonetic");
    EXPECT_EQ(Value("00050402", "layout text"), "Mine");
    EXPECT_EQ(Snapshot().find("OLD"), std::string::npos);

    // A parking name left over from an interrupted swap does not stop the next one.
    AddLayout("00001402OLD", "Stray", "stray.kbd");
    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    EXPECT_EQ(editor.LayoutField().Text(), "Phonetic");
    Choose("Mine");
    EXPECT_EQ(editor.SaveLanguage(true), kSaved);
    EXPECT_EQ(Value("00001402", "layout text"), "Mine");
    EXPECT_EQ(Value("00050402", "layout text"), "Phonetic");
    EXPECT_EQ(Value("00001402OLD", "layout text"), "Stray");
    EXPECT_EQ(Value("00001402OLD2", "layout text"), "<no key>");
}

TEST_F(LanguageEditor, ARegistryFailureEndsTheSaveWithoutAWordOrAHalfSwap) {
    const std::string before = Snapshot();
    registry.Deny(RootKey::LocalMachine, test::kLayouts + "00050402", RegistryOperation::Delete);
    ASSERT_TRUE(editor.OpenLanguageForEdit("00001402"));
    Choose("Phonetic");
    app.Guard([&] { editor.SaveLanguage(false); });
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(Snapshot(), before);

    // The language value cannot be written: the move already made is put back.
    registry.AllowAll();
    registry.Deny(RootKey::LocalMachine, test::kLocale, RegistryOperation::Write);
    editor.LanguageField().SetText("Renamed");
    Choose("N/A");
    app.Guard([&] { editor.SaveLanguage(false); });
    EXPECT_TRUE(dialogs().shown.empty());
    EXPECT_EQ(Language("00001402"), "Second");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(LanguageEditor, FailuresKeepTheDialogOpenAndFinishesCloseIt) {
    backend.modalScripts["Form3"] = [this](ui::Form& form) {
        editor.Edit1.TypeText("Second");
        editor.Button1.Click();
        EXPECT_TRUE(form.Showing());
        EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Error);
        EXPECT_TRUE(editor.Edit1.Focused() && editor.Edit1.AllSelected());  // back at the fault
        editor.Edit1.TypeText("Fourth");
        editor.ListView1.UserClick(1);  // the main Bulgarian layout
        editor.Button1.SetFocus();
        editor.Button1.Click();
        EXPECT_TRUE(form.Showing());
        EXPECT_TRUE(editor.ListView1.Focused());
        editor.ListView1.UserClick(4);
        editor.Button1.Click();
        EXPECT_FALSE(form.Showing());
    };
    editor.PrepareNewLanguage();
    editor.ShowModal();
    EXPECT_EQ(dialogs().shown.size(), 3u);
    EXPECT_EQ(dialogs().shown.back().text, "New Language successful created!");
    EXPECT_EQ(dialogs().shown.back().kind, MessageKind::Information);
    EXPECT_EQ(Value("00002402", "layout text"), "Phonetic");

    backend.modalScripts["Form3"] = [this](ui::Form& form) {
        editor.Button1.Click();  // nothing changed: it says so and closes
        EXPECT_FALSE(form.Showing());
    };
    ASSERT_TRUE(editor.OpenLanguageForEdit("00002402"));
    editor.ShowModal();
    EXPECT_EQ(dialogs().shown.back().text, "No changes was made!");

    backend.modalScripts["Form3"] = [this](ui::Form& form) {
        EXPECT_TRUE(form.PressCancel());  // Escape
        EXPECT_FALSE(form.Showing());
    };
    editor.ShowModal();
    EXPECT_EQ(dialogs().shown.size(), 4u);
}

}  // namespace
}  // namespace tastavia
