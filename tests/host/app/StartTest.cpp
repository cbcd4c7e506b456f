// The start sequence and the start dialog, driven through the widget model.
#include <gtest/gtest.h>

#include "AppFixture.h"

namespace tastavia {
namespace {

using test::AppFixture;

struct DetectionRow {
    std::uint32_t platform, major, minor;
    const char* name;
    OsKind preselected;
    bool tested;
};

TEST(DetectOs, FollowsTheTable) {
    const DetectionRow rows[] = {
        {1, 4, 10, "Windows 98", kOsWin9x, true},  {1, 4, 0, "Windows 95", kOsWin9x, false},
        {1, 4, 90, "Windows ME", kOsWin9x, false}, {1, 3, 10, "Windows 3", kOsWin9x, false},
        {2, 5, 0, "Windows 2000", kOsWin2000, true}, {2, 5, 1, "Windows XP", kOsWinXp, true},
        {2, 5, 2, "Windows XP", kOsWinXp, false},  {2, 4, 0, "Windows NT", kOsWin2000, false},
        {2, 6, 0, "Windows NT", kOsWinXp, false},  {3, 5, 1, "Windows 32", kOsWin9x, false},
    };
    for (const DetectionRow& row : rows) {
        OsDetection d = DetectOs(OsVersionInfo{row.platform, row.major, row.minor, 0, ""});
        EXPECT_STREQ(d.name, row.name) << row.platform << " " << row.major << "." << row.minor;
        EXPECT_EQ(d.preselected, row.preselected) << row.name;
        EXPECT_EQ(d.tested, row.tested) << row.name;
    }
}

TEST(VersionText, ShowsBuildAndServicePack) {
    EXPECT_EQ(VersionText({2, 5, 0, 2195, ""}), "Version 5.0 (Build 2195)");
    EXPECT_EQ(VersionText({2, 5, 0, 2195, "Service Pack 4"}), "Version 5.0 (Build 2195: Service Pack 4)");
    // Windows 9x reports the version in the build number's high word.
    EXPECT_EQ(VersionText({1, 4, 10, 0x040A08AE, " A "}), "Version 4.10 (Build 2222:  A )");
    std::string longText = VersionText({2, 5, 1, 2600, std::string(200, 'x')});
    EXPECT_EQ(longText.size(), std::string("Version ").size() + 100);
}

struct Start : AppFixture, ::testing::Test {};

TEST_F(Start, TheDialogShowsTheDetectedSystem) {
    osVersion.info = {1, 4, 0, 950, ""};
    TForm4& about = MakeProgram().Form4();
    EXPECT_EQ(about.Caption(), "Select Operation System");
    EXPECT_EQ(about.Label1.Caption(), "Windows 95");
    EXPECT_EQ(about.Label2.Caption(), "Version 4.0 (Build 950)");
    EXPECT_EQ(about.Label3.Caption(), "This OS is not tested!");
    EXPECT_TRUE(about.RadioButton1.Checked());
    EXPECT_EQ(about.Label4.Caption(), "");
    EXPECT_TRUE(about.CheckBox1.Checked());
    EXPECT_EQ(program->GetSession().osKind, kOsUnchosen);

    backend.modalScripts["Form4"] = [&](ui::Form&) {
        about.RadioButton3.Click();
        EXPECT_EQ(about.Label4.Caption(), "You must have Administrator's");
        EXPECT_EQ(about.Label5.Caption(), "rights to make any changes!");
        about.RadioButton1.Click();
        EXPECT_EQ(about.Label4.Caption(), "");
        EXPECT_FALSE(about.RadioButton3.Checked());
    };
    about.ShowModal();
}

TEST_F(Start, AnNtSystemPreselectsItsKindWithTheWarning) {
    TForm4& about = MakeProgram().Form4();  // XP SP2
    EXPECT_TRUE(about.RadioButton3.Checked());
    EXPECT_EQ(about.Label3.Caption(), "");
    EXPECT_EQ(about.Label4.Caption(), "You must have Administrator's");
}

TEST_F(Start, LeavingWithoutAChoiceEndsWithZeroAndWritesNothing) {
    for (bool viaEscape : {false, true}) {
        AppFixture f;
        Program& program = f.MakeProgram();
        f.backend.modalScripts["Form4"] = [&](ui::Form& form) {
            if (viaEscape)
                form.PressCancel();
            else
                program.Form4().Button2.Click();
        };
        EXPECT_EQ(program.Run(), 0);
        EXPECT_FALSE(program.Form1().Showing());
        EXPECT_EQ(std::system(("test -z \"$(ls -A '" + f.dir / "Temp" + "')\"").c_str()), 0);
    }
    // The title-bar button does the same.
    Program& program = MakeProgram();
    backend.modalScripts["Form4"] = [](ui::Form& form) { form.ClosedByUser(); };
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(program.GetSession().osKind, kOsUnchosen);
}

TEST_F(Start, OkStartsTheEditorAndMayAskForTheWizard) {
    for (bool wizard : {true, false}) {
        AppFixture f;
        Program& program = f.MakeProgram();
        int wizards = 0;
        bool mainShownFirst = false;
        program.Form1().onResetWizard = [&] {
            ++wizards;
            mainShownFirst = program.Form1().Showing();
        };
        f.backend.modalScripts["Form4"] = [&](ui::Form&) {
            program.Form4().RadioButton2.Click();
            program.Form4().CheckBox1.SetChecked(wizard);
            program.Form4().Button1.Click();
        };
        EXPECT_EQ(program.Run(), 0);
        EXPECT_EQ(program.GetSession().osKind, kOsWin2000);
        EXPECT_EQ(program.Form1().Caption(), "Tastavia v1.1");
        EXPECT_EQ(f.app.title, "Tastavia v1.1");
        EXPECT_TRUE(program.Form1().Showing());
        EXPECT_EQ(program.Form1().ListView1.Count(), 224);
        EXPECT_FALSE(program.Form1().KeyButton(1).Enabled());
        EXPECT_EQ(wizards, wizard ? 1 : 0);
        EXPECT_TRUE(!wizard || mainShownFirst);
    }
}

TEST_F(Start, TheInformationRoleShowsTheChoiceAndOnlyCloses) {
    Program& program = MakeProgram();
    backend.modalScripts["Form4"] = [&](ui::Form&) { program.Form4().Button1.Click(); };
    program.Run();
    // "Start Wizard" was checked: the wizard opened over the main window.
    EXPECT_EQ(backend.modalLog, (std::vector<std::string>{"Form4", "Form5"}));
    TForm4& about = program.Form4();
    EXPECT_TRUE(about.InInformationRole());
    EXPECT_FALSE(about.RadioButton1.Enabled() || about.RadioButton2.Enabled() || about.RadioButton3.Enabled());
    EXPECT_TRUE(about.RadioButton3.Checked());
    EXPECT_FALSE(about.CheckBox1.Visible());
    EXPECT_EQ(about.Button2.Caption(), "Close");
    EXPECT_EQ(about.Caption(), "About Tastavia");  // no longer a choice of system

    backend.modalScripts["Form4"] = [&](ui::Form&) { about.Button2.Click(); };
    program.Form1().Button11.Click();
    EXPECT_EQ(backend.modalLog.size(), 3u);
    EXPECT_TRUE(program.Form1().Showing());
    EXPECT_EQ(program.GetSession().osKind, kOsWinXp);
}

TEST_F(Start, OnlyWindows9xGetsTheLanguageDialogs) {
    for (OsKind kind : {kOsWin9x, kOsWinXp}) {
        AppFixture f;
        TForm1& main = f.Started(kind);
        Program& program = *f.program;
        EXPECT_EQ(program.Form2() != nullptr, kind == kOsWin9x);
        EXPECT_EQ(program.Form5().CreateLanguageCheckBox().Visible(), kind == kOsWin9x);
        main.Button10.Click();  // BG Lang
        EXPECT_EQ(f.backend.modalLog, kind == kOsWin9x ? std::vector<std::string>{"Form2"} : std::vector<std::string>{});
        main.Button3.Click();  // Wizard: posted, shown when the loop gets to it
        f.backend.ProcessMessages();
        EXPECT_EQ(f.backend.modalLog.back(), "Form5");
    }
}

}  // namespace
}  // namespace tastavia
