// The library check refuses what the Windows loader refuses or crashes on, for every
// kind of library we read: the named damages of the generator always, and any swept byte
// that breaks the headers, exports or relocations (the Wine tests load the rest).
#include <gtest/gtest.h>

#include "DamagedLibraries.h"
#include "TestSupport.h"
#include "layout/LayoutShape.h"
#include "layout/PeSoundness.h"
#include "layout/WideLibraryShape.h"

namespace tastavia {
namespace {

struct Kind {
    OsKind kind;
    const char* file;
    const PeMachine& machine;
};
const Kind kKinds[] = {{kOsWin2000, "WIN2K.dll", kPeX86},
                       {kOsWinXp, "WINXP.dll", kPeX86},
                       {kOsWow64, "WOW64.dll", kPeX86},
                       {kOsX64, "WINX64.dll", kPeX64}};

TEST(PeSoundness, EveryTemplateIsSoundForItsMachineOnly) {
    for (const Kind& k : kKinds) {
        const std::string bytes = test::ResourceFile(k.file);
        PeFacts facts;
        EXPECT_EQ(PeSoundnessFault(bytes, k.machine, &facts), std::nullopt) << k.file;
        EXPECT_EQ(facts.imageBase, 0x5FFF0000u) << k.file;
        EXPECT_FALSE(facts.relocated.empty()) << k.file;
        EXPECT_NE(PeSoundnessFault(bytes, &k.machine == &kPeX86 ? kPeX64 : kPeX86), std::nullopt) << k.file;
        EXPECT_NE(PeSoundnessFault(bytes, kPeArm64), std::nullopt) << k.file;
    }
}

TEST(PeSoundness, EveryNamedDamageIsRefusedBySoundnessAndShape) {
    for (const Kind& k : kKinds) {
        const std::string good = test::ResourceFile(k.file);
        int swept = 0, accepted = 0;
        for (const test::DamagedLibrary& d : test::LibraryDamager(good).All()) {
            const bool shape = HasLayoutShape(d.bytes, k.kind);
            if (d.mustRefuse) {
                EXPECT_FALSE(shape) << k.file << ": " << d.what;
            } else {
                ++swept;
                accepted += shape;
            }
        }
        // The sweep leaves harmless bytes (stub, time stamp, names) for the Wine test to load.
        EXPECT_GT(accepted, 0) << k.file;
        EXPECT_LT(accepted, swept) << k.file;
    }
}

TEST(PeSoundness, FaultsSayWhatIsWrong) {
    const std::string good = test::ResourceFile("WINXP.dll");
    const std::pair<const char*, const char*> cases[] = {
        {"relocation block size 0xFFFFFFF0", "its relocation table is damaged"},
        {"relocation entry type 15", "its relocation table has an unknown relocation type"},
        {"a section at RVA 0", "its sections are not where the loader wants them"},
        {"NumberOfSections + 1", "its headers do not fit"},
        {"section data outside the file", "a section's data lies outside the file"},
        {"NumberOfNames 0xFFFFFFFF", "a table lies outside the file's sections"},
        {"relocation across its page", "a relocation lies outside the image"}};
    const std::vector<test::DamagedLibrary> damaged = test::LibraryDamager(good).All();
    for (const auto& [what, why] : cases)
        for (const test::DamagedLibrary& d : damaged)
            if (d.what == what) {
                EXPECT_EQ(PeSoundnessFault(d.bytes, kPeX86), std::optional<std::string>(why)) << what;
            }
    const std::string wide = test::ResourceFile("WINX64.dll");
    std::string above = wide;
    test::LibraryDamager::Put(above, 0x80 + 24 + 28, 4, 1);
    EXPECT_EQ(PeSoundnessFault(above, kPeX64), "its image base is not one this processor allows");
    EXPECT_NE(WideLibraryShapeFault(above, kOsX64)->find("image base"), std::string::npos);
}

}  // namespace
}  // namespace tastavia
