#pragma once
// Failures on demand for the fake services: every call that can fail asks the plan
// first, and the plan fails the Nth of them. Services sharing one plan share one count,
// so a sweep over N reaches every call an action makes, whichever service it goes to.
#include <cstddef>
#include <string>

namespace tastavia {

class FaultPlan {
public:
    // From now on, the nth call that can fail (counting from 1) fails; 0 fails none.
    void FailCall(std::size_t n) {
        target_ = n;
        calls_ = 0;
        failed_.clear();
    }
    // No more failures; what failed stays on record.
    void Stop() { target_ = 0; }
    // True when this call is the one to fail. what names the call for reports.
    bool NextCallFails(const std::string& what) {
        if (++calls_ != target_) return false;
        failed_ = what;
        return true;
    }
    std::size_t Calls() const { return calls_; }
    bool Fired() const { return !failed_.empty(); }
    // The call that failed, as "Operation subject", or "".
    const std::string& FailedCall() const { return failed_; }

private:
    std::size_t target_ = 0;
    std::size_t calls_ = 0;
    std::string failed_;
};

}  // namespace tastavia
