#pragma once
// The platform services the command line uses, built for the system it runs on.
#include <memory>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/ProfileFile.h"
#include "platform/Resources.h"

namespace tastavia::cli {

struct Services {
    virtual ~Services() = default;
    virtual Files& files() = 0;
    virtual ProfileFile& profile() = 0;
    virtual Clock& clock() = 0;
    virtual Resources& resources() = 0;
};

std::unique_ptr<Services> MakeServices();

}  // namespace tastavia::cli
