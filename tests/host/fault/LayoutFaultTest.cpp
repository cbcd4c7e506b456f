// The working layout file and INI import and export with every failable call failing
// in turn, and a registry move with every registry call failing in turn.
#include <gtest/gtest.h>

#include "FaultSweep.h"
#include "app/EditState.h"
#include "layout/LayoutFileKind.h"
#include "layout/LayoutIni.h"
#include "platform/Errors.h"
#include "platform/memory/FaultyFiles.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia::test {
namespace {

constexpr OsKind kKinds[] = {kOsWin9x, kOsWinXp};
constexpr FaultMode kModes[] = {FaultMode::Once, FaultMode::Persistent};

struct LayoutWorld {
    TempDir dir{SweepBase()};
    FaultPlan plan;
    PosixFiles real{dir.path(), dir.path() + "/"};
    FaultyFiles files{real, plan};
    PortableProfileFile profile{files};
    FixedClock clock;
    EmbeddedResources resources;
    WorkingLayout layout{files, clock, resources};
    bool failed = false;

    LayoutWorld(OsKind kind, bool open) {
        layout.SetOsKind(kind);
        layout.SetTempDirectory(dir.path() + "/");
        WriteFile(dir / "in.ini", "[KBD]\r\n1=168\r\n49=192\r\n1001=1\r\n20=65\r\n");
        WriteFile(dir / "o.ini", "[Mine]\r\nx=1\r\n[KBD]\r\n2=0\r\n");
        if (open) {
            plan.FailCall(0);
            layout.OpenWorkingFile(kTemplateMarker);
            layout.WriteKeyChar(5, ShiftState::Shifted, 200);
        }
    }
    template <class Action>
    void Try(Action action) {
        try {
            action();
        } catch (const AppError&) {
            failed = true;
        }
    }
    // The working file as a file of its kind, or none open and none left.
    void ExpectWholeWorkingFile() {
        if (!layout.IsOpen()) return;
        EXPECT_TRUE(IsLayoutFileOfKind(ReadFile(layout.WorkingPath()), layout.GetOsKind()));
    }
};

// Files the run left besides the ones it started with and the working file.
std::string Leftovers(LayoutWorld& w, std::initializer_list<std::string> expected) {
    std::string names;
    for (const auto& file : FolderFiles(w.dir.path())) {
        const std::string& name = file.first;
        bool known = std::find(expected.begin(), expected.end(), name) != expected.end() ||
                     (w.layout.IsOpen() && w.dir / name == w.layout.WorkingPath()) || FailedToDelete(w.plan, name);
        if (!known) names += name + " ";
    }
    return names;
}

// New with no layout open, and New over an open one, whose file goes either way.
TEST(LayoutFaults, NewOpensAWholeTemplateCopyOrNothing) {
    for (FaultMode mode : kModes)
        for (OsKind kind : kKinds)
            for (bool open : {false, true})
                SweepFaults<LayoutWorld>(
                    [&] { return std::make_unique<LayoutWorld>(kind, open); },
                    [](LayoutWorld& w) {
                        w.clock.time = TimeOfDay{12, 0, 1, 0};  // a new name for the new copy
                        w.Try([&] { w.layout.OpenWorkingFile(kTemplateMarker); });
                    },
                    [](LayoutWorld& w) {
                        w.ExpectWholeWorkingFile();
                        EXPECT_EQ(Leftovers(w, {"in.ini", "o.ini"}), "");
                    },
                    mode);
}

TEST(LayoutFaults, ImportAppliesTheFileOrFailsWithAWholeWorkingFile) {
    for (FaultMode mode : kModes)
    for (OsKind kind : kKinds) {
        SweepFaults<LayoutWorld>(
            [&] { return std::make_unique<LayoutWorld>(kind, true); },
            [](LayoutWorld& w) { w.Try([&] { ImportLayout(w.layout, w.profile, w.dir / "in.ini"); }); },
            [](LayoutWorld& w) {
                w.ExpectWholeWorkingFile();
                // Each key holds its old character or its new one, all new after a success.
                const struct {
                    KeyNumber key;
                    ShiftState shift;
                    int before, after;
                } keys[] = {{1, ShiftState::Unshifted, 96, 168}, {1, ShiftState::Shifted, 126, 192},
                            {20, ShiftState::Unshifted, 249, 65}, {5, ShiftState::Shifted, 200, 200}};
                for (const auto& k : keys) {
                    int now = w.layout.ReadKeyChar(k.key, k.shift);
                    if (w.failed)
                        EXPECT_TRUE(now == k.before || now == k.after) << "key " << int(k.key) << ": " << now;
                    else
                        EXPECT_EQ(now, k.after) << "key " << int(k.key);
                }
                EXPECT_EQ(Leftovers(w, {"in.ini", "o.ini"}), "");
            },
            mode);
    }
}

TEST(LayoutFaults, ExportWritesTheWholeFileOrLeavesItAlone) {
    for (FaultMode mode : kModes)
    for (OsKind kind : kKinds) {
        LayoutWorld reference(kind, true);
        ExportLayout(reference.layout, reference.profile, reference.files, reference.dir / "o.ini");
        const std::string exported = ReadFile(reference.dir / "o.ini");
        SweepFaults<LayoutWorld>(
            [&] { return std::make_unique<LayoutWorld>(kind, true); },
            [](LayoutWorld& w) { w.Try([&] { ExportLayout(w.layout, w.profile, w.files, w.dir / "o.ini"); }); },
            [&](LayoutWorld& w) {
                EXPECT_EQ(ReadFile(w.dir / "o.ini"), w.failed ? "[Mine]\r\nx=1\r\n[KBD]\r\n2=0\r\n" : exported);
                EXPECT_EQ(Leftovers(w, {"in.ini", "o.ini"}), "");
            },
            mode);
    }
}

struct RegistryWorld {
    FaultPlan plan;
    MemoryRegistry registry;
    bool moved = false;

    RegistryWorld() {
        for (const char* path : {"L\\A", "L\\A\\s1", "L\\A\\s1\\deep", "L\\A\\s2"}) {
            auto key = registry.Open(RootKey::LocalMachine, path, true);
            key->WriteString("v", path);
            key->WriteString("w", "2");
        }
        registry.SetFaultPlan(&plan);
    }
    // The tree under L as text, without the plan counting.
    std::string Tree() {
        registry.SetFaultPlan(nullptr);
        std::string text;
        std::function<void(const std::string&)> walk = [&](const std::string& path) {
            auto key = registry.Open(RootKey::LocalMachine, path, false);
            text += path + "{";
            for (const std::string& value : key->ValueNames()) text += value + "=" + key->ReadString(value) + ";";
            for (const std::string& sub : key->SubKeyNames()) walk(path + "\\" + sub);
            text += "}";
        };
        walk("L");
        registry.SetFaultPlan(&plan);
        return text;
    }
};

TEST(RegistryFaults, AMoveIsWholeOrNotAtAll) {
    RegistryWorld reference;
    const std::string before = reference.Tree();
    ASSERT_TRUE(reference.registry.MoveKey(RootKey::LocalMachine, "L\\A", "L\\B"));
    const std::string after = reference.Tree();
    SweepFaults<RegistryWorld>([] { return std::make_unique<RegistryWorld>(); },
                               [](RegistryWorld& w) { w.moved = w.registry.MoveKey(RootKey::LocalMachine, "L\\A", "L\\B"); },
                               [&](RegistryWorld& w) { EXPECT_EQ(w.Tree(), w.moved ? after : before); });
}

// Keys that cannot be read count as changed, when kept and when compared: a failed
// save is never taken for a saved layout.
TEST(EditStateFaults, KeysThatCannotBeReadCountAsChanged) {
    LayoutWorld w(kOsWinXp, true);
    EditState state;
    w.plan.FailFrom(1);
    state.MarkSaved(w.layout);
    w.plan.Stop();
    EXPECT_TRUE(state.HasChanges(w.layout));

    state.MarkSaved(w.layout);
    EXPECT_FALSE(state.HasChanges(w.layout));
    w.layout.WriteKeyChar(6, ShiftState::Shifted, 201);
    w.plan.FailFrom(1);
    EXPECT_TRUE(state.HasChanges(w.layout));
    w.plan.Stop();
}

}  // namespace
}  // namespace tastavia::test
