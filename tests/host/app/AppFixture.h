#pragma once
// The whole program on the headless widget model: real files in a temporary folder,
// the embedded resources, a fixed clock and version, scripted dialogs.
#include "TestSupport.h"
#include "program/Program.h"
#include "platform/memory/FixedOsVersion.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/portable/PortableProfileFile.h"
#include "ui/headless/HeadlessBackend.h"

namespace tastavia::test {

struct AppFixture {
    TempDir dir;
    PosixFiles files{dir / "WINDOWS", dir / "Temp/"};
    PortableProfileFile profile{files};
    FixedClock clock;
    EmbeddedResources resources;
    FixedOsVersion osVersion{OsVersionInfo{2, 5, 1, 2600, "Service Pack 2"}};
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ui::HeadlessBackend backend;
    ui::Application app{backend};
    std::unique_ptr<Program> program;

    AppFixture() {
        ::mkdir((dir / "Temp").c_str(), 0755);
        ::mkdir((dir / "WINDOWS").c_str(), 0755);
    }
    // Made after the test had its say about the version.
    Program& MakeProgram() {
        program = std::make_unique<Program>(app, platform);
        return *program;
    }
    // The main window after "OK" in the start dialog, shown and running.
    TForm1& Started(OsKind kind) {
        MakeProgram();
        TForm1& main = program->Form1();
        program->GetSession().osKind = kind;
        main.EditorStartup();
        program->PrepareForOsKind();
        app.Run(main);
        return main;
    }
    std::string Temp(const std::string& name) const { return dir / ("Temp/" + name); }
    ui::ScriptedDialogs& dialogs() { return backend.dialogs; }
};

}  // namespace tastavia::test
