// The layout check: the built-in layouts pass on every kind; broken layouts give the
// findings a user needs to mend them, and no others.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "BuiltinKeys.h"
#include "layout/LayoutCheck.h"

namespace tastavia {
namespace {

using test::BuiltinKeys;

using Found = std::vector<std::pair<FindingKind, KeyNumber>>;

Found KindsAndKeys(const std::vector<Finding>& findings) {
    Found found;
    for (const Finding& f : findings) found.emplace_back(f.kind, f.key);
    return found;
}

std::string Texts(const std::vector<Finding>& findings) {
    std::string all;
    for (const Finding& f : findings) all += f.text + "\n";
    return all;
}

TEST(LayoutCheck, BuiltinLayoutsPassOnEveryKind) {
    for (const char* resource : {"BDS", "PHONETIC"}) {
        const LayoutKeys nt = BuiltinKeys(kOsWinXp, resource);
        EXPECT_EQ(CheckLayout(nt).size(), 0u) << resource << "\n" << Texts(CheckLayout(nt));
        for (OsKind kind : {kOsWin9x, kOsWin2000}) EXPECT_EQ(BuiltinKeys(kind, resource), nt) << resource << int(kind);
    }
}

constexpr KeyNumber kD = 29, kG = 31, kW = 16, kOne = 2;  // а/А, ж/Ж, у/У and 1/! in BDS

struct BrokenCase {
    const char* name;
    std::function<void(LayoutKeys&)> breakIt;
    Found expected;
};

TEST(LayoutCheck, BrokenLayoutsGiveExactlyTheirFindings) {
    using K = FindingKind;
    const LayoutKeys bds = BuiltinKeys(kOsWinXp, "BDS");
    const BrokenCase cases[] = {
        {"lower-case letter replaced", [](LayoutKeys& k) { At(k, kG).unshifted = 'a'; },
         {{K::MissingLetter, 0}, {K::CapsFlag, kG}}},
        {"both cases replaced by another letter pair", [](LayoutKeys& k) { At(k, kG) = {'q', 'Q', true}; },
         {{K::MissingLetter, 0}}},
        {"character on two keys", [](LayoutKeys& k) { At(k, 13).unshifted = ','; },
         {{K::DuplicateCharacter, 13}}},
        {"letter on two keys", [](LayoutKeys& k) { At(k, 13) = {0xE0, 'V', false}; },
         {{K::DuplicateCharacter, 13}}},
        {"Caps Lock off on a letter key, on elsewhere",
         [](LayoutKeys& k) { At(k, kW).caps = false; At(k, kOne).caps = true; },
         {{K::CapsFlag, kOne}, {K::CapsFlag, kW}}},
        {"cases swapped", [](LayoutKeys& k) { std::swap(At(k, kD).unshifted, At(k, kD).shifted); },
         {{K::LetterCase, kD}, {K::CapsFlag, kD}}},
        {"cases on two keys", [](LayoutKeys& k) { std::swap(At(k, kD).shifted, At(k, kG).shifted); },
         {{K::LetterCase, kD}, {K::LetterCase, kG}, {K::CapsFlag, kD}, {K::CapsFlag, kG}}},
        {"empty levels", [](LayoutKeys& k) { At(k, 5).unshifted = 0; At(k, 48) = {}; },
         {{K::EmptyKey, 5}, {K::EmptyKey, 48}}},
        {"control and unassigned bytes", [](LayoutKeys& k) { At(k, 6).shifted = 27; At(k, 7).shifted = 0x98; },
         {{K::ControlCharacter, 6}, {K::ControlCharacter, 7}}},
        {"Caps Lock off everywhere: the letter keys lack it",
         [](LayoutKeys& k) { for (KeyChars& key : k) key.caps = false; },
         [] { Found f; for (KeyNumber n = 16; n <= 47; ++n) if (n != 26) f.push_back({K::CapsFlag, n}); return f; }()},
        {"the reverse convention, kept but on one key",
         [](LayoutKeys& k) { for (KeyChars& key : k) key.caps = !key.caps; At(k, kW).caps = true; },
         {{K::CapsFlag, kW}}},
    };
    for (const BrokenCase& c : cases) {
        LayoutKeys keys = bds;
        c.breakIt(keys);
        std::vector<Finding> findings = CheckLayout(keys);
        EXPECT_EQ(KindsAndKeys(findings), c.expected) << c.name << "\n" << Texts(findings);
    }
}

TEST(LayoutCheck, FindingsNameKeysAndCharacters) {
    LayoutKeys keys = BuiltinKeys(kOsWin9x, "PHONETIC");
    At(keys, 38).unshifted = ',';                              // з gone, a second comma
    At(keys, 14).caps = false;                                 // ю/Ю
    At(keys, 12).shifted = 0;                                  // -/nothing
    const std::string texts = Texts(CheckLayout(keys));
    for (const char* line : {"key 12 (-): no shifted character\n", "letter \xE7 (231) is on no key\n",
                             ", (44) is on key 38 (Z) and key 45 (,)\n",
                             "key 14 (\\): a letter key that Caps Lock does not act on (\xFE (254), \xDE (222))\n",
                             "key 38 (Z): Caps Lock acts on it, but it is no letter key (, (44), \xC7 (199))\n"})
        EXPECT_NE(texts.find(line), std::string::npos) << line << "\nin:\n" << texts;
    EXPECT_EQ(CharLabel(' '), "space (32)");
    EXPECT_EQ(CharLabel(9), "control character (9)");
    EXPECT_EQ(KeyLabel(48), "key 48 (Space)");
}

}  // namespace
}  // namespace tastavia
