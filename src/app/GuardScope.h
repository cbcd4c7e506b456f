#pragma once
// Sets a window's guard flag for as long as it lives and restores it on every way out,
// so that an error cannot leave a guard set.
namespace tastavia {

class GuardScope {
public:
    explicit GuardScope(bool& guard) : guard_(guard), previous_(guard) { guard_ = true; }
    ~GuardScope() { guard_ = previous_; }
    GuardScope(const GuardScope&) = delete;
    GuardScope& operator=(const GuardScope&) = delete;

private:
    bool& guard_;
    bool previous_;
};

}  // namespace tastavia
