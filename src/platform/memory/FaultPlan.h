#pragma once
// Failures on demand for the fake services: every call that can fail asks the plan
// first, and the plan fails the Nth of them, or in the persistent mode the Nth and every
// one after it, as a disk that fills up or a device that goes away would: the rollback
// of an action fails too. Reads that the real services report only as "nothing there"
// (a registry value, a key's names) fail in the persistent mode only. Services sharing
// one plan share one count, so a sweep over N reaches every call an action makes,
// whichever service it goes to.
#include <cstddef>
#include <string>
#include <vector>

namespace tastavia {

class FaultPlan {
public:
    // From now on, the nth call that can fail (counting from 1) fails; 0 fails none.
    void FailCall(std::size_t n) { Start(n, false); }
    // From now on, the nth call that can fail and every call after it fail.
    void FailFrom(std::size_t n) { Start(n, true); }
    // No more failures; what failed stays on record.
    void Stop() { target_ = 0; }
    // True when this call is to fail. what names the call for reports.
    bool NextCallFails(const std::string& what) {
        ++calls_;
        if (target_ == 0 || (persistent_ ? calls_ < target_ : calls_ != target_)) return false;
        failed_.push_back(what);
        return true;
    }
    // The same for a read whose failure looks like an empty answer.
    bool NextReadFails(const std::string& what) { return persistent_ && NextCallFails(what); }
    std::size_t Calls() const { return calls_; }
    bool Persistent() const { return persistent_; }
    bool Fired() const { return !failed_.empty(); }
    // The first call that failed, as "Operation subject", or "".
    const std::string& FailedCall() const { return failed_.empty() ? kNone : failed_.front(); }
    // Every call that failed, in order.
    const std::vector<std::string>& FailedCalls() const { return failed_; }

private:
    void Start(std::size_t n, bool persistent) {
        target_ = n;
        persistent_ = persistent;
        calls_ = 0;
        failed_.clear();
    }

    static inline const std::string kNone;
    std::size_t target_ = 0;
    std::size_t calls_ = 0;
    bool persistent_ = false;
    std::vector<std::string> failed_;
};

}  // namespace tastavia
