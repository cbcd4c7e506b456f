// tastavia-cli on layout libraries of other makers: new --from, and show and export of
// any library, with the left-out list on stderr.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "../layout/KbdFixture.h"
#include "TestSupport.h"
#include "layout/Charset.h"
#include "layout/KeyAccess.h"
#include "layout/LayoutFileKind.h"

namespace tastavia {
namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

class CliLibrary : public ::testing::Test {
protected:
    test::TempDir dir;

    Result Run(const std::string& args) {
        const std::string errPath = dir / "stderr.txt";
        const std::string command = "cd '" + dir.path() + "' && TMPDIR='" + dir.path() + "' '" TASTAVIA_CLI_PATH "' " +
                                    args + " 2>'" + errPath + "'";
        Result r;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return r;
        std::array<char, 4096> buffer{};
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) r.out.append(buffer.data(), n);
        const int status = ::pclose(pipe);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = test::ReadFile(errPath);
        return r;
    }
    void Put(const std::string& name) { test::WriteFile(dir / (name + ".dll"), test::Fixture(name)); }
    static std::string LeftOutText(const std::string& source) {
        std::string text;
        for (const std::string& line : test::kFixtureLeftOut) text += source + ": left out: " + Cp1251ToUtf8(line) + "\n";
        return text;
    }
};

TEST_F(CliLibrary, NewFromAnyLibraryGivesItsKeysAndListsWhatWasLeftOut) {
    Put("arm64");
    const Result made = Run("new --from arm64.dll --os 2000 -o made.dll");
    EXPECT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.err, LeftOutText("arm64.dll"));
    const std::string bytes = test::ReadFile(dir / "made.dll");
    ASSERT_TRUE(IsLayoutFileOfKind(bytes, kOsWin2000));
    test::LayoutFixture f(kOsWin2000);
    test::WriteFile(f.dir / "made", bytes);
    f.layout.OpenWorkingFile(f.dir / "made");
    EXPECT_EQ(ReadLayoutKeys(f.layout), test::FixtureKeys());
}

TEST_F(CliLibrary, ShowAndExportReadAnyLibrary) {
    Put("wow64");
    const Result shown = Run("show wow64.dll");
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_EQ(shown.err, LeftOutText("wow64.dll"));
    EXPECT_NE(shown.out.find("# Windows XP layout library"), std::string::npos);
    std::string squeezed;  // column widths aside
    for (char c : shown.out)
        if (c != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed += c;
    EXPECT_NE(squeezed.find("15 Q \xD1\x8F 255 \xD0\xAF 223 on"), std::string::npos) << shown.out;  // я Я
    const Result exported = Run("export wow64.dll --os 98 -o w.ini");
    EXPECT_EQ(exported.code, 0) << exported.err;
    EXPECT_NE(test::ReadFile(dir / "w.ini").find("15=255"), std::string::npos);
}

TEST_F(CliLibrary, DamagedLibrariesAndMixedSourcesAreRefused) {
    std::string cut = test::Fixture("x64");
    cut.resize(cut.size() / 4);
    test::WriteFile(dir / "cut.dll", cut);
    for (const char* args : {"new --from cut.dll --os xp -o out.dll", "show cut.dll"}) {
        const Result r = Run(args);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_EQ(r.err.find("tastavia-cli: cut.dll: "), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
    EXPECT_FALSE(test::FileExists(dir / "out.dll"));
    Put("x86");
    EXPECT_EQ(Run("new --from x86.dll --bds --os xp -o out.dll").code, 2);
    EXPECT_EQ(Run("new --from x86.dll --os xp -o x86.dll").code, 1);  // never the file it reads
    EXPECT_EQ(test::ReadFile(dir / "x86.dll"), test::Fixture("x86"));
}

}  // namespace
}  // namespace tastavia
