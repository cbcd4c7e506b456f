#pragma once
// The platform of the host build in one piece: real files, our own profile-file engine,
// the embedded resources. A host has no Windows registry and no Windows version: an
// empty registry in memory and a version that names no Windows stand in for them.
#include <string>

#include "platform/Platform.h"
#include "platform/memory/FixedOsVersion.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/portable/EmbeddedResources.h"
#include "platform/portable/PortableProfileFile.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"

namespace tastavia {

// $TMPDIR, or /tmp, ending in '/'.
std::string HostTempPath();

struct HostPlatform {
    explicit HostPlatform(const std::string& windowsDirectory = "/", const std::string& tempPath = HostTempPath())
        : files(windowsDirectory, tempPath) {}
    HostPlatform(const HostPlatform&) = delete;
    HostPlatform& operator=(const HostPlatform&) = delete;

    PosixFiles files;
    PortableProfileFile profile{files};
    PosixClock clock;
    EmbeddedResources resources;
    FixedOsVersion osVersion;
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
};

}  // namespace tastavia
