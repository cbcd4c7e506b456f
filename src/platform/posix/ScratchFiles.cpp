#include "platform/posix/ScratchFiles.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace tastavia {

namespace {

constexpr int kSlots = 32;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct Slot {
    volatile sig_atomic_t used = 0;
    char path[PATH_MAX] = {};
};

Slot slots[kSlots];

void RemoveAndDie(int signal) {
    for (Slot& slot : slots)
        if (slot.used) ::unlink(slot.path);
    // The handler was reset on entry (SA_RESETHAND): this ends the program.
    ::raise(signal);
}

class SignalsHeldBack {
public:
    SignalsHeldBack() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals) sigaddset(&set, s);
        ::sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~SignalsHeldBack() { ::sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsHeldBack(const SignalsHeldBack&) = delete;
    SignalsHeldBack& operator=(const SignalsHeldBack&) = delete;

private:
    sigset_t saved_;
};

}  // namespace

std::string MakeScratchFile(const std::function<std::string()>& make) {
    SignalsHeldBack heldBack;
    std::string path = make();
    if (path.empty() || path.size() >= PATH_MAX) return path;
    for (Slot& slot : slots) {
        // A slot whose file is gone (deleted where its deletion could not say so) is free.
        if (slot.used && ::access(slot.path, F_OK) == 0) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used = 1;
        break;
    }
    return path;
}

void UntrackScratchFile(const std::string& path) {
    SignalsHeldBack heldBack;
    for (Slot& slot : slots)
        if (slot.used && path == slot.path) slot.used = 0;
}

void RemoveScratchFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveAndDie;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) sigaddset(&action.sa_mask, s);
    for (int s : kSignals) {
        struct sigaction previous {};
        // A signal the caller's parent set to be ignored stays ignored, as shells expect.
        if (::sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace tastavia
