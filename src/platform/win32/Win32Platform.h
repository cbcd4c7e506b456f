#pragma once
// The platform of a real Windows in one piece, for the programs' composition roots.
#include "platform/Platform.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32KeyboardInput.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Services.h"

namespace tastavia {

struct Win32Platform {
    Win32Platform() = default;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    Win32OsVersion osVersion;
    Win32Registry registry;
    Win32KeyboardInput input;
    Platform platform{files, profile, clock, resources, osVersion, registry, &input};
};

}  // namespace tastavia
