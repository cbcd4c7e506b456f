// The windows' actions on a full disk and onto read-only targets: each one that cannot
// write leaves every file as it was, and the layout being edited stays open and whole.
// Mounting the small disk needs root; elsewhere the test is skipped.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FaultSweep.h"
#include "layout/LayoutFileKind.h"
#include "platform/memory/FixedOsVersion.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/portable/PortableProfileFile.h"
#include "program/Program.h"
#include "ui/headless/HeadlessBackend.h"

namespace tastavia::test {
namespace {

// The names of the files that differ between two trees, or are in only one of them.
std::string Changed(const std::map<std::string, std::string>& a, const std::map<std::string, std::string>& b) {
    std::string names;
    for (const auto& [name, bytes] : a)
        if (!b.count(name) || b.at(name) != bytes) names += name + " ";
    for (const auto& entry : b)
        if (!a.count(entry.first)) names += entry.first + " ";
    return names;
}

std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> all;
    for (const char* folder : {"WINDOWS/system32", "Temp", "ini"})
        for (const auto& [name, bytes] : FolderFiles(root + "/" + folder)) all[std::string(folder) + "/" + name] = bytes;
    return all;
}

struct SmallDisk : ::testing::Test {
    TempDir dir;
    bool mounted = false;
    std::unique_ptr<PosixFiles> files;
    std::unique_ptr<PortableProfileFile> profile;
    FixedClock clock;
    EmbeddedResources resources;
    FixedOsVersion osVersion{OsVersionInfo{2, 5, 1, 2600, ""}};
    MemoryRegistry registry;
    std::unique_ptr<Platform> platform;
    ui::HeadlessBackend backend;
    ui::Application app{backend};
    std::unique_ptr<Program> program;

    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
        mounted = std::system(("mount -t tmpfs -o size=192k tmpfs '" + dir.path() + "' 2>/dev/null").c_str()) == 0;
        if (!mounted) GTEST_SKIP() << "mount is not permitted here";
        for (const char* folder : {"WINDOWS", "WINDOWS/system32", "Temp", "ini"}) ::mkdir((dir / folder).c_str(), 0755);
        WriteFile(dir / "ini/out.ini", "[Mine]\r\nx=1\r\n");
        files = std::make_unique<PosixFiles>(dir / "WINDOWS", dir / "Temp/");
        profile = std::make_unique<PortableProfileFile>(*files);
        platform = std::make_unique<Platform>(Platform{*files, *profile, clock, resources, osVersion, registry});
        program = std::make_unique<Program>(app, *platform);
        program->GetSession().osKind = kOsWinXp;
        Main().EditorStartup();
        app.Run(Main());
        Main().Button6.Click();
        Main().Edit1.TypeText("Mine");
        Main().Button4.Click();  // installed as Mine, kbdbunew.dll
        Main().KeyButton(2).Click();
        Main().ListView1.UserClick(0);  // an edit the installed file lacks
        backend.dialogs.Take();
    }
    void TearDown() override {
        program.reset();
        if (mounted) std::system(("umount '" + dir.path() + "'").c_str());
    }
    TForm1& Main() { return program->Form1(); }
    void Fill() {
        std::system(("dd if=/dev/zero of='" + dir / "filler" + "' bs=4096 2>/dev/null; dd if=/dev/zero of='" +
                     dir / "filler2" + "' bs=1 2>/dev/null")
                        .c_str());
    }
    // Runs the action and checks that it changed no file and kept the layout being edited.
    void ExpectNothingChanged(const char* name, const std::function<void()>& action) {
        SCOPED_TRACE(name);
        const auto before = Tree(dir.path());
        const std::string working = Main().Layout().WorkingPath();
        app.Guard(action);
        EXPECT_EQ(Changed(before, Tree(dir.path())), "");
        EXPECT_EQ(Main().Layout().WorkingPath(), working);
        EXPECT_TRUE(IsLayoutFileOfKind(ReadFile(working), kOsWinXp));
        backend.dialogs.Take();
    }
    // The actions that replace a file: the installed layout and an INI file.
    void Replacing() {
        ExpectNothingChanged("Save replace", [&] {
            backend.dialogs.answers = {ui::Answer::Ok};
            Main().Button4.Click();
        });
        ExpectNothingChanged("INI export", [&] {
            backend.dialogs.files = {dir / "ini/out.ini"};
            Main().SaveTo1Click();
        });
    }
};

TEST_F(SmallDisk, NothingIsHalfWrittenWhenTheDiskIsFull) {
    Fill();
    Replacing();
    ExpectNothingChanged("Save new", [&] {
        Main().SetLayoutNames("Other", "other.dll");
        Main().Button4.Click();
        Main().SetLayoutNames("Mine", "kbdbunew.dll");
    });
    clock.time = {13, 0, 0, 0};  // another name than the working file's: New makes its copy first
    ExpectNothingChanged("New", [&] { Main().Button6.Click(); });
    ExpectNothingChanged("Load", [&] { Main().Button5.Click(); });
    ExpectNothingChanged("INI export to a new file", [&] {
        backend.dialogs.files = {dir / "ini/new.ini"};
        Main().SaveTo1Click();
    });
}

TEST_F(SmallDisk, ReadOnlyTargetsStayAsTheyWere) {
    MakeReadOnly(dir / "WINDOWS/system32/kbdbunew.dll");
    MakeReadOnly(dir / "ini/out.ini");
    Replacing();
}

}  // namespace
}  // namespace tastavia::test
