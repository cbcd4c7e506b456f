// startup-timer RUNS FLOOR.EXE FLOOR-TITLE PROGRAM.EXE PROGRAM-TITLE [PROGRAM.EXE TITLE...]
// Starts the programs in turn, RUNS times each, and measures from CreateProcess to the
// moment the program's window of that title is visible and painted; closes it and waits
// for the process to end before the next start. Prints each program's median, its ratio
// to the first one's median, and its fastest run.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TopLevelWindow.h"

namespace {

using tastavia::bench::TakeTopLevel;
using tastavia::bench::WindowSearch;

constexpr DWORD kGiveUpMs = 20000;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& frequency) {
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds to the visible, painted window; negative when it never came.
double TimeOne(const std::string& exe, const char* title) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = "\"" + exe + "\"";
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WindowSearch search{process.dwProcessId, title, ""};
    double elapsed = -1;
    // The program waits for input once its first window has shown and painted; waiting
    // for that, instead of asking over and over, leaves the CPU and the wineserver to it.
    WaitForInputIdle(process.hProcess, kGiveUpMs);
    for (;;) {
        search.found = nullptr;
        EnumWindows(TakeTopLevel, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        // Painted: nothing of the window waits for WM_PAINT any more.
        if (search.found && !GetUpdateRect(search.found, nullptr, FALSE)) {
            elapsed = Seconds(start, now, frequency) * 1000.0;
            break;
        }
        if (Seconds(start, now, frequency) * 1000.0 > kGiveUpMs) break;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        Sleep(2);
    }
    if (search.found) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: startup-timer RUNS FLOOR.EXE TITLE PROGRAM.EXE TITLE [PROGRAM.EXE TITLE...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    struct Subject {
        std::string exe;
        const char* title;
        std::vector<double> times;
    };
    std::vector<Subject> subjects;
    for (int i = 2; i + 1 < argc; i += 2) subjects.push_back({argv[i], argv[i + 1], {}});

    // One warm-up start each, so that the first timed run finds the files cached as the rest do.
    for (Subject& s : subjects) TimeOne(s.exe, s.title);
    for (int run = 0; run < runs; ++run)
        for (Subject& s : subjects) {
            double ms = TimeOne(s.exe, s.title);
            if (ms < 0) {
                std::fprintf(stderr, "startup-timer: no window \"%s\" from %s\n", s.title, s.exe.c_str());
                return 1;
            }
            s.times.push_back(ms);
        }

    const double floor = Median(subjects.front().times);
    for (const Subject& s : subjects) {
        std::string name = s.exe.substr(s.exe.find_last_of("\\/") + 1);
        std::printf("%-24s median %6.1f ms  ratio %.2f  fastest %6.1f ms  (runs:", name.c_str(), Median(s.times),
                    Median(s.times) / floor, *std::min_element(s.times.begin(), s.times.end()));
        for (double t : s.times) std::printf(" %.0f", t);
        std::printf(")\n");
    }
    return 0;
}
