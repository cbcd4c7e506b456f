// Installing on a 64-bit Windows, x64 and ARM64: a library for each system folder, written
// both or neither, replaced, loaded back and deleted together; a standard user is told why.
#include <gtest/gtest.h>

#include "RegistryFixture.h"
#include "layout/LayoutFileKind.h"
#include "layout/SystemLibraries.h"
#include "platform/memory/FaultyFiles.h"
#include "registry/Installer.h"

namespace tastavia {
namespace {

using test::FileExists;
using ui::Answer;

const char* const kRunAsAdministrator = "Run Tastavia as administrator";

struct Windows64Install : test::RegistryFixture, ::testing::TestWithParam<Machine> {
    Windows64Install() { osVersion.info.machine = GetParam(); }

    TForm1& NewLayout() {
        MakeSystemDirectories();
        ::mkdir((dir / "WINDOWS/sysnative").c_str(), 0755);
        TForm1& main = Started(kOsWinXp);
        main.Button6.Click();
        return main;
    }
    std::string In(SystemFolder folder, const std::string& name = "kbdbunew.dll") {
        return PosixFiles::Native(files.SystemFolderPath(folder) + name);
    }
    // What installing the open working file must put into folder.
    std::string LibraryFor(TForm1& main, SystemFolder folder) {
        for (const SystemLibrary& library :
             SystemLibrariesFor(kOsWinXp, GetParam(), test::ReadFile(main.Layout().WorkingPath()), resources))
            if (library.folder == folder) return library.bytes;
        return "<none>";
    }
    std::string Message() { return dialogs().shown.empty() ? "" : dialogs().shown.back().text; }
};

TEST_P(Windows64Install, BothLibrariesAreWrittenReplacedLoadedAndDeletedTogether) {
    TForm1& main = NewLayout();
    ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    EXPECT_EQ(test::ReadFile(In(SystemFolder::Native64)), LibraryFor(main, SystemFolder::Native64));
    EXPECT_EQ(test::ReadFile(In(SystemFolder::Wow64)), LibraryFor(main, SystemFolder::Wow64));
    // The real System32 gets the library for the machine's own processor, SysWOW64 the x86 one.
    EXPECT_EQ(RecogniseLayoutFile(test::ReadFile(In(SystemFolder::Native64))),
              GetParam() == Machine::Arm64 ? kOsArm64 : kOsX64);
    EXPECT_EQ(RecogniseLayoutFile(test::ReadFile(In(SystemFolder::Wow64))), kOsWow64);

    main.KeyButton(2).Click();
    main.ListView1.UserClick(0);
    dialogs().answers = {Answer::Yes, Answer::Ok};  // despite the check; replace
    main.Button4.Click();
    ASSERT_EQ(Message(), "Layout successful replaced!");
    EXPECT_EQ(test::ReadFile(In(SystemFolder::Native64)), LibraryFor(main, SystemFolder::Native64));
    EXPECT_EQ(test::ReadFile(In(SystemFolder::Wow64)), LibraryFor(main, SystemFolder::Wow64));

    main.Button6.Click();
    main.ListView2.UserClick(0);
    main.Button5.Click();
    EXPECT_EQ(main.KeyButton(2).Caption(), " ");  // the edit came back from the system folder

    dialogs().answers = {Answer::Yes, Answer::Yes};
    main.Button9.Click();
    EXPECT_EQ(Message(), "Layout successfuly deleted!");
    EXPECT_FALSE(FileExists(In(SystemFolder::Native64)));
    EXPECT_FALSE(FileExists(In(SystemFolder::Wow64)));
    EXPECT_EQ(Value("00050402", "layout file"), "<no key>");
}

TEST_P(Windows64Install, WhenTheSecondCannotBeWrittenTheFirstIsTakenBack) {
    TForm1& main = NewLayout();
    ASSERT_EQ(::rmdir(In(SystemFolder::Wow64, "").c_str()), 0);  // the second folder cannot take the file
    const std::string status = main.SaveLayoutToSystem(true);
    EXPECT_EQ(status.substr(0, 35), "2File can't be created (replaced)!\r");
    // The file that failed, in the folder the user finds it in, not the System32 WOW64 shows.
    EXPECT_NE(status.find("\\SysWOW64\\kbdbunew.dll"), std::string::npos) << status;
    EXPECT_EQ(status.find("system32"), std::string::npos) << status;
    EXPECT_EQ(status.find(kRunAsAdministrator), std::string::npos);
    EXPECT_FALSE(FileExists(In(SystemFolder::Native64)));
    EXPECT_EQ(Value("00050402", "layout file"), "<no key>");
    ::mkdir(In(SystemFolder::Wow64, "").c_str(), 0755);

    // Replacing: the first file goes back to what it was.
    ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    const std::string before = test::ReadFile(In(SystemFolder::Native64));
    test::MakeReadOnly(In(SystemFolder::Wow64));
    main.KeyButton(2).Click();
    main.ListView1.UserClick(0);
    dialogs().answers = {Answer::Ok};
    EXPECT_EQ(main.SaveLayoutToSystem(true).substr(0, 1), "2");
    EXPECT_EQ(test::ReadFile(In(SystemFolder::Native64)), before);
}

TEST_P(Windows64Install, AStandardUserIsToldToRunAsAdministrator) {
    osVersion.info.administrator = false;
    TForm1& main = NewLayout();
    ASSERT_EQ(::rmdir(In(SystemFolder::Native64, "").c_str()), 0);  // the write fails
    main.Button4.Click();
    EXPECT_EQ(dialogs().shown.back().kind, ui::MessageKind::Error);
    EXPECT_NE(Message().find(kRunAsAdministrator), std::string::npos) << Message();
}

TEST_P(Windows64Install, ALibraryOfAnotherShapeIsRefusedAndTheEditedLayoutStays) {
    TForm1& main = NewLayout();
    test::WriteFile(In(SystemFolder::Native64, "kbdbu.dll"), std::string(5632, 'M'));
    AddLayout("00000402", "Bulgarian", "kbdbu.dll");
    const std::string working = main.Layout().WorkingPath();
    const std::string bytes = test::ReadFile(working);
    main.Button8.Click();
    main.ListView2.UserClick(0);
    main.Button5.Click();
    EXPECT_EQ(dialogs().shown.back().kind, ui::MessageKind::Error);
    EXPECT_EQ(main.Layout().WorkingPath(), working);
    EXPECT_EQ(test::ReadFile(working), bytes);
}

// A disk that fails now and then: the second read of one file (after the ownership check
// read it) and the write of another.
struct Flaky : FaultyFiles {
    using FaultyFiles::FaultyFiles;
    std::string unreadable, unwritable;
    int reads = 0;
    std::optional<std::string> ReadAll(const std::string& path) override {
        if (path == unreadable && ++reads == 2) return std::nullopt;
        return FaultyFiles::ReadAll(path);
    }
    bool WriteAll(const std::string& path, const std::string& bytes) override {
        return path != unwritable && FaultyFiles::WriteAll(path, bytes);
    }
};

TEST_P(Windows64Install, AnInstalledFileThatCannotBeReadBackIsNeitherReplacedNorLost) {
    TForm1& main = NewLayout();
    ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    const std::string installed = test::ReadFile(In(SystemFolder::Native64));
    FaultPlan plan;
    Flaky flaky(files, plan);
    flaky.unreadable = files.SystemFolderPath(SystemFolder::Native64) + "kbdbunew.dll";
    flaky.unwritable = files.SystemFolderPath(SystemFolder::Wow64) + "kbdbunew.dll";
    Installer installer(registry, flaky, resources);
    installer.SetTargetSystem({kOsWinXp, GetParam(), true});
    main.KeyButton(2).Click();
    main.ListView1.UserClick(0);
    const InstallStatus status =
        installer.Install({main.Edit1.Text(), main.Edit2.Text(), main.SystemDirectory(), main.Layout().WorkingPath(), true,
                           "00050402"},
                          [](Ask, const std::string&) { return Reply::Yes; });
    EXPECT_EQ(status.digit, '2') << status.message;
    EXPECT_EQ(flaky.reads, 2);
    EXPECT_EQ(test::ReadFile(In(SystemFolder::Native64)), installed);
}

INSTANTIATE_TEST_SUITE_P(Machines, Windows64Install, ::testing::Values(Machine::X64, Machine::Arm64),
                         [](const auto& info) { return info.param == Machine::Arm64 ? "Arm64" : "X64"; });

}  // namespace
}  // namespace tastavia
