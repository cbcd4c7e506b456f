// How often each user action reads the installed layouts: once, and once more after a
// change it made itself, whatever the number of layouts or languages; and a change made
// by another program between two actions shows at the next one.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "registry/Catalogue.h"
#include "registry/RegistryFixture.h"

namespace tastavia {
namespace {

using ui::Answer;

// Calls per layout key in one pass: its name listed, the key opened, "layout text" and
// "layout file" read, the key closed; a pass that wants the ids reads "layout id" too.
// A pass after one that listed the names, with no key come or gone, lists none.
constexpr int kCallsPerLayout = 5;
constexpr int kCallsPerLayoutWithIds = 6;
constexpr int kAgain = 4;
constexpr int kAgainWithIds = 5;

struct World : test::RegistryFixture {
    // preloaded: on Windows 98 the first layout is the language the preload list loads.
    World(int layouts, int languages, bool preloaded = false) {
        MakeSystemDirectories();
        for (int i = 0; i < layouts; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "%05X402", 0x20000 + i);
            AddLayout(key, "Layout " + std::to_string(i), "kbdbn" + std::to_string(i) + ".dll");
        }
        for (int i = 0; i < languages; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "%05X402", 0x30000 + i);
            AddLanguage(id, "Language " + std::to_string(i));
        }
        if (!preloaded) return;
        AddLanguage("20000402", "Preloaded");
        registry.Open(RootKey::Users, ".DEFAULT\\keyboard layout\\preload\\1", true)->WriteString("", "20000402");
    }
    // The registry calls one action makes.
    std::size_t Calls(const std::function<void()>& action) {
        registry.ResetCalls();
        action();
        return registry.Calls();
    }
    bool Listed(TForm1& main, const std::string& key, const std::string& name = "") {
        for (const CatalogueRecord& record : main.CatalogueRecords())
            if (record.KeyName() == key && (name.empty() || record.Name() == name)) return true;
        return false;
    }
};

// Each action, from a main window where the layout "Mine" is installed with its file
// and the fields name it (or a new one), and the answers its boxes get.
struct ActionCase {
    const char* name;
    int callsPerLayout;  // over all its passes
    int passes;
    std::function<void(TForm1&, ui::ScriptedDialogs&)> run;
};

void Fields(TForm1& main, const std::string& name, const std::string& file) {
    main.Edit1.TypeText(name);
    main.Edit2.TypeText(file);
}

const ActionCase kActions[] = {
    {"Refresh", kAgain, 1, [](TForm1& main, ui::ScriptedDialogs&) { main.Button8.Click(); }},
    // As the wizard does: it checks that Save is allowed, then saves, in one step.
    {"Refresh twice in one action", kAgain, 1,
     [](TForm1& main, ui::ScriptedDialogs&) {
         main.GetApplication().Guard([&main] {
             main.Button8Click();
             main.Button8Click();
         });
     }},
    {"New", kAgain, 1, [](TForm1& main, ui::ScriptedDialogs&) { main.Button6.Click(); }},
    {"Load", kAgain, 1, [](TForm1& main, ui::ScriptedDialogs&) { main.Button5.Click(); }},
    // Its own key came: the names are listed after it.
    {"Save, added", kAgainWithIds + kCallsPerLayoutWithIds, 2,
     [](TForm1& main, ui::ScriptedDialogs& dialogs) {
         dialogs.answers = {Answer::Yes};  // saved despite the template's findings
         Fields(main, "Another", "another.dll");
         main.Button4.Click();
     }},
    {"Save, replaced", kAgain, 1,
     [](TForm1& main, ui::ScriptedDialogs& dialogs) {
         dialogs.answers = {Answer::Yes, Answer::Ok};
         main.Button4.Click();
     }},
    {"Delete, declined", kAgain, 1,
     [](TForm1& main, ui::ScriptedDialogs& dialogs) {
         dialogs.answers = {Answer::No};
         main.Button9.Click();
     }},
    {"Delete, with its file", kAgain + kCallsPerLayout, 2,
     [](TForm1& main, ui::ScriptedDialogs& dialogs) {
         dialogs.answers = {Answer::Yes, Answer::Yes};
         main.Button9.Click();
     }},
};

// The number of calls grows with the layouts by one pass per reading of the list. The
// languages add none, but on Windows 98 with a layout preloaded one call each.
TEST(Passes, EachActionReadsTheLayoutsOnceAndOnceMoreAfterItsOwnChange) {
    const struct {
        OsKind kind;
        bool preloaded;
    } systems[] = {{kOsWinXp, false}, {kOsWin9x, false}, {kOsWin9x, true}};
    for (const auto& [kind, preloaded] : systems)
        for (const ActionCase& action : kActions) {
            std::size_t calls[2][2];  // [more layouts][more languages]
            for (int moreLayouts = 0; moreLayouts < 2; ++moreLayouts)
                for (int moreLanguages = 0; moreLanguages < 2; ++moreLanguages) {
                    World world(10 + 20 * moreLayouts, 10 + 20 * moreLanguages, preloaded);
                    TForm1& main = world.Started(kind);
                    main.Button6.Click();
                    Fields(main, "Mine", "mine.dll");
                    world.dialogs().answers = {Answer::Yes};
                    main.Button4.Click();  // installs it: Load, Save and Delete are enabled
                    ASSERT_EQ(world.Buttons(main), "111") << action.name;
                    world.dialogs().Take();
                    world.dialogs().answers.clear();
                    calls[moreLayouts][moreLanguages] = world.Calls([&] { action.run(main, world.dialogs()); });
                }
            const std::string what = std::string(action.name) + (kind == kOsWin9x ? " on 98" : " on XP") +
                                     (preloaded ? ", preloaded" : "");
            EXPECT_EQ(calls[1][0] - calls[0][0], 20u * action.callsPerLayout) << what;
            const std::size_t perLanguage = preloaded ? 1 : 0;
            EXPECT_EQ(calls[0][1] - calls[0][0], 20u * perLanguage * action.passes) << what;
        }
}

TEST(Passes, StartUpReadsTheLayoutsOnce) {
    World few(10, 0), many(30, 0);
    const std::size_t a = few.Calls([&] { few.Started(kOsWinXp); });
    const std::size_t b = many.Calls([&] { many.Started(kOsWinXp); });
    EXPECT_EQ(b - a, 20u * kCallsPerLayout);
}

// What another program adds or removes while the window waits shows at the next action
// that reads the list, whichever it is.
// Where the registry tells changes, a refresh reads the layout keys again only after one;
// the ids a new layout needs are read alone (key opened, id read, key closed), and after
// its own change Save reads the list again.
TEST(Passes, AWatchedRegistryIsReadAgainOnlyAfterAChange) {
    std::size_t unchanged[2], saved[2];
    for (int moreLayouts = 0; moreLayouts < 2; ++moreLayouts) {
        World world(10 + 20 * moreLayouts, 0);
        world.registry.EnableWatches();
        TForm1& main = world.Started(kOsWinXp);
        unchanged[moreLayouts] = world.Calls([&] {
            main.Button8.Click();
            main.Button6.Click();
            main.Button8.Click();
        });
        saved[moreLayouts] = world.Calls([&] {
            world.dialogs().answers = {Answer::Yes};
            Fields(main, "Mine", "mine.dll");
            main.Button4.Click();
        });
        ASSERT_EQ(world.dialogs().Take().back().text, "Layout successful added!");
    }
    EXPECT_EQ(unchanged[1], unchanged[0]);
    EXPECT_EQ(saved[1] - saved[0], 20u * (3 + kCallsPerLayoutWithIds));
}

TEST(Passes, AKeyAddedOrRemovedBehindTheProgramsBackShowsAtTheNextAction) {
    for (bool watched : {false, true}) {
        SCOPED_TRACE(watched ? "watched" : "not watched");
        World world(0, 0);
        if (watched) world.registry.EnableWatches();
        TForm1& main = world.Started(kOsWinXp);
        const std::function<void()> actions[] = {
            [&] { main.Button8.Click(); },
            [&] { main.Button6.Click(); },
            [&] {
                Fields(main, "Mine", "mine.dll");
                world.dialogs().answers = {Answer::Yes, Answer::Ok};
                main.Button4.Click();
            },
        };
        int round = 0;
        for (const auto& action : actions) {
            const std::string key = "0009" + std::to_string(round++) + "402";
            world.AddLayout(key, "Behind " + key, "behind.dll");
            action();
            EXPECT_TRUE(world.Listed(main, key)) << "added, then action " << round;
            world.registry.Open(RootKey::LocalMachine, test::kLayouts + key, false)
                ->WriteString("layout text", "Renamed");
            action();
            EXPECT_TRUE(world.Listed(main, key, "Renamed")) << "renamed, then action " << round;
            // One key gone and another come: as many as before.
            const std::string other = "0008" + std::to_string(round) + "402";
            world.registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + key);
            world.AddLayout(other, "Behind " + other, "behind.dll");
            action();
            EXPECT_FALSE(world.Listed(main, key)) << "replaced, then action " << round;
            EXPECT_TRUE(world.Listed(main, other)) << "replaced, then action " << round;
            world.registry.DeleteKey(RootKey::LocalMachine, test::kLayouts + other);
            action();
            EXPECT_FALSE(world.Listed(main, other)) << "removed, then action " << round;
        }
    }
}

// The free key name comes from the names read, and the ids ride along for every key.
TEST(LayoutKeyNames, FreeNameAndIdsFromOnePass) {
    MemoryRegistry registry;
    auto add = [&](const std::string& key, const std::string& id) {
        registry.Open(RootKey::LocalMachine, kKeyboardLayoutsKey + key, true)->WriteString("layout id", id);
    };
    add("00050402", "0402");
    add("00060402", "00c1");
    add("00000409", "0001");
    EXPECT_EQ(FreeLayoutKeyName(registry), "00070402");
    registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + std::string("00050402"));
    EXPECT_EQ(FreeLayoutKeyName(registry), "00050402");  // a gap is used again
    EXPECT_EQ(FreeLayoutKeyName(std::vector<std::string>{"0005A402", "00051402", "00050402"}), "00060402");

    const RegisteredLayouts keys = ReadRegisteredLayouts(registry, true);
    ASSERT_EQ(keys.layouts.size(), 2u);
    EXPECT_EQ(keys.layouts[0].keyName + "=" + keys.layouts[0].layoutId, "00000409=0001");
    EXPECT_EQ(keys.layouts[1].keyName + "=" + keys.layouts[1].layoutId, "00060402=00c1");
    EXPECT_EQ(ReadCatalogue(registry, kOsWinXp).at(0).LayoutId(), "00c1");

    std::vector<std::string> all;
    for (int n = 50; n <= 9990; n += 10) all.push_back(LayoutKeyName(n));
    EXPECT_EQ(FreeLayoutKeyName(all), std::nullopt);
}

}  // namespace
}  // namespace tastavia
