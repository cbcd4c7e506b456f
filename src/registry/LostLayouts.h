#pragma once
// Lost layouts: libraries of ours left in the system folders that no layout key names,
// as after a Windows update resets the keyboard layouts key, and registering them again.
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "registry/Catalogue.h"
#include "registry/Installer.h"

namespace tastavia {

struct LostLayout {
    std::string fileName;
    std::string reason;  // why it cannot be registered again; empty when it can
};

// The libraries of the target system's kind, proven ours by their shape, that no record
// names: on 64-bit Windows both copies, a lone copy with the reason.
std::vector<LostLayout> FindLostLayouts(Files& files, const TargetSystem& system, const std::string& systemDirectory,
                                        const std::vector<CatalogueRecord>& records);

// The name offered for a lost layout: its file name without the extension.
std::string DefaultLostLayoutName(const std::string& fileName);

// Registers a lost layout under a fresh layout key and a layout id none of layoutIds
// holds; the key name, or the reason it could not be done. A value that cannot be
// written takes the key with it and throws RegistryError.
struct Registered {
    std::string keyName;
    std::string failure;
};
Registered RegisterLostLayout(Registry& registry, const std::string& name, const std::string& fileName,
                              const std::vector<std::string>& layoutIds);

}  // namespace tastavia
