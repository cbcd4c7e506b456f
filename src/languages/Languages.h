#pragma once
// The renames of keyboard-layout keys by which a language gets or loses its default
// layout.
#include <string>

#include "platform/Registry.h"

namespace tastavia {

// Renames of keys under the keyboard layouts key. A rename happens only when the source
// exists and the target does not; one that the registry refuses throws RegistryError
// after nothing has changed, so that no command reports a move that did not happen.
class LayoutKeyMover {
public:
    explicit LayoutKeyMover(Registry& registry) : registry_(registry) {}

    bool Exists(const std::string& keyName);
    // False when it did nothing because of the rule above.
    bool Rename(const std::string& from, const std::string& to);
    // Moves the key to the first free name of the 50, 60, 70 series and gives that name.
    std::string MoveToFreeNumber(const std::string& keyName);
    // Gives languageId's name to the chosen key, and the chosen key's name to the key
    // that had languageId's name, if there was one.
    void Swap(const std::string& languageId, const std::string& chosen);

private:
    std::string FreeName(const std::string& prefix);

    Registry& registry_;
};

}  // namespace tastavia
