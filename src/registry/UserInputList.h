#pragma once
// The current user's input list: putting an installed layout into it and loading it at
// once ("use it now"), taking it out again ("stop using it"), and forgetting a deleted
// layout. Windows 2000 and XP keep the list in the user's Preload and Substitutes keys;
// Vista and later take it through InstallLayoutOrTip; Windows 9x has its own dialogs.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/KeyboardInput.h"
#include "platform/OsVersion.h"
#include "platform/Registry.h"

namespace tastavia {

extern const char* const kUserProfileKey;  // HKEY_CURRENT_USER: Windows 8 and later

enum class InputListKind { None, Preload, Profile };  // Windows 9x; 2000 and XP; Vista and later
InputListKind InputListKindOf(const OsVersionInfo& os);

// The layout key names the Windows 8 and later language profile lists for Bulgarian
// (values "0402:<layout key>" under each language), in the registry's order.
std::vector<std::string> ProfileLayoutKeys(Registry& registry);

// The handle Windows gives a layout whose key is no plain language id, from its layout
// id: 0xF000 | id in the high word, the language below; 0 for a value that is no id.
std::uint32_t LayoutHandle(const std::string& layoutId);

// What an action tells the user, and whether it did what was asked.
struct InputListOutcome {
    bool done = false;
    std::string message;
};

class UserInputList {
public:
    // input may be null: this sign-in offers no input functions.
    UserInputList(Registry& registry, KeyboardInput* input, InputListKind kind)
        : registry_(registry), input_(input), kind_(kind) {}

    bool Offered() const { return kind_ != InputListKind::None; }
    // Puts the layout into the user's list and loads it for this sign-in.
    InputListOutcome UseNow(const std::string& keyName);
    // Takes the layout out of the user's list and unloads it.
    InputListOutcome StopUsing(const std::string& keyName, const std::string& layoutId);
    // Removes every entry of the user's Preload and Substitutes naming the layout, with
    // the Preload list renumbered; throws RegistryError with the lists as they were.
    void Forget(const std::string& keyName);

private:
    // Adds the layout to Preload as a second layout of Bulgarian, through a substitute.
    void AddToPreload(const std::string& keyName);
    InputListOutcome Unload(const std::string& layoutId, const std::string& done);

    Registry& registry_;
    KeyboardInput* input_;
    InputListKind kind_;
};

}  // namespace tastavia
