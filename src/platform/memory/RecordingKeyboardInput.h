#pragma once
// Input functions that record every call and keep a list of loaded layouts, for tests.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/KeyboardInput.h"
#include "platform/Registry.h"

namespace tastavia {

class RecordingKeyboardInput : public KeyboardInput {
public:
    // Handles are made from the layouts' ids in registry, as Windows makes them.
    explicit RecordingKeyboardInput(Registry& registry) : registry_(registry) {}

    std::uint32_t LoadLayout(const std::string& keyName) override {
        calls.push_back("Load " + keyName);
        if (failLoad) return 0;
        const std::uint32_t handle = HandleOf(keyName);
        if (!handle) return 0;
        if (std::find(loaded.begin(), loaded.end(), handle) == loaded.end()) loaded.push_back(handle);
        return handle;
    }
    bool UnloadLayout(std::uint32_t handle) override {
        calls.push_back("Unload " + std::to_string(handle));
        auto at = std::find(loaded.begin(), loaded.end(), handle);
        if (at == loaded.end()) return false;
        loaded.erase(at);
        return true;
    }
    std::vector<std::uint32_t> LoadedLayouts() override { return loaded; }
    TipResult InstallLayoutOrTip(const std::string& list, bool uninstall) override {
        calls.push_back(std::string(uninstall ? "Uninstall " : "Install ") + list);
        return tip;
    }

    // 0xF000 | "layout id" in the high word, the language below; 0 without a valid id.
    std::uint32_t HandleOf(const std::string& keyName) {
        auto key = registry_.OpenForReading(RootKey::LocalMachine,
                                            "System\\CurrentControlSet\\Control\\keyboard layouts\\" + keyName);
        const std::string id = key ? key->ReadString("layout id") : "";
        if (id.size() != 4 || id.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return 0;
        return (0xF000u | (static_cast<std::uint32_t>(std::stoul(id, nullptr, 16)) & 0x0FFFu)) << 16 | 0x0402u;
    }

    std::vector<std::string> calls;
    std::vector<std::uint32_t> loaded;
    TipResult tip = TipResult::Done;
    bool failLoad = false;

private:
    Registry& registry_;
};

}  // namespace tastavia
