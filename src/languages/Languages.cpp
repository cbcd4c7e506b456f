#include "languages/Languages.h"

#include "platform/Errors.h"
#include "registry/LayoutRegistry.h"

namespace tastavia {

namespace {

constexpr int kParkingTries = 100;

}  // namespace

bool LayoutKeyMover::Exists(const std::string& keyName) {
    return registry_.KeyExists(RootKey::LocalMachine, LayoutKeyPath(keyName));
}

bool LayoutKeyMover::Rename(const std::string& from, const std::string& to) {
    if (!Exists(from) || Exists(to)) return false;
    if (!registry_.MoveKey(RootKey::LocalMachine, LayoutKeyPath(from), LayoutKeyPath(to)))
        throw RegistryError("Cannot rename the layout key " + from + " to " + to);
    return true;
}

std::string LayoutKeyMover::MoveToFreeNumber(const std::string& keyName) {
    std::optional<std::string> target = FreeLayoutKeyName(registry_);
    if (!target) throw RegistryError("No free layout key name for " + keyName);
    Rename(keyName, *target);
    return *target;
}

// A name left over from a swap that never finished must not stop the next one.
std::string LayoutKeyMover::FreeName(const std::string& prefix) {
    for (int n = 1; n <= kParkingTries; ++n) {
        std::string name = n == 1 ? prefix : prefix + std::to_string(n);
        if (!Exists(name)) return name;
    }
    throw RegistryError("No free name to park the layout key " + prefix);
}

void LayoutKeyMover::Swap(const std::string& languageId, const std::string& chosen) {
    // Every step must happen: one that does not, because the registry refused it or a
    // key looked missing or present when it should not, puts back what the earlier
    // steps moved.
    auto step = [this](const std::string& from, const std::string& to) {
        if (!Rename(from, to)) throw RegistryError("Cannot rename the layout key " + from + " to " + to);
    };
    std::string parked;
    if (Exists(languageId)) {
        parked = FreeName(languageId + "OLD");
        step(languageId, parked);
    }
    try {
        step(chosen, languageId);
    } catch (const RegistryError&) {
        if (!parked.empty()) registry_.MoveKey(RootKey::LocalMachine, LayoutKeyPath(parked), LayoutKeyPath(languageId));
        throw;
    }
    if (parked.empty()) return;
    try {
        step(parked, chosen);
    } catch (const RegistryError&) {
        registry_.MoveKey(RootKey::LocalMachine, LayoutKeyPath(languageId), LayoutKeyPath(chosen));
        registry_.MoveKey(RootKey::LocalMachine, LayoutKeyPath(parked), LayoutKeyPath(languageId));
        throw;
    }
}

}  // namespace tastavia
