#pragma once
// The whole program with Windows XP layout files on the real registry, files and profile
// functions of the Wine prefix, its boxes and file dialogs scripted; the main window runs.
#include <gtest/gtest.h>
#include <windows.h>

#include "program/Program.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Services.h"
#include "ui/headless/HeadlessBackend.h"

namespace tastavia::test {

class XpVersion : public OsVersion {
public:
    OsVersionInfo Get() override { return {2, 5, 1, 2600, ""}; }
};

// Version: what the program is told of Windows (the real answer: Win32OsVersion).
template <class Version>
struct WineMainWindowWith {
    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    Version osVersion;
    Win32Registry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ui::HeadlessBackend backend;
    ui::Application app{backend};
    Program program{app, platform};
    TForm1& main = program.Form1();

    void Start() {
        program.GetSession().osKind = kOsWinXp;
        main.EditorStartup();
        app.Run(main);
    }
    // New, then Load of the installed layout of that name and file into the editor.
    void LoadInstalled(const std::string& name, const std::string& fileName) {
        main.Button6.Click();
        main.Edit1.TypeText(name);
        main.Edit2.TypeText(fileName);
        ASSERT_TRUE(main.Button5.Enabled());
        main.Button5.Click();
        EXPECT_NE(main.Layout().WorkingPath().find("KBD"), std::string::npos);
    }
    // Removes the layout a test installed under this file name, key and file.
    void Uninstall(const std::string& fileName) {
        for (const CatalogueRecord& record : main.CatalogueRecords())
            if (record.File() == fileName)
                registry.DeleteKey(RootKey::LocalMachine, kKeyboardLayoutsKey + record.KeyName());
        files.Delete(main.SystemDirectory() + fileName);
    }
};

using WineMainWindow = WineMainWindowWith<XpVersion>;

}  // namespace tastavia::test
