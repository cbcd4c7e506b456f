#pragma once
// How the timers find a program's window: a visible top-level window of one process,
// by its title and class, each any when empty.
#include <windows.h>

#include <string>

namespace tastavia::bench {

struct WindowSearch {
    DWORD process;
    std::string title, className;
    HWND found = nullptr;
};

// For EnumWindows with a WindowSearch: stops at the first window that matches.
inline BOOL CALLBACK TakeTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->process || !IsWindowVisible(hwnd)) return TRUE;
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (!search->className.empty() && search->className != name) return TRUE;
    char title[256] = "";
    GetWindowTextA(hwnd, title, sizeof title);  // a top-level window's own title: no message
    if (!search->title.empty() && search->title != title) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace tastavia::bench
