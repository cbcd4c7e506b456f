// The command line with every failable file call failing in turn, once or from then on:
// it never crashes, never reports a failure as success (a success prints what the
// undisturbed run prints), and leaves every file either as it was or as a successful
// run leaves it, with no scratch file behind but one it failed to delete.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "Commands.h"
#include "FaultSweep.h"
#include "platform/memory/FaultyFiles.h"
#include "platform/memory/FixedOsVersion.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia::test {
namespace {

struct CliWorld {
    TempDir dir{SweepBase()};
    FaultPlan plan;
    PosixFiles real{dir / "windows", dir / "tmp/"};
    FaultyFiles files{real, plan};
    PortableProfileFile profile{files};
    FixedClock clock;
    EmbeddedResources resources;
    FixedOsVersion osVersion;
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    int code = -1;
    std::string out, err;

    CliWorld() {
        ::mkdir((dir / "tmp").c_str(), 0755);
        ::mkdir((dir / "work").c_str(), 0755);
        WriteFile(Work("k.dll"), ResourceFile("WINXP.dll"));
        WriteFile(Work("in.ini"), "[KBD]\r\n1=168\r\n49=192\r\n1001=1\r\n");
        WriteFile(Work("o.ini"), "[Mine]\r\nx=1\r\n[KBD]\r\n2=0\r\n");
        WriteFile(Work("old.lay"), std::string(4000, 'o'));
    }
    std::string Work(const std::string& name) const { return dir / ("work/" + name); }

    void Run(const std::vector<std::string>& args) {
        std::vector<std::string> resolved;
        for (const std::string& a : args) resolved.push_back(a.rfind("@", 0) == 0 ? Work(a.substr(1)) : a);
        std::ostringstream output, errors;
        code = cli::RunCommandLine(platform, resolved, output, errors);
        out = output.str();
        err = errors.str();
    }
};

using Command = std::vector<std::string>;

class CliFaults : public ::testing::TestWithParam<std::tuple<Command, FaultMode>> {};

TEST_P(CliFaults, LeaveFilesAsBeforeOrAsAfter) {
    const auto& [command, mode] = GetParam();
    CliWorld reference;
    const auto before = FolderFiles(reference.dir / "work");
    reference.Run(command);
    ASSERT_EQ(reference.code, 0) << reference.err;
    const auto after = FolderFiles(reference.dir / "work");

    std::size_t faults = SweepFaults<CliWorld>(
        [] { return std::make_unique<CliWorld>(); }, [&](CliWorld& w) { w.Run(command); },
        [&](CliWorld& w) {
            auto work = FolderFiles(w.dir / "work");
            for (auto it = work.begin(); it != work.end();)
                it = FailedToDelete(w.plan, it->first) ? work.erase(it) : std::next(it);
            if (w.code == 0) {
                EXPECT_TRUE(work == after) << "a success with other files; new: " << NewFiles(after, work);
                EXPECT_EQ(w.out, reference.out) << "a success that printed something else";
            } else {
                EXPECT_EQ(w.code, 1) << w.err;
                EXPECT_TRUE(work == before) << "a failure that changed files; new: " << NewFiles(before, work);
                EXPECT_EQ(std::count(w.err.begin(), w.err.end(), '\n'), 1) << w.err;
            }
            for (const auto& scratch : FolderFiles(w.dir / "tmp"))
                EXPECT_TRUE(FailedToDelete(w.plan, scratch.first)) << "scratch file left: " << scratch.first;
        },
        mode);
    EXPECT_GT(faults, 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliFaults,
    ::testing::Combine(::testing::Values(Command{"new", "--os", "xp", "--bds", "-o", "@old.lay"},
                                         Command{"new", "--os", "98", "--ini", "@in.ini", "-o", "@n.kbd"},
                                         Command{"export", "@k.dll", "-o", "@o.ini"},
                                         Command{"export", "@k.dll", "-o", "@fresh.ini"},
                                         Command{"export", "@k.dll", "--format", "klc", "-o", "@old.lay"},
                                         Command{"export", "@k.dll", "--format", "xkb", "-o", "@bg"},
                                         Command{"import", "@k.dll", "@in.ini"}, Command{"show", "@k.dll"},
                                         Command{"check", "@k.dll"}),
                       ::testing::Values(FaultMode::Once, FaultMode::Persistent)));

}  // namespace
}  // namespace tastavia::test
