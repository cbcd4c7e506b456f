// Every user action of the windows with each failable call it makes failing in turn,
// files and registry alike: after each run the registry is as before or as after the
// action, no file is half written or left behind, and the working file is whole.
#include <dirent.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <set>

#include "FaultSweep.h"
#include "layout/LayoutFileKind.h"
#include "platform/memory/FaultyFiles.h"
#include "platform/memory/FixedOsVersion.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/RecordingKeyboardInput.h"
#include "platform/portable/PortableProfileFile.h"
#include "program/Program.h"
#include "ui/headless/HeadlessBackend.h"

namespace tastavia::test {
namespace {

const std::string kLayoutsKey = "System\\CurrentControlSet\\Control\\keyboard layouts\\";
const std::string kLocaleKey = "System\\CurrentControlSet\\Control\\Nls\\Locale";

using Files = std::map<std::string, std::string>;

// Every file below a folder, by its path relative to it.
void CollectFiles(const std::string& root, const std::string& relative, Files& files) {
    DIR* dir = ::opendir((root + "/" + relative).c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = relative.empty() ? name : relative + "/" + name;
        struct stat st {};
        if (::stat((root + "/" + path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            CollectFiles(root, path, files);
        else
            files[path] = ReadFile(root + "/" + path);
    }
    ::closedir(dir);
}

// The program started on an OS kind, over files and a registry that fail on demand.
struct GuiWorld {
    TempDir dir{SweepBase()};
    FaultPlan plan;
    PosixFiles real{dir / "WINDOWS", dir / "Temp/"};
    FaultyFiles files{real, plan};
    PortableProfileFile profile{files};
    FixedClock clock;
    EmbeddedResources resources;
    FixedOsVersion osVersion{OsVersionInfo{2, 5, 1, 2600, ""}};
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    RecordingKeyboardInput input{registry};  // in the platform for the actions that need it
    ui::HeadlessBackend backend;
    ui::Application app{backend};
    std::unique_ptr<Program> program;
    OsKind kind;

    explicit GuiWorld(OsKind osKind, bool windows64 = false) : kind(osKind) {
        for (const char* folder : {"Temp", "WINDOWS", "WINDOWS/system", "WINDOWS/system32", "WINDOWS/sysnative", "ini"})
            ::mkdir((dir / folder).c_str(), 0755);
        osVersion.info.machine = windows64 ? Machine::X64 : Machine::X86;
        WriteFile(dir / "ini/in.ini", "[KBD]\r\n1=168\r\n49=192\r\n1001=1\r\n");
        WriteFile(dir / "ini/out.ini", "[Mine]\r\nx=1\r\n");
        registry.Open(RootKey::LocalMachine, kLocaleKey, true)->WriteString("00000402", "Bulgarian");
        auto us = registry.Open(RootKey::LocalMachine, kLayoutsKey + "00000409", true);
        us->WriteString("layout file", "KBDUS.DLL");
        us->WriteString("layout text", "US");
        registry.SetFaultPlan(&plan);
        program = std::make_unique<Program>(app, platform);
        program->GetSession().osKind = kind;
        Main().EditorStartup();
        program->PrepareForOsKind();
        app.Run(Main());
    }
    TForm1& Main() { return program->Form1(); }
    // Runs a user action as the windows do: an error ends it without a word.
    void Act(const std::function<void()>& action) { app.Guard(action); }
    void Answer(std::deque<ui::Answer> answers) { backend.dialogs.answers = std::move(answers); }

    // A layout installed as Save installs it, for the actions that need one.
    void Install(const std::string& name) {
        Main().Button6.Click();
        Main().Edit1.TypeText(name);
        Main().Edit2.TypeText(name + ".kbd");
        Main().SaveLayoutToSystem(true);
        backend.dialogs.Take();
    }

    std::string Registry() {
        registry.SetFaultPlan(nullptr);
        std::string text;
        std::function<void(RootKey, const std::string&)> walk = [&](RootKey root, const std::string& path) {
            auto key = registry.Open(root, path, false);
            if (!key) return;
            text += path + "{";
            for (const std::string& value : key->ValueNames()) text += value + "=" + key->ReadString(value) + ";";
            for (const std::string& sub : key->SubKeyNames()) walk(root, path.empty() ? sub : path + "\\" + sub);
            text += "}";
        };
        for (RootKey root : {RootKey::LocalMachine, RootKey::Users, RootKey::CurrentUser}) walk(root, "");
        registry.SetFaultPlan(&plan);
        return text;
    }
    // Every layout key's values, and whether a key is half made or left parked.
    std::multiset<std::string> Layouts(bool& whole) {
        registry.SetFaultPlan(nullptr);
        std::multiset<std::string> layouts;
        whole = true;
        if (auto all = registry.Open(RootKey::LocalMachine, kLayoutsKey, false))
            for (const std::string& name : all->SubKeyNames()) {
                auto key = registry.Open(RootKey::LocalMachine, kLayoutsKey + name, false);
                whole = whole && key->HasValue("layout file") && key->HasValue("layout text") &&
                        name.find("OLD") == std::string::npos;
                layouts.insert(key->ReadString("layout text") + " - " + key->ReadString("layout file"));
            }
        registry.SetFaultPlan(&plan);
        return layouts;
    }
    Files AllFiles() {
        Files all;
        CollectFiles(dir.path(), "", all);
        return all;
    }
};

// What an action left: the registry and every file.
struct State {
    std::string registry;
    Files files;
    std::multiset<std::string> layouts;
};

State StateOf(GuiWorld& w) {
    bool whole = true;
    return State{w.Registry(), w.AllFiles(), w.Layouts(whole)};
}

// After a failed open the action may take another of its ways: the key looked missing.
// Whatever way it took, no layout key is half made or left parked, and no layout that
// the action keeps is lost.
bool Consistent(GuiWorld& w, const State& before, const State& after, bool wholeOnly = true) {
    bool whole = true;
    const std::multiset<std::string> now = w.Layouts(whole);
    for (const std::string& layout : before.layouts)
        if (after.layouts.count(layout) && !now.count(layout)) return false;
    return whole || !wholeOnly;
}

struct Action {
    const char* name;
    OsKind kind;
    std::function<void(GuiWorld&)> prepare;
    std::function<void(GuiWorld&)> act;
    bool windows64 = false;  // a library for each system folder of a 64-bit Windows
};

// Each file as it was before or as the undisturbed action left it; the registry too,
// or as one of the states the action passes through on purpose.
void CheckAgainst(GuiWorld& w, const State& before, const State& after, const std::vector<std::string>& between) {
    const std::string registry = w.Registry();
    bool known = registry == before.registry || registry == after.registry;
    for (const std::string& state : between) known = known || registry == state;
    const std::string& failed = w.plan.FailedCall();
    if (!known && failed.rfind("Open ", 0) == 0) known = Consistent(w, before, after);
    // With every call failing from one on, an undo that failed too may leave a key half
    // made; still no layout that the action keeps may be lost.
    if (!known && w.plan.FailedCalls().size() > 1) known = Consistent(w, before, after, false);
    EXPECT_TRUE(known) << "the registry is half changed:\n" << registry;
    for (const auto& [path, bytes] : w.AllFiles()) {
        auto was = before.files.find(path);
        auto will = after.files.find(path);
        const bool whole = (was != before.files.end() && was->second == bytes) ||
                           (will != after.files.end() && will->second == bytes);
        const std::string name = path.substr(path.rfind('/') + 1);
        if (whole || FailedToDelete(w.plan, name)) continue;
        const bool working = w.Main().Layout().IsOpen() && w.dir / path == w.Main().Layout().WorkingPath();
        if (working) {
            EXPECT_TRUE(IsLayoutFileOfKind(bytes, w.kind)) << path << " is no whole layout file";
        } else {
            ADD_FAILURE() << path << " is half written or left behind (" << bytes.size() << " bytes)";
        }
    }
    if (w.Main().Layout().IsOpen()) {
        EXPECT_TRUE(IsLayoutFileOfKind(ReadFile(w.Main().Layout().WorkingPath()), w.kind));
    }
}

std::size_t Sweep(const Action& action, const std::vector<std::function<void(GuiWorld&)>>& stages = {},
                  FaultMode mode = FaultMode::Once) {
    SCOPED_TRACE(std::string(action.name) + (mode == FaultMode::Persistent ? ", failing from one call on" : ""));
    auto make = [&] {
        auto world = std::make_unique<GuiWorld>(action.kind, action.windows64);
        world->plan.FailCall(0);
        action.prepare(*world);
        world->backend.dialogs.Take();
        return world;
    };
    std::unique_ptr<GuiWorld> reference = make();
    const State before = StateOf(*reference);
    std::vector<std::string> between;
    for (const auto& stage : stages) {  // the registry after each deliberate part of the action
        std::unique_ptr<GuiWorld> partial = make();
        stage(*partial);
        between.push_back(partial->Registry());
    }
    action.act(*reference);
    const State after = StateOf(*reference);
    EXPECT_TRUE(after.registry != before.registry || after.files != before.files)
        << "the action changes nothing: the sweep would prove nothing";
    return SweepFaults<GuiWorld>(make, action.act, [&](GuiWorld& w) { CheckAgainst(w, before, after, between); },
                                 mode);
}

void Nothing(GuiWorld&) {}

void ChooseLayout(TForm3& editor, const std::string& text) {
    for (std::size_t i = 0; i < editor.Choices().size(); ++i)
        if (editor.Choices()[i].text == text) editor.ListView1.SetSelected(static_cast<int>(i));
}

TEST(GuiFaults, MainWindowActions) {
    const Action actions[] = {
        {"New", kOsWinXp, Nothing, [](GuiWorld& w) { w.Main().Button6.Click(); }},
        {"New over an open layout", kOsWinXp, [](GuiWorld& w) { w.Main().Button6.Click(); },
         [](GuiWorld& w) {
             w.clock.time = TimeOfDay{12, 0, 1, 0};  // the new copy gets a name of its own
             w.Main().Button6.Click();
         }},
        {"Save new", kOsWinXp, [](GuiWorld& w) { w.Main().Button6.Click(); },
         [](GuiWorld& w) { w.Main().Button4.Click(); }},
        {"Save replace", kOsWin9x,
         [](GuiWorld& w) {
             w.Install("Mine");
             w.Main().KeyButton(2).Click();
             w.Main().ListView1.UserClick(0);
         },
         [](GuiWorld& w) {
             w.Answer({ui::Answer::Yes, ui::Answer::Ok});  // save in spite of the check, and replace
             w.Main().Button4.Click();
         }},
        {"Load", kOsWinXp, [](GuiWorld& w) { w.Install("Mine"); }, [](GuiWorld& w) { w.Main().Button5.Click(); }},
        {"Save new on 64-bit Windows", kOsWinXp, [](GuiWorld& w) { w.Main().Button6.Click(); },
         [](GuiWorld& w) { w.Main().Button4.Click(); }, true},
        {"Save replace on 64-bit Windows", kOsWinXp,
         [](GuiWorld& w) {
             w.Install("Mine");
             w.Main().KeyButton(2).Click();
             w.Main().ListView1.UserClick(0);
         },
         [](GuiWorld& w) {
             w.Answer({ui::Answer::Yes, ui::Answer::Ok});
             w.Main().Button4.Click();
         },
         true},
        {"Delete with the files on 64-bit Windows", kOsWinXp, [](GuiWorld& w) { w.Install("Mine"); },
         [](GuiWorld& w) {
             w.Answer({ui::Answer::Yes, ui::Answer::Yes});
             w.Main().Button9.Click();
         },
         true},
        {"Delete with the file", kOsWinXp, [](GuiWorld& w) { w.Install("Mine"); },
         [](GuiWorld& w) {
             w.Answer({ui::Answer::Yes, ui::Answer::Yes});
             w.Main().Button9.Click();
         }},
        {"Delete the key only", kOsWin9x, [](GuiWorld& w) { w.Install("Mine"); },
         [](GuiWorld& w) {
             w.Answer({ui::Answer::Yes, ui::Answer::No});
             w.Main().Button9.Click();
         }},
        {"INI import", kOsWinXp, [](GuiWorld& w) { w.Main().Button6.Click(); },
         [](GuiWorld& w) {
             w.backend.dialogs.files = {w.dir / "ini/in.ini"};
             w.Act([&] { w.Main().LoadFrom1Click(); });
         }},
        {"INI export", kOsWin9x, [](GuiWorld& w) { w.Main().Button6.Click(); },
         [](GuiWorld& w) {
             w.backend.dialogs.files = {w.dir / "ini/out.ini"};
             w.backend.dialogs.answers = {ui::Answer::Yes};  // replace the file that is there
             w.Act([&] { w.Main().SaveTo1Click(); });
         }},
    };
    std::size_t faults = 0;
    for (FaultMode mode : {FaultMode::Once, FaultMode::Persistent})
        for (const Action& action : actions) faults += Sweep(action, {}, mode);
    std::printf("[   SWEEP  ] main window: %zu injected faults\n", faults);
}

// The current user's input list: a Preload list left half renumbered is lost data.
TEST(GuiFaults, InputListActions) {
    auto withLists = [](GuiWorld& w, std::vector<std::pair<const char*, const char*>> preload,
                        std::vector<std::pair<const char*, const char*>> substitutes) {
        w.platform.input = &w.input;
        w.Install("Mine");
        w.Install("Other");
        for (auto [name, id] : preload)
            w.registry.Open(RootKey::CurrentUser, "keyboard layout\\preload", true)->WriteString(name, id);
        for (auto [name, key] : substitutes)
            w.registry.Open(RootKey::CurrentUser, "keyboard layout\\substitutes", true)->WriteString(name, key);
        w.Main().Button8.Click();
        w.Main().SetLayoutNames("Mine", "Mine.kbd");
    };
    const Action actions[] = {
        {"Use it now", kOsWinXp, [&](GuiWorld& w) { withLists(w, {{"1", "00000409"}, {"2", "d0010402"}}, {{"d0010402", "00060402"}}); },
         [](GuiWorld& w) { w.Act([&] { w.Main().LayoutListMenu.ChooseItem(0); }); }},
        {"Stop using it", kOsWinXp,
         [&](GuiWorld& w) {
             withLists(w, {{"1", "00000409"}, {"2", "d0010402"}, {"3", "d0020402"}, {"4", "00000402"}},
                       {{"d0010402", "00050402"}, {"d0020402", "00060402"}});
         },
         [](GuiWorld& w) { w.Act([&] { w.Main().LayoutListMenu.ChooseItem(1); }); }},
        {"Delete forgets a substitute", kOsWinXp,
         [&](GuiWorld& w) { withLists(w, {{"1", "00000409"}}, {{"d0030402", "00050402"}, {"d0040402", "00060402"}}); },
         [](GuiWorld& w) {
             w.Answer({ui::Answer::Yes, ui::Answer::Yes});
             w.Main().Button9.Click();
         }},
    };
    // Delete takes the key and the files first; the user is told when the list then stays.
    const std::vector<std::function<void(GuiWorld&)>> deleted = {[](GuiWorld& w) {
        w.registry.DeleteKey(RootKey::LocalMachine, kLayoutsKey + "00050402");
    }};
    std::size_t faults = 0;
    for (FaultMode mode : {FaultMode::Once, FaultMode::Persistent})
        for (const Action& action : actions)
            faults += Sweep(action, std::string(action.name).rfind("Delete", 0) == 0 ? deleted : std::vector<std::function<void(GuiWorld&)>>{}, mode);
    std::printf("[   SWEEP  ] input list: %zu injected faults\n", faults);
}

TEST(GuiFaults, LanguageActions) {
    auto withLanguage = [](GuiWorld& w) {
        w.Install("Mine");
        TForm3& editor = *w.program->Form3();
        editor.PrepareNewLanguage();
        editor.LanguageField().SetText("Second");
        ChooseLayout(editor, "Mine");
        editor.SaveLanguage(true);
        w.Install("Other");
    };
    const Action actions[] = {
        {"Language add", kOsWin9x, [](GuiWorld& w) { w.Install("Mine"); },
         [](GuiWorld& w) {
             TForm3& editor = *w.program->Form3();
             w.Act([&] {
                 editor.PrepareNewLanguage();
                 editor.LanguageField().SetText("Second");
                 ChooseLayout(editor, "Mine");
                 editor.Button1Click();
             });
         }},
        {"Language edit", kOsWin9x, withLanguage,
         [](GuiWorld& w) {
             TForm3& editor = *w.program->Form3();
             w.Act([&] {
                 if (!editor.OpenLanguageForEdit("00001402")) return;
                 editor.LanguageField().SetText("Renamed");
                 ChooseLayout(editor, "Other");
                 editor.Button1Click();
             });
         }},
        {"Language delete", kOsWin9x, withLanguage,
         [](GuiWorld& w) {
             TForm2& list = *w.program->Form2();
             w.Act([&] {
                 list.FillLanguageList();
                 for (std::size_t i = 0; i < list.Rows().size(); ++i)
                     if (list.Rows()[i].id == "00001402") list.ListView1.SetSelected(static_cast<int>(i));
                 w.Answer({ui::Answer::Yes});
                 list.Button3Click();
             });
         }},
    };
    std::size_t faults = 0;
    for (const Action& action : actions) faults += Sweep(action);
    std::printf("[   SWEEP  ] language dialogs: %zu injected faults\n", faults);
}

TEST(GuiFaults, TheWizardsFullRun) {
    auto run = [](bool language) {
        return [language](GuiWorld& w) {
            TForm5& wizard = w.program->Form5();
            w.Act([&] { wizard.ResetWizard(false); });
            wizard.SetShowing(true);
            wizard.SetVisible(true);
            wizard.CheckBox1.SetChecked(language);
            wizard.Button2.Click();  // quick mode: Phonetic
            wizard.Button2.Click();  // Finish: the layout, then its language
        };
    };
    // A run whose language step fails keeps its layout, as the finished page tells.
    const std::size_t faults = Sweep({"Wizard", kOsWin9x, Nothing, run(true)}, {run(false)});
    std::printf("[   SWEEP  ] wizard: %zu injected faults\n", faults);
}

}  // namespace
}  // namespace tastavia::test
