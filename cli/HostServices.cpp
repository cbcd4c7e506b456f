#include <cstdlib>

#include "CliServices.h"
#include "platform/portable/EmbeddedResources.h"
#include "platform/portable/PortableProfileFile.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"

namespace tastavia::cli {

namespace {

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    if (path.back() != '/') path += '/';
    return path;
}

struct HostServices : Services {
    PosixFiles files_{"/", TempDirectory()};
    PortableProfileFile profile_{files_};
    PosixClock clock_;
    EmbeddedResources resources_;

    Files& files() override { return files_; }
    ProfileFile& profile() override { return profile_; }
    Clock& clock() override { return clock_; }
    Resources& resources() override { return resources_; }
};

}  // namespace

std::unique_ptr<Services> MakeServices() { return std::make_unique<HostServices>(); }

}  // namespace tastavia::cli
