#pragma once
// The registry's rules as one table of cases, run against the in-memory registry (host
// and Wine) and against Wine's real registry, so that both are held to the same
// behaviour. Every observation a case makes is checked against the table and kept, so
// that two registries can also be compared observation by observation.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/memory/MemoryRegistry.h"

namespace tastavia::test {

using Names = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;

inline std::string Show(bool b) { return b ? "true" : "false"; }
inline std::string Show(std::size_t n) { return std::to_string(n); }
inline std::string Show(const std::string& s) { return "\"" + s + "\""; }
inline std::string Show(const Names& names) {
    std::string shown = "{";
    for (const std::string& name : names) shown += Show(name) + " ";
    return shown + "}";
}

// Where a case runs: a scratch key that exists and is empty; paths are relative to it.
class RegistryScratch {
public:
    RegistryScratch(Registry& registry, RootKey root, std::string base, std::function<void(const std::string&)> lock)
        : registry_(registry), root_(root), base_(std::move(base)), lock_(std::move(lock)) {}

    std::string Path(const std::string& relative) const { return relative.empty() ? base_ : base_ + "\\" + relative; }
    Registry& registry() { return registry_; }
    RootKey root() const { return root_; }
    const Names& observations() const { return observations_; }

    std::unique_ptr<RegistryKey> Open(const std::string& relative, bool create = false) {
        return registry_.Open(root_, Path(relative), create);
    }
    bool Exists(const std::string& relative) { return registry_.KeyExists(root_, Path(relative)); }
    bool Delete(const std::string& relative) { return registry_.DeleteKey(root_, Path(relative)); }
    bool Move(const std::string& from, const std::string& to) {
        return registry_.MoveKey(root_, Path(from), Path(to));
    }
    // From now on the key cannot be opened (it stays in the registry).
    void Lock(const std::string& relative) { lock_(Path(relative)); }

    void Make(const std::string& relative, const Values& values = {}) {
        std::unique_ptr<RegistryKey> key = Open(relative, true);
        if (!key) {
            ADD_FAILURE() << "cannot create " << relative;
            return;
        }
        for (const auto& value : values) key->WriteString(value.first, value.second);
    }
    Names SubKeys(const std::string& relative) {
        std::unique_ptr<RegistryKey> key = Open(relative);
        return key ? key->SubKeyNames() : Names{"<no key>"};
    }
    // As many as SubKeys lists, or 9999 when the count cannot be had.
    std::size_t SubKeyCount(const std::string& relative) {
        std::unique_ptr<RegistryKey> key = Open(relative);
        return key ? key->SubKeyCount().value_or(9999) : 9999;
    }
    Names ValuesOf(const std::string& relative) {
        std::unique_ptr<RegistryKey> key = Open(relative);
        return key ? key->ValueNames() : Names{"<no key>"};
    }
    std::string Read(const std::string& relative, const std::string& name) {
        std::unique_ptr<RegistryKey> key = Open(relative);
        return key ? key->ReadString(name) : "<no key>";
    }
    // The whole tree at relative, one line per key and per value, paths relative to it.
    Names Tree(const std::string& relative) {
        Names lines;
        Dump(Path(relative), "", lines);
        return lines;
    }

    template <class Actual, class Expected>
    void Check(const std::string& what, const Actual& actual, const Expected& expected) {
        observations_.push_back(what + " -> " + Show(actual));
        EXPECT_EQ(actual, expected) << what;
    }
    template <class Action>
    void CheckThrows(const std::string& what, Action action) {
        bool threw = false;
        try {
            action();
        } catch (const RegistryError&) {
            threw = true;
        }
        Check(what + " throws", threw, true);
    }

private:
    void Dump(const std::string& path, const std::string& shown, Names& lines) {
        std::unique_ptr<RegistryKey> key = registry_.Open(root_, path, false);
        lines.push_back((shown.empty() ? "." : shown) + (key ? "" : " <no key>"));
        if (!key) return;
        for (const std::string& name : key->ValueNames()) lines.push_back(shown + ": " + name + "=" + key->ReadString(name));
        for (const std::string& name : key->SubKeyNames())
            Dump(path + "\\" + name, shown.empty() ? name : shown + "\\" + name, lines);
    }

    Registry& registry_;
    RootKey root_;
    std::string base_;
    std::function<void(const std::string&)> lock_;
    Names observations_;
};

struct RegistryCase {
    std::string name;  // a test name: letters and digits
    std::function<void(RegistryScratch&)> run;
};

inline void PrintTo(const RegistryCase& c, std::ostream* os) { *os << c.name; }

struct RegistryCaseName {
    std::string operator()(const ::testing::TestParamInfo<RegistryCase>& info) const { return info.param.name; }
};

// Names of letters and digits only: Wine folds to lower case where NT folds to upper, so
// "_" and "[" sort differently there.
inline const std::vector<RegistryCase>& RegistryCases() {
    static const std::vector<RegistryCase> cases = {
        {"SubkeysListByNameWithoutRegardToCase",
         [](RegistryScratch& s) {
             for (const char* name : {"beta", "Alpha", "gamma", "ALPHB", "a1", "Zeta", "Z", "10", "9"}) s.Make(name);
             s.Check("subkeys", s.SubKeys(""), Names{"10", "9", "a1", "Alpha", "ALPHB", "beta", "gamma", "Z", "Zeta"});
             s.Make("BETA");
             s.Check("GAMMA deleted", s.Delete("GAMMA"), true);
             s.Make("Gamma");
             s.Check("subkeys after", s.SubKeys(""), Names{"10", "9", "a1", "Alpha", "ALPHB", "beta", "Gamma", "Z", "Zeta"});
             s.Make("Zeta\\below");
             s.Check("counted", s.SubKeyCount(""), std::size_t{9});
         }},
        // Native NT lists values in the order they were made; Wine sorts them like subkeys.
        {"ValuesListByNameAsWineKeepsThem",
         [](RegistryScratch& s) {
             std::unique_ptr<RegistryKey> key = s.Open("k", true);
             ASSERT_TRUE(key);
             for (const char* name : {"zz", "B", "a", "", "A1", "10", "9"}) key->WriteString(name, name + std::string("!"));
             const Names sorted{"", "10", "9", "a", "A1", "B", "zz"};
             s.Check("values", key->ValueNames(), sorted);
             key->WriteString("ZZ", "new");
             s.Check("values after ZZ", key->ValueNames(), sorted);
             s.Check("Zz", key->ReadString("Zz"), "new");
         }},
        {"NamesMatchInAnyLetterCaseAndKeepTheirSpelling",
         [](RegistryScratch& s) {
             s.Make("Mixed\\Child", {{"Value", "1"}});
             std::unique_ptr<RegistryKey> key = s.Open("MIXED\\child");
             ASSERT_TRUE(key);
             s.Check("has vALUE", key->HasValue("vALUE"), true);
             s.Check("VALUE", key->ReadString("VALUE"), "1");
             key->WriteString("value", "2");
             s.Check("values", key->ValueNames(), Names{"Value"});
             s.Check("read back", s.Read("mixed\\CHILD", "Value"), "2");
             s.Check("delete VALUE", key->DeleteValue("VALUE"), true);
             s.Check("values after", key->ValueNames(), Names{});
             s.Check("subkeys", s.SubKeys(""), Names{"Mixed"});
             s.Check("subkeys of MIXED", s.SubKeys("MIXED"), Names{"Child"});
         }},
        {"DefaultValueIsTheEmptyName",
         [](RegistryScratch& s) {
             std::unique_ptr<RegistryKey> key = s.Open("k", true);
             ASSERT_TRUE(key);
             s.Check("fresh has default", key->HasValue(""), false);
             s.Check("fresh default", key->ReadString(""), "");
             key->WriteString("", "d");
             s.Check("default", key->ReadString(""), "d");
             s.Check("values", key->ValueNames(), Names{""});
             s.Check("delete default", key->DeleteValue(""), true);
             s.Check("delete default again", key->DeleteValue(""), false);
             s.Check("has default", key->HasValue(""), false);
         }},
        {"ValuesReadAsWrittenAndMissingOnesAsEmpty",
         [](RegistryScratch& s) {
             std::unique_ptr<RegistryKey> key = s.Open("k", true);
             ASSERT_TRUE(key);
             s.Check("missing", key->ReadString("none"), "");
             s.Check("has missing", key->HasValue("none"), false);
             s.Check("delete missing", key->DeleteValue("none"), false);
             key->WriteString("empty", "");
             s.Check("has empty", key->HasValue("empty"), true);
             s.Check("empty", key->ReadString("empty"), "");
             key->WriteString("text", "\xC1\xFA\xEB\xE3\xE0\xF0\xF1\xEA\xE8 KBDBG.DLL");
             s.Check("text", key->ReadString("text"), "\xC1\xFA\xEB\xE3\xE0\xF0\xF1\xEA\xE8 KBDBG.DLL");
             key->WriteString("long", std::string(5000, 'x'));
             s.Check("long", key->ReadString("long"), std::string(5000, 'x'));
             key->WriteString("nul", std::string("ab\0cd", 5));
             s.Check("nul", key->ReadString("nul"), "ab");
             s.Check("values", key->ValueNames(), Names{"empty", "long", "nul", "text"});
         }},
        {"AKeyThatCannotBeOpenedCountsAsMissing",
         [](RegistryScratch& s) {
             s.Make("parent", {{"v", "1"}});
             s.Make("parent\\locked", {{"v", "2"}});
             s.Lock("parent\\locked");
             s.Check("exists", s.Exists("parent\\locked"), false);
             s.Check("opens with create", s.Open("parent\\locked", true) != nullptr, false);
             s.Check("deleted", s.Delete("parent\\locked"), false);
             s.Check("moved", s.Move("parent\\locked", "moved"), false);
             s.Check("target made", s.Exists("moved"), false);
             s.Check("listed by its parent", s.SubKeys("parent"), Names{"locked"});
             s.Check("parent deleted", s.Delete("parent"), false);
             s.Check("parent kept", s.Read("parent", "v"), "1");
         }},
        {"DeleteRemovesATreeThreeLevelsDeep",
         [](RegistryScratch& s) {
             s.Make("tree", {{"", "top"}});
             s.Make("tree\\one", {{"a", "1"}});
             s.Make("tree\\one\\two", {{"b", "2"}});
             s.Make("tree\\one\\two\\three", {{"c", "3"}});
             s.Make("tree\\side");
             s.Make("treetop", {{"keep", "1"}});
             s.Check("deleted", s.Delete("TREE"), true);
             s.Check("tree", s.Exists("tree"), false);
             s.Check("deepest", s.Exists("tree\\one\\two\\three"), false);
             s.Check("what is left", s.Tree(""), Names{".", "treetop", "treetop: keep=1"});
             s.Check("deleted again", s.Delete("tree"), false);
         }},
        {"DeletingWhatIsMissingReportsFalse",
         [](RegistryScratch& s) {
             s.Make("k", {{"v", "1"}});
             s.Check("missing key", s.Delete("none"), false);
             s.Check("missing deeper key", s.Delete("none\\deeper"), false);
             s.Check("missing value", s.Open("k")->DeleteValue("w"), false);
             s.Check("unchanged", s.Tree(""), Names{".", "k", "k: v=1"});
         }},
        {"MoveCarriesValuesAndSubkeys",
         [](RegistryScratch& s) {
             s.Make("src", {{"", "default"}, {"Layout File", "KBDBG.DLL"}, {"Layout Text", "Bulgarian"}});
             s.Make("src\\one", {{"a", "1"}});
             s.Make("src\\one\\two", {{"b", "2"}});
             s.Make("src\\empty");
             const Names tree = s.Tree("src");
             s.Check("moved", s.Move("SRC", "Dst"), true);
             s.Check("source", s.Exists("src"), false);
             s.Check("target", s.Tree("dst"), tree);
             s.Check("spelled as given", s.SubKeys(""), Names{"Dst"});
             s.Check("moved deeper", s.Move("dst", "new\\deeper\\dst"), true);
             s.Check("deeper target", s.Tree("new\\deeper\\dst"), tree);
             s.Check("deeper source", s.Exists("dst"), false);
         }},
        {"MoveOntoAnExistingTargetOrFromAMissingSourceChangesNothing",
         [](RegistryScratch& s) {
             s.Make("a", {{"v", "a"}});
             s.Make("a\\sub", {{"w", "1"}});
             s.Make("b", {{"v", "b"}});
             const Names tree = s.Tree("");
             s.Check("onto existing", s.Move("a", "B"), false);
             s.Check("from missing", s.Move("none", "c"), false);
             s.Check("onto itself", s.Move("a", "A"), false);
             s.Check("into itself", s.Move("a", "a\\sub\\inner"), false);
             s.Check("unchanged", s.Tree(""), tree);
         }},
        {"AKeyDeletedWhileOpenReadsEmptyAndRefusesWrites",
         [](RegistryScratch& s) {
             s.Make("gone\\sub", {{"v", "1"}});
             s.Make("gone", {{"v", "1"}});
             std::unique_ptr<RegistryKey> key = s.Open("gone");
             ASSERT_TRUE(key);
             s.Check("deleted", s.Delete("gone"), true);
             s.CheckThrows("write", [&] { key->WriteString("v", "2"); });
             s.Check("read", key->ReadString("v"), "");
             s.Check("subkeys", key->SubKeyNames(), Names{});
             s.Check("values", key->ValueNames(), Names{});
             s.Check("delete value", key->DeleteValue("v"), false);
             s.Check("made again", s.Exists("gone"), false);
         }},
        // A list's keys opened from the list, and values around the first read's buffer.
        {"SubkeysOpenFromTheirParentForReading",
         [](RegistryScratch& s) {
             s.Make("list\\Alpha", {{"v", std::string(255, 'a')}, {"w", std::string(256, 'b')}});
             s.Make("list\\beta\\deep", {{"v", std::string(257, 'c')}});
             s.Make("list\\locked", {{"v", "1"}});
             s.Lock("list\\locked");
             std::unique_ptr<RegistryKey> list = s.Open("list");
             ASSERT_TRUE(list);
             std::unique_ptr<RegistryKey> alpha = list->OpenSubKeyForReading("ALPHA");
             ASSERT_TRUE(alpha);
             s.Check("255", alpha->ReadString("v"), std::string(255, 'a'));
             s.Check("256", alpha->ReadString("W"), std::string(256, 'b'));
             std::unique_ptr<RegistryKey> deep = list->OpenSubKeyForReading("beta\\Deep");
             ASSERT_TRUE(deep);
             s.Check("257", deep->ReadString("v"), std::string(257, 'c'));
             s.CheckThrows("write", [&] { deep->WriteString("v", "2"); });
             s.Check("missing", list->OpenSubKeyForReading("gamma") != nullptr, false);
             s.Check("locked", list->OpenSubKeyForReading("locked") != nullptr, false);
         }},
        {"PathsIgnoreSurroundingAndDoubledBackslashes",
         [](RegistryScratch& s) {
             Registry& registry = s.registry();
             ASSERT_TRUE(registry.Open(s.root(), "\\" + s.Path("x") + "\\\\y\\", true));
             s.Check("made", s.SubKeys("x"), Names{"y"});
             s.Check("exists", registry.KeyExists(s.root(), s.Path("x\\y") + "\\"), true);
             s.Check("moved", registry.MoveKey(s.root(), "\\" + s.Path("x\\y"), s.Path("x\\\\z") + "\\"), true);
             s.Check("after move", s.Tree(""), Names{".", "x", "x\\z"});
             s.Check("deleted", registry.DeleteKey(s.root(), s.Path("x") + "\\"), true);
             s.Check("empty", s.SubKeys(""), Names{});
         }},
    };
    return cases;
}

// Runs a case on a fresh in-memory registry and gives what it observed.
inline Names RunOnMemory(const RegistryCase& c, RootKey root) {
    MemoryRegistry registry;
    const std::string base = "Software\\TastaviaTest\\scratch";
    registry.Open(root, base, true);
    RegistryScratch scratch(registry, root, base, [&registry, root](const std::string& path) {
        registry.Deny(root, path, RegistryOperation::Open);
    });
    c.run(scratch);
    return scratch.observations();
}

}  // namespace tastavia::test
