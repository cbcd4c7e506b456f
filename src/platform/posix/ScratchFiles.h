#pragma once
// Scratch files that an interrupted program must not leave behind. A signal handler may
// only unlink paths prepared beforehand, so each tracked path waits in a fixed slot.
#include <functional>
#include <string>

namespace tastavia {

// Runs make, which creates a file and gives its path ("" when it made none), with the
// signals below held back, and tracks the path; returns it. A path too long for a
// slot, or one more than the slots hold, is made but not tracked.
std::string MakeScratchFile(const std::function<std::string()>& make);
// The file is no longer scratch: deleted, renamed, or the caller's to keep.
void UntrackScratchFile(const std::string& path);

// From now on SIGINT, SIGTERM and SIGHUP delete every tracked file, then end the
// program as the signal would have.
void RemoveScratchFilesOnSignals();

}  // namespace tastavia
