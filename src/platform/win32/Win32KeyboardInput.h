#pragma once
// The input functions of user32, and InstallLayoutOrTip of input.dll where it exists.
#include "platform/KeyboardInput.h"

namespace tastavia {

class Win32KeyboardInput : public KeyboardInput {
public:
    std::uint32_t LoadLayout(const std::string& keyName) override;
    bool UnloadLayout(std::uint32_t handle) override;
    std::vector<std::uint32_t> LoadedLayouts() override;
    TipResult InstallLayoutOrTip(const std::string& list, bool uninstall) override;
};

}  // namespace tastavia
