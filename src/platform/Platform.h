#pragma once
// Everything the logic asks of the operating system, passed down as one bundle.
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/KeyboardInput.h"
#include "platform/OsVersion.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "platform/Resources.h"

namespace tastavia {

struct Platform {
    Files& files;
    ProfileFile& profile;
    Clock& clock;
    Resources& resources;
    OsVersion& osVersion;
    Registry& registry;
    // The current sign-in's input functions; none where there is no such thing.
    KeyboardInput* input = nullptr;
};

}  // namespace tastavia
