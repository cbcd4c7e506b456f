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

// Whether the window is the process's and visible.
inline bool ShownBy(HWND hwnd, DWORD process) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    return owner == process && IsWindowVisible(hwnd);
}

// For EnumWindows with a WindowSearch: stops at the first window that matches.
inline BOOL CALLBACK TakeTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (!ShownBy(hwnd, search->process)) return TRUE;
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
