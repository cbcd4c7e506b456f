// tastavia.exe: the real platform and windows around the portable start sequence.
#include <windows.h>

#include "program/Program.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Services.h"
#include "ui/win32/Win32Backend.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tastavia::Win32Files files;
    tastavia::Win32ProfileFile profile;
    tastavia::Win32Clock clock;
    tastavia::Win32Resources resources;
    tastavia::Win32OsVersion osVersion;
    tastavia::Win32Registry registry;
    tastavia::Platform platform{files, profile, clock, resources, osVersion, registry};
    tastavia::ui::Win32Backend backend;
    tastavia::ui::Application app(backend);
    try {
        tastavia::Program program(app, platform);
        return program.Run();
    } catch (...) {
        // Nothing may escape into the system; an error here means start-up failed.
        return 1;
    }
}
