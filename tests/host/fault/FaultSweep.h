#pragma once
// The fault sweep: an action run once for every call it makes that can fail, with that
// call failing, and what it left checked after each run.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "platform/memory/FaultPlan.h"

namespace tastavia::test {

// Once: the Nth call alone fails. Persistent: the Nth and every later call fail, the
// rollback's own calls and reads included.
enum class FaultMode { Once, Persistent };

// Runs make, then act with the Nth failable call failing, then check, for N = 1, 2, ...
// until a run makes fewer than N calls; that last run, undisturbed, is checked too. A
// World holds a FaultPlan named plan that its fake services share. Gives the number of
// runs in which a fault was injected.
template <class World>
std::size_t SweepFaults(const std::function<std::unique_ptr<World>()>& make, const std::function<void(World&)>& act,
                        const std::function<void(World&)>& check, FaultMode mode = FaultMode::Once) {
    constexpr std::size_t kLimit = 20000;  // far above any action's calls: a loop, not an action
    const ::testing::TestResult& result = *::testing::UnitTest::GetInstance()->current_test_info()->result();
    std::size_t defects = 0;
    for (std::size_t n = 1; n < kLimit; ++n) {
        std::unique_ptr<World> world = make();
        if (mode == FaultMode::Persistent)
            world->plan.FailFrom(n);
        else
            world->plan.FailCall(n);
        act(*world);
        world->plan.Stop();
        SCOPED_TRACE(world->plan.Fired() ? "call " + std::to_string(n) + " failed: " + world->plan.FailedCall()
                                         : std::string("no call failed"));
        const int partsBefore = result.total_part_count();
        check(*world);
        if (result.total_part_count() != partsBefore) ++defects;
        if (!world->plan.Fired()) {
            std::printf("[   SWEEP  ] %zu %s faults, %zu runs found a defect\n", n - 1,
                        mode == FaultMode::Persistent ? "persistent" : "injected", defects);
            return n - 1;
        }
    }
    ADD_FAILURE() << "the action never ends";
    return kLimit;
}

// Where the sweep's many small worlds live: memory where the system offers it, as
// flushing every file to a disk would make a sweep take minutes.
inline std::string SweepBase() {
    struct stat st {};
    return ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                                                                   : TempBase();
}

// The files of a folder by name, with their bytes.
inline std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") files[name] = ReadFile(folder + "/" + name);
        }
        ::closedir(dir);
    }
    return files;
}

// The names of files in after that before lacks.
inline std::string NewFiles(const std::map<std::string, std::string>& before,
                            const std::map<std::string, std::string>& after) {
    std::string names;
    for (const auto& entry : after)
        if (!before.count(entry.first)) names += entry.first + " ";
    return names;
}

// Whether a failed call was deleting a file of that name: a scratch file that could
// not be deleted is rightly left behind.
inline bool FailedToDelete(const FaultPlan& plan, const std::string& name) {
    for (const std::string& call : plan.FailedCalls())
        if (call.rfind("Delete ", 0) == 0 && call.size() >= name.size() &&
            call.compare(call.size() - name.size(), name.size(), name) == 0)
            return true;
    return false;
}

}  // namespace tastavia::test
