// action-timer seed LAYOUTS LANGUAGES | unseed | time ROUNDS TASTAVIA.EXE
// seed registers LAYOUTS keyboard layouts of the program's scheme (keys 2xxxx402) and
// LANGUAGES Bulgarian languages in the locale list (3xxxx402); unseed removes them.
// time starts the program ROUNDS times and, as a user would, presses its buttons with
// BM_CLICK: start-up ("OK" to the painted main window), Refresh, New, Save to its
// "added" box, Save again to the "Replace?" question, Load, and Delete to its first
// question. Before each action it measures, in this process, the floor of that action:
// reading every layout key with two values, a message box appearing, one file copy, as
// the action needs them. Prints the medians and each action's ratio to its floor.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "TopLevelWindow.h"

namespace {

using tastavia::bench::ShownBy;
using tastavia::bench::TakeTopLevel;
using tastavia::bench::WindowSearch;

constexpr DWORD kPatienceMs = 60000;
const char* const kLayouts = "System\\CurrentControlSet\\Control\\keyboard layouts";
const char* const kLocale = "System\\CurrentControlSet\\Control\\Nls\\Locale";
constexpr int kLayoutBase = 0x20000;
constexpr int kLanguageBase = 0x30000;

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

LARGE_INTEGER g_frequency;
DWORD g_process = 0, g_thread = 0;  // the program and the thread of its windows
HANDLE g_processHandle = nullptr;  // ended when the timer gives up

double Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(g_frequency.QuadPart);
}

std::string Id(int n) {
    char id[16];
    std::snprintf(id, sizeof id, "%05X402", n);
    return id;
}

void SetString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
}

void Seed(int layouts, int languages) {
    for (int i = 0; i < layouts; ++i) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kLayouts) + "\\" + Id(kLayoutBase + i)).c_str(), 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            Fail("cannot create layout key " + Id(kLayoutBase + i));
        SetString(key, "layout file", "kbdbn" + std::to_string(i) + ".dll");
        SetString(key, "layout id", "0402");
        SetString(key, "layout text", "Bench layout " + std::to_string(i));
        RegCloseKey(key);
    }
    HKEY locale;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLocale, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &locale, nullptr) != ERROR_SUCCESS)
        Fail("cannot open the locale list");
    for (int i = 0; i < languages; ++i) SetString(locale, Id(kLanguageBase + i).c_str(), "Bench language " + std::to_string(i));
    RegCloseKey(locale);
}

// Every key the seed or an interrupted round left (their texts begin "Bench "), with the
// rounds' files in the system folder.
void Unseed() {
    HKEY layouts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLayouts, 0, KEY_ALL_ACCESS, &layouts) == ERROR_SUCCESS) {
        std::vector<std::string> ours;
        char name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(layouts, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            char text[256] = "";
            DWORD size = sizeof text - 1;
            HKEY key;
            if (RegOpenKeyExA(layouts, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            if (RegQueryValueExA(key, "layout text", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) ==
                    ERROR_SUCCESS &&
                std::string(text).rfind("Bench ", 0) == 0)
                ours.push_back(name);
            RegCloseKey(key);
        }
        for (const std::string& key : ours) RegDeleteKeyA(layouts, key.c_str());
        RegCloseKey(layouts);
    }
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(system) + "\\kbdbr*.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do DeleteFileA((std::string(system) + "\\" + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    HKEY locale;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLocale, 0, KEY_ALL_ACCESS, &locale) != ERROR_SUCCESS) return;
    for (int i = 0; RegDeleteValueA(locale, Id(kLanguageBase + i).c_str()) == ERROR_SUCCESS; ++i) {
    }
    RegCloseKey(locale);
}

// ---- the floors -------------------------------------------------------------------

// Every layout key opened from the list and its two values read, the plainest way.
double FloorList() {
    const double start = Now();
    HKEY layouts;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLayouts, 0, KEY_READ, &layouts) != ERROR_SUCCESS) Fail("no layouts key");
    char name[256];
    BYTE value[256];
    std::size_t bytes = 0;
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(layouts, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY key;
        if (RegOpenKeyExA(layouts, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        for (const char* valueName : {"layout text", "layout file"}) {
            DWORD size = sizeof value;
            if (RegQueryValueExA(key, valueName, nullptr, nullptr, value, &size) == ERROR_SUCCESS) bytes += size;
        }
        RegCloseKey(key);
    }
    RegCloseKey(layouts);
    if (bytes == 0) Fail("the layout keys hold nothing");
    return Now() - start;
}

std::string g_copyFrom, g_copyTo;

double FloorCopy() {
    const double start = Now();
    if (!CopyFileA(g_copyFrom.c_str(), g_copyTo.c_str(), FALSE)) Fail("the floor's copy failed");
    return Now() - start;
}

std::string TextOf(HWND hwnd) {
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kPatienceMs, &length);
    return text;
}

struct Listing {
    DWORD process;
    std::string titles;
};

BOOL CALLBACK ListTopLevel(HWND hwnd, LPARAM param) {
    auto* listing = reinterpret_cast<Listing*>(param);
    if (!ShownBy(hwnd, listing->process)) return TRUE;
    char title[256] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    listing->titles += std::string("[") + title + "] ";
    return TRUE;
}

// The titles of the process's visible top-level windows, for a failure's message.
std::string OpenWindows(DWORD process) {
    Listing listing{process, ""};
    EnumWindows(ListTopLevel, reinterpret_cast<LPARAM>(&listing));
    return listing.titles;
}

// The thread's visible, painted top-level window of that title (any, when empty) and
// class. A window shown comes up active, so each millisecond the thread's active window
// is looked at, one call; walking every window of the desktop each time took a fifth of
// the one processor from the program being timed. The walk is left for every 50th look,
// should a window come up inactive.
HWND WaitWindow(DWORD process, DWORD thread, const std::string& title, const std::string& className = "") {
    const double start = Now();
    for (int look = 1;; ++look) {
        WindowSearch search{process, title, className};
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetGUIThreadInfo(thread, &info) && info.hwndActive)
            TakeTopLevel(info.hwndActive, reinterpret_cast<LPARAM>(&search));
        if (!search.found && look % 50 == 0) EnumWindows(TakeTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found && !GetUpdateRect(search.found, nullptr, FALSE)) return search.found;
        if (Now() - start > kPatienceMs) Fail("no window \"" + title + "\"; open: " + OpenWindows(process));
        Sleep(1);
    }
}

// What a message box says: its static texts.
std::string BoxText(HWND box) {
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = "";
        GetClassNameA(child, name, sizeof name);
        if (_stricmp(name, "Static") == 0) text += TextOf(child);
    }
    return text;
}

void Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    for (const double start = Now(); IsWindow(box) && IsWindowVisible(box);) {
        if (Now() - start > kPatienceMs) Fail("a box stays open");
        Sleep(1);
    }
}

DWORD WINAPI ShowBox(LPVOID) {
    MessageBoxA(nullptr, "Floor", "Information", MB_OK | MB_ICONINFORMATION);
    return 0;
}

// A message box of this process appearing, from the call to its painted window.
double FloorBox() {
    const double start = Now();
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ShowBox, nullptr, 0, &id);
    HWND box = WaitWindow(GetCurrentProcessId(), id, "Information", "#32770");
    const double elapsed = Now() - start;
    Answer(box, IDOK);
    WaitForSingleObject(thread, kPatienceMs);
    CloseHandle(thread);
    return elapsed;
}

// ---- the program ------------------------------------------------------------------

std::string Plain(const std::string& caption) {
    std::string plain;
    for (char c : caption)
        if (c != '&') plain += c;
    return plain;
}

BOOL CALLBACK TakeChild(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (!search->className.empty() && _stricmp(name, search->className.c_str()) != 0) return TRUE;
    if (Plain(TextOf(hwnd)) != search->title) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND Find(HWND window, const std::string& text, const std::string& className) {
    WindowSearch search{0, text, className};
    EnumChildWindows(window, TakeChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Control(HWND window, const std::string& text, const std::string& className = "Button") {
    HWND found = Find(window, text, className);
    if (!found) Fail("no control \"" + text + "\"");
    return found;
}

// Pressed and waited for: the handler has run when the message returns.
void Press(HWND button) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, kPatienceMs, &result)) Fail("a button hangs");
}

void Type(HWND edit, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kPatienceMs, &result);
}

// Until the window's thread has finished what it was doing.
void Idle(HWND window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &result);
}

HWND g_main = nullptr;  // the program's main window, while it is open
const DWORD kSettleMs = 30;

// Each measurement starts on a quiet machine: the program has done what it was doing and
// what the measurement before left behind (a box's window going away, a paint) is over,
// so that neither an action nor its floor pays for the other's tail.
void Settle() {
    if (g_main) Idle(g_main);
    Sleep(kSettleMs);
}

enum Action { kStartUp, kRefresh, kNew, kSave, kReplace, kLoad, kDelete, kActions };
const char* const kNames[kActions] = {"start-up, OK to main window", "Refresh", "New", "Save, to \"added\"",
                                      "Replace, to its question", "Load", "Delete, to its first question"};
// What each action's floor is made of: list reads, boxes, copies.
const int kFloor[kActions][3] = {{1, 1, 0}, {1, 0, 0}, {1, 0, 1}, {1, 1, 1}, {1, 1, 0}, {1, 0, 1}, {1, 1, 0}};

struct Samples {
    std::vector<double> action[kActions], floor[kActions];
    std::vector<double> list, box, copy;
};

double Floor(Action action, Samples& samples) {
    double total = 0;
    for (int i = 0; i < kFloor[action][0]; ++i) Settle(), samples.list.push_back(FloorList()), total += samples.list.back();
    for (int i = 0; i < kFloor[action][1]; ++i) Settle(), samples.box.push_back(FloorBox()), total += samples.box.back();
    for (int i = 0; i < kFloor[action][2]; ++i) Settle(), samples.copy.push_back(FloorCopy()), total += samples.copy.back();
    Settle();
    return total;
}

// A box of the program, with the layout check's findings answered on the way: the time
// the answer takes is left out, and each such box adds a box to the action's floor.
HWND WaitBox(const std::string& title, double& paused, int& warnings) {
    for (;;) {
        HWND box = WaitWindow(g_process, g_thread, "", "#32770");
        if (TextOf(box) == title) return box;
        if (TextOf(box) != "Warning") Fail("unexpected box \"" + TextOf(box) + "\": " + BoxText(box));
        const double start = Now();
        Answer(box, IDYES);
        paused += Now() - start;
        ++warnings;
    }
}

void Round(const std::string& exe, int round, Samples& samples) {
    auto record = [&samples](Action action, double floor, double elapsed) {
        samples.floor[action].push_back(floor);
        samples.action[action].push_back(elapsed);
    };
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        Fail("cannot start " + exe);
    g_process = process.dwProcessId;
    g_thread = process.dwThreadId;
    g_processHandle = process.hProcess;
    HWND start = WaitWindow(g_process, g_thread, "Select Operation System");
    Press(Control(start, "Start Wizard"));  // the main window straight away
    // Each button is looked up before its clock starts: finding it asks every window of
    // the program for its text, which is the timer's work, not the program's.
    HWND button = Control(start, "OK");
    double floor = Floor(kStartUp, samples);
    double t = Now();
    PostMessageA(button, BM_CLICK, 0, 0);
    HWND main = WaitWindow(g_process, g_thread, "Tastavia v1.1");
    record(kStartUp, floor, Now() - t);
    g_main = main;

    button = Control(main, "Refresh");
    floor = Floor(kRefresh, samples);
    t = Now();
    Press(button);
    record(kRefresh, floor, Now() - t);

    button = Control(main, "New");
    floor = Floor(kNew, samples);
    t = Now();
    Press(button);
    record(kNew, floor, Now() - t);

    // New names a Windows 9x layout file .kbd, an NT library .dll.
    const bool win9x = Find(main, "kbdbunew.kbd", "Edit") != nullptr;
    HWND name = Control(main, "Bulgarian (New)", "Edit");
    HWND file = Control(main, win9x ? "kbdbunew.kbd" : "kbdbunew.dll", "Edit");
    Type(name, "Bench round " + std::to_string(round));
    Type(file, "kbdbr" + std::to_string(round) + (win9x ? ".kbd" : ".dll"));
    // Timed to the box that asks, or tells the outcome; the floors of the boxes on the way
    // are measured once the program is idle again.
    auto boxed = [&](Action action, const char* caption, const char* title, int answer) {
        double paused = 0;
        int warnings = 0;
        HWND pressed = Control(main, caption);
        double floor = Floor(action, samples);
        const double t = Now();
        PostMessageA(pressed, BM_CLICK, 0, 0);
        HWND box = WaitBox(title, paused, warnings);
        const double elapsed = Now() - t - paused;
        Answer(box, answer);
        return std::make_tuple(floor, elapsed, warnings);
    };
    auto settle = [&](Action action, std::tuple<double, double, int> timed) {
        double floor = std::get<0>(timed);
        for (int i = 0; i < std::get<2>(timed); ++i) Settle(), samples.box.push_back(FloorBox()), floor += samples.box.back();
        record(action, floor, std::get<1>(timed));
    };
    const auto saved = boxed(kSave, "Save", "Information", IDOK);
    // On Windows 2000 and later the program then offers to use the new layout at once.
    if (!win9x) Answer(WaitWindow(g_process, g_thread, "Confirm"), IDNO);
    settle(kSave, saved);
    settle(kReplace, boxed(kReplace, "Save", "Confirm", IDCANCEL));

    button = Control(main, "Load");
    floor = Floor(kLoad, samples);
    t = Now();
    Press(button);
    record(kLoad, floor, Now() - t);

    const auto deleted = boxed(kDelete, "Delete", "Confirm", IDYES);  // delete the layout
    Answer(WaitWindow(g_process, g_thread, "Confirm"), IDYES);                    // and its file
    Answer(WaitWindow(g_process, g_thread, "Information"), IDOK);                // "Layout successfuly deleted!"
    settle(kDelete, deleted);

    g_main = nullptr;
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    g_processHandle = nullptr;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Time(int rounds, const std::string& exe) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    g_copyFrom = std::string(temp) + "action-timer-from.dll";
    g_copyTo = std::string(temp) + "action-timer-to.dll";
    // A layout library's size.
    const std::string bytes(5632, 'x');
    HANDLE h = CreateFileA(g_copyFrom.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);

    Samples samples;
    for (int round = 1; round <= rounds; ++round) {
        Round(exe, round, samples);
        std::fprintf(stderr, "round %d done\n", round);
    }
    DeleteFileA(g_copyFrom.c_str());
    DeleteFileA(g_copyTo.c_str());
    std::printf("floors: list read %.1f ms, message box %.1f ms, file copy %.1f ms (medians of %u, %u, %u)\n",
                Median(samples.list), Median(samples.box), Median(samples.copy),
                static_cast<unsigned>(samples.list.size()), static_cast<unsigned>(samples.box.size()),
                static_cast<unsigned>(samples.copy.size()));
    // The fastest runs too: on a machine shared with other work they show least of it.
    std::printf("| action | ms | floor ms | x its floor | fastest ms | fastest floor ms | x |\n"
                "|---|---|---|---|---|---|---|\n");
    for (int a = 0; a < kActions; ++a) {
        const double action = Median(samples.action[a]), floor = Median(samples.floor[a]);
        const double fast = *std::min_element(samples.action[a].begin(), samples.action[a].end());
        const double fastFloor = *std::min_element(samples.floor[a].begin(), samples.floor[a].end());
        std::printf("| %s | %.1f | %.1f | %.2f | %.1f | %.1f | %.2f |\n", kNames[a], action, floor,
                    floor > 0 ? action / floor : 0.0, fast, fastFloor, fastFloor > 0 ? fast / fastFloor : 0.0);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&g_frequency);
    try {
        const std::string what = argc > 1 ? argv[1] : "";
        if (what == "seed" && argc == 4) {
            Seed(std::atoi(argv[2]), std::atoi(argv[3]));
            return 0;
        }
        if (what == "unseed") {
            Unseed();
            return 0;
        }
        if (what == "time" && argc == 4) return Time(std::max(1, std::atoi(argv[2])), argv[3]);
        std::fprintf(stderr, "usage: action-timer seed LAYOUTS LANGUAGES | unseed | time ROUNDS TASTAVIA.EXE\n");
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "action-timer: %s\n", error.what());
        if (g_processHandle) TerminateProcess(g_processHandle, 1);
        return 1;
    }
}
