// tastavia.exe: the real platform and windows around the portable start sequence.
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "program/Program.h"
#include "ui/win32/Win32Backend.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tastavia::Win32Platform system;
    tastavia::ui::Win32Backend backend;
    tastavia::ui::Application app(backend);
    try {
        tastavia::Program program(app, system.platform);
        return program.Run();
    } catch (...) {
        // Nothing may escape into the system; an error here means start-up failed.
        return 1;
    }
}
