// Use it now under Wine, on the real registry and input functions of the prefix: two
// layouts get their own layout ids, each goes into the user's list and is loaded, comes
// out again and is deleted with nothing left. On Vista and later a stand-in input.dll of
// ours records the InstallLayoutOrTip calls; without it the program says so and loads.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "WineMainWindow.h"
#include "app/LostLayoutsWindow.h"
#include "platform/win32/Win32KeyboardInput.h"
#include "registry/UserInputList.h"
#include "text/Text.h"

namespace tastavia {
namespace {

const char* const kFiles[] = {"tastavia-use1.dll", "tastavia-use2.dll"};
const char* const kRecordKey = "Software\\Tastavia Tests\\Input";

// The real input functions, with each unload and its answer kept.
struct UnloadsKept : Win32KeyboardInput {
    bool UnloadLayout(std::uint32_t handle) override {
        const bool done = Win32KeyboardInput::UnloadLayout(handle);
        unloads.emplace_back(handle, done);
        return done;
    }
    std::vector<std::pair<std::uint32_t, bool>> unloads;
};

// Wine 8's UnloadKeyboardLayout is a stub that refuses; Windows unloads.
bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

template <class Version>
struct UseItNowWith : test::WineMainWindowWith<Version>, ::testing::Test {
    UnloadsKept input;
    std::string standIn;  // input.dll in the system folder, while a test has put it there

    void SetUp() override {
        this->platform.input = &input;
        this->Start();
        Clean();
    }
    void TearDown() override {
        Clean();
        this->main.Close();
    }
    void PutInputDll() {
        const char* from = std::getenv("TASTAVIA_INPUT_DLL");
        ASSERT_TRUE(from) << "the stand-in input.dll is built by the win32-tests build";
        char folder[MAX_PATH];
        ASSERT_GT(GetSystemDirectoryA(folder, MAX_PATH), 0u);
        standIn = std::string(folder) + "\\input.dll";
        ASSERT_TRUE(CopyFileA(from, standIn.c_str(), FALSE)) << from;
    }
    void Clean() {
        TForm1& main = this->main;
        main.Button8.Click();
        for (const char* file : kFiles)
            for (const CatalogueRecord& record : main.CatalogueRecords())
                if (record.File() == file) {
                    UserInputList(this->registry, nullptr, InputListKind::Preload).Forget(record.KeyName());
                    this->registry.Open(RootKey::CurrentUser, std::string(kUserProfileKey) + "\\bg-BG", true)
                        ->DeleteValue("0402:" + record.KeyName());
                }
        for (const char* file : kFiles) {
            this->Uninstall(file);
            // Both copies of a 64-bit Windows.
            for (SystemFolder folder : {SystemFolder::Native64, SystemFolder::Wow64})
                this->files.Delete(this->files.SystemFolderPath(folder) + file);
        }
        this->registry.DeleteKey(RootKey::CurrentUser, kRecordKey);
        if (!standIn.empty()) DeleteFileA(standIn.c_str());
        standIn.clear();
    }
    const CatalogueRecord* Record(const char* file) {
        for (const CatalogueRecord& record : this->main.CatalogueRecords())
            if (record.File() == file) return &record;
        return nullptr;
    }
    std::string Values(RootKey root, const std::string& path) {
        std::string text;
        if (auto key = this->registry.OpenForReading(root, path))
            for (const std::string& name : key->ValueNames()) text += name + "=" + key->ReadString(name) + ";";
        return text;
    }
    bool Loaded(std::uint32_t handle) {
        for (std::uint32_t loaded : input.LoadedLayouts())
            if (loaded == handle) return true;
        return false;
    }
    // Installs both layouts, then uses, checks, stops using and deletes each in turn.
    void Cycle(bool profile) {
        TForm1& main = this->main;
        auto& dialogs = this->backend.dialogs;
        std::string keys[2], ids[2];
        for (int i = 0; i < 2; ++i) {
            main.Button6.Click();
            main.Edit1.TypeText(std::string("Tastavia Use ") + char('1' + i));
            main.Edit2.TypeText(kFiles[i]);
            ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
            const CatalogueRecord* record = Record(kFiles[i]);
            ASSERT_TRUE(record);
            keys[i] = record->KeyName();
            ids[i] = record->layout.layoutId;
        }
        EXPECT_NE(UpperAscii(ids[0]), UpperAscii(ids[1]));
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(kFiles[i]);
            dialogs.shown.clear();
            ASSERT_TRUE(main.UseLayoutNow(keys[i])) << (dialogs.shown.empty() ? "" : dialogs.shown.back().text);
            const std::string entry = "0402:" + keys[i];
            if (profile) {
                EXPECT_EQ(Values(RootKey::CurrentUser, kRecordKey), "1=0 " + entry + ";");
                EXPECT_TRUE(this->registry.OpenForReading(RootKey::CurrentUser,
                                                          std::string(kUserProfileKey) + "\\bg-BG")
                                ->HasValue(entry));
            } else {
                const std::string substitutes = Values(RootKey::CurrentUser, kUserSubstitutesKey);
                EXPECT_NE(substitutes.find("=" + keys[i] + ";"), std::string::npos) << substitutes;
            }
            EXPECT_TRUE(Loaded(LayoutHandle(ids[i])));
            main.Button8.Click();
            ASSERT_TRUE(Record(kFiles[i]));
            EXPECT_TRUE(Record(kFiles[i])->inUse);

            main.Edit1.TypeText(Record(kFiles[i])->Name());
            main.Edit2.TypeText(kFiles[i]);
            input.unloads.clear();
            main.LayoutListMenu.ChooseItem(1);  // Stop using it
            ASSERT_EQ(input.unloads.size(), 1u);
            EXPECT_EQ(input.unloads[0].first, LayoutHandle(ids[i]));
            if (input.unloads[0].second || !UnderWine()) {
                EXPECT_FALSE(Loaded(LayoutHandle(ids[i])));
            }
            ASSERT_TRUE(Record(kFiles[i]));
            EXPECT_FALSE(Record(kFiles[i])->inUse);
            if (profile) {
                EXPECT_EQ(Values(RootKey::CurrentUser, kRecordKey), "1=0 " + entry + ";2=1 " + entry + ";");
            }
            this->registry.DeleteKey(RootKey::CurrentUser, kRecordKey);

            dialogs.answers = {ui::Answer::Yes, ui::Answer::Yes};
            main.Button9.Click();
            EXPECT_EQ(dialogs.shown.back().text, "Layout successfuly deleted!");
            EXPECT_FALSE(this->registry.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey + keys[i]));
            for (const char* list : {kUserPreloadKey, kUserSubstitutesKey})
                EXPECT_EQ(UpperAscii(Values(RootKey::CurrentUser, list)).find(UpperAscii(keys[i])), std::string::npos);
            EXPECT_EQ(Values(RootKey::CurrentUser, std::string(kUserProfileKey) + "\\bg-BG").find(keys[i]),
                      std::string::npos);
        }
    }
};

class Windows10Version : public OsVersion {
public:
    OsVersionInfo Get() override {
        OsVersionInfo info = real.Get();
        EXPECT_EQ(info.platformId, 2u);
        info.major = 10;
        info.minor = 0;
        return info;
    }
    Win32OsVersion real;
};

using UseItNowXp = UseItNowWith<test::XpVersion>;
using UseItNowVista = UseItNowWith<Windows10Version>;

TEST_F(UseItNowXp, TwoLayoutsAreUsedStoppedAndDeletedWithNothingLeft) { Cycle(false); }

TEST_F(UseItNowVista, InstallLayoutOrTipOfAStandInInputDllIsCalled) {
    PutInputDll();
    Cycle(true);
}

TEST_F(UseItNowVista, WithoutInputDllTheUserIsToldAndTheLayoutStillLoads) {
    TForm1& main = this->main;
    main.Button6.Click();
    main.Edit1.TypeText("Tastavia Use 1");
    main.Edit2.TypeText(kFiles[0]);
    ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
    const CatalogueRecord* record = Record(kFiles[0]);
    ASSERT_TRUE(record);
    const std::string key = record->KeyName(), id = record->layout.layoutId;
    EXPECT_FALSE(main.UseLayoutNow(key));
    ASSERT_FALSE(backend.dialogs.shown.empty());
    EXPECT_EQ(backend.dialogs.shown.back().text.rfind("This Windows has no InstallLayoutOrTip", 0), 0u);
    EXPECT_TRUE(Loaded(LayoutHandle(id)));
}

// Keys deleted behind the program's back, as a Windows update does: the files are found,
// registered again and load back as they were installed.
using LostLayoutsWine = UseItNowWith<Windows10Version>;

TEST_F(LostLayoutsWine, AreFoundRegisteredAgainAndLoadBack) {
    TForm1& main = this->main;
    const char* letters[] = {"A", "B"};
    for (int i = 0; i < 2; ++i) {
        main.Button6.Click();
        main.KeyButton(16).Click();
        main.ListView1.UserClick(33 + i);
        main.Edit1.TypeText(std::string("Tastavia Use ") + char('1' + i));
        main.Edit2.TypeText(kFiles[i]);
        ASSERT_EQ(main.SaveLayoutToSystem(true), "0Layout successful added!");
        ASSERT_TRUE(Record(kFiles[i]));
        registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + Record(kFiles[i])->KeyName());
        main.Button8.Click();
    }
    std::vector<std::string> found;
    backend.modalScripts["LostLayouts"] = [&](ui::Form& form) {
        auto& window = static_cast<TLostLayouts&>(form);
        for (int i = 0; i < 2; ++i)
            for (std::size_t row = 0; row < window.Lost().size(); ++row)
                if (window.Lost()[row].fileName == kFiles[i]) {
                    found.push_back(window.Lost()[row].fileName + window.Lost()[row].reason);
                    window.ListView1.SetSelected(static_cast<int>(row));
                    window.Edit1.TypeText(std::string("Tastavia Found ") + char('1' + i));
                    window.Button1.Click();
                    break;
                }
    };
    main.LayoutListMenu.ChooseItem(2);
    EXPECT_EQ(found, (std::vector<std::string>{kFiles[0], kFiles[1]}));
    ASSERT_TRUE(Record(kFiles[0]) && Record(kFiles[1]));
    EXPECT_NE(UpperAscii(Record(kFiles[0])->layout.layoutId), UpperAscii(Record(kFiles[1])->layout.layoutId));
    for (int i = 0; i < 2; ++i) {
        LoadInstalled(std::string("Tastavia Found ") + char('1' + i), kFiles[i]);
        EXPECT_EQ(main.KeyButton(16).Caption(), letters[i]);
    }
}

}  // namespace
}  // namespace tastavia
