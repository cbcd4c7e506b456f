#include "CliServices.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Services.h"

namespace tastavia::cli {

namespace {

struct Win32CliServices : Services {
    Win32Files files_;
    Win32ProfileFile profile_;
    Win32Clock clock_;
    Win32Resources resources_;

    Files& files() override { return files_; }
    ProfileFile& profile() override { return profile_; }
    Clock& clock() override { return clock_; }
    Resources& resources() override { return resources_; }
};

}  // namespace

std::unique_ptr<Services> MakeServices() { return std::make_unique<Win32CliServices>(); }

}  // namespace tastavia::cli
