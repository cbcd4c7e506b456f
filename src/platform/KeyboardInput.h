#pragma once
// The input functions of the current sign-in: loading a keyboard layout so that the
// user can switch to it at once, unloading it, the layouts loaded now, and Windows
// Vista's and later's way of putting a layout into the user's language settings.
#include <cstdint>
#include <string>
#include <vector>

namespace tastavia {

class KeyboardInput {
public:
    virtual ~KeyboardInput() = default;
    // LoadKeyboardLayout with KLF_ACTIVATE of a layout key name; the handle, 0 on failure.
    virtual std::uint32_t LoadLayout(const std::string& keyName) = 0;
    // UnloadKeyboardLayout; false when it failed.
    virtual bool UnloadLayout(std::uint32_t handle) = 0;
    // GetKeyboardLayoutList: the handles loaded now.
    virtual std::vector<std::uint32_t> LoadedLayouts() = 0;
    // InstallLayoutOrTip of input.dll with a list such as "0402:00050402", taking it out
    // again with uninstall (ILOT_UNINSTALL).
    enum class TipResult { Done, Failed, Missing };  // Missing: no input.dll or no such function
    virtual TipResult InstallLayoutOrTip(const std::string& list, bool uninstall) = 0;
};

}  // namespace tastavia
