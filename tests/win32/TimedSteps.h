#pragma once
// Steps run one a timer tick while a window's modal loop runs: the loop handles all a
// step posts, and the characters the system makes of it, before the next tick. A
// watchdog ends the loop of a window that a failed step left open.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace tastavia::test {

class TimedSteps {
public:
    explicit TimedSteps(UINT watchdogMs = 20000) : watchdog_(SetTimer(nullptr, 0, watchdogMs, Quit)) {}
    ~TimedSteps() {
        Stop();
        KillTimer(nullptr, watchdog_);
        if (current_ == this) current_ = nullptr;
    }
    TimedSteps(const TimedSteps&) = delete;
    TimedSteps& operator=(const TimedSteps&) = delete;

    // One step each interval from now on; the ticks stop after the last.
    void Run(std::vector<std::function<void()>> steps, UINT intervalMs = 30) {
        Stop();
        steps_ = std::move(steps);
        next_ = 0;
        current_ = this;
        timer_ = SetTimer(nullptr, 0, intervalMs, Tick);
    }
    std::size_t Done() const { return next_; }

private:
    void Stop() {
        if (timer_) KillTimer(nullptr, timer_);
        timer_ = 0;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TimedSteps* self = current_;
        if (!self) return;
        if (self->next_ < self->steps_.size())
            self->steps_[self->next_++]();
        else
            self->Stop();
    }
    static void CALLBACK Quit(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); }

    static inline TimedSteps* current_ = nullptr;  // a timer procedure has no context
    UINT_PTR watchdog_;
    UINT_PTR timer_ = 0;
    std::vector<std::function<void()>> steps_;
    std::size_t next_ = 0;
};

// A list view's cell as the window gives it.
inline std::string CellText(HWND list, int item, int column) {
    char text[256] = "";
    LVITEMA cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    return text;
}

}  // namespace tastavia::test
