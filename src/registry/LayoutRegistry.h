#pragma once
// Where Windows keeps keyboard layouts and input languages, and the rules for their
// names: every registry path and naming rule the program uses lives here.
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace tastavia {

extern const char* const kKeyboardLayoutsKey;   // HKEY_LOCAL_MACHINE; ends in a backslash
extern const char* const kLocaleKey;            // HKEY_LOCAL_MACHINE: the locale list
extern const char* const kUsersPreloadKey;      // HKEY_USERS: Windows 9x's loaded languages
extern const char* const kUsersSubstitutesKey;  // HKEY_USERS, Windows 9x; ends in a backslash
extern const char* const kUserPreloadKey;       // HKEY_CURRENT_USER: Windows 2000 and XP
extern const char* const kUserSubstitutesKey;   // HKEY_CURRENT_USER, Windows 2000 and XP

// Eight hexadecimal digits: the only layout key names and language ids that a key path
// is built from. A value name may hold anything, "abcde402\\sub" too.
bool IsLayoutId(const std::string& name);
// A layout id whose characters 6 to 8 are "402", as for everything Bulgarian.
bool IsBulgarianId(const std::string& name);
// The key of a layout under the keyboard layouts key, from HKEY_LOCAL_MACHINE.
std::string LayoutKeyPath(const std::string& keyName);
// The layout key name for N: decimal N and "402", padded with "0" to 8 characters.
std::string LayoutKeyName(int n);
// The first name of the 50, 60, 70 ... series that is not among the names of the keys
// under the keyboard layouts key (any case); nothing once the 8-character names run out.
std::optional<std::string> FreeLayoutKeyName(const std::vector<std::string>& keyNames);
// The same over the keys as the registry lists them now.
std::optional<std::string> FreeLayoutKeyName(Registry& registry);

// The system's own Bulgarian layouts, by their layout text in any ASCII case.
enum class BaseKind { None, Main, Latin };  // "Bulgarian", "Bulgarian (Latin)"
BaseKind BaseKindOf(const std::string& layoutText);

// A layout registered under the keyboard layouts key, with its values as read; a
// missing value reads as empty.
struct InstalledLayout {
    std::string keyName;
    std::string text;      // "layout text"
    std::string file;      // "layout file"
    std::string layoutId{};  // "layout id": which layout of its language Windows takes it for
};

// Every key under the keyboard layouts key, each opened and read once: what the
// catalogue shows, whose files the installer must not take, which names and ids are taken.
struct RegisteredLayouts {
    std::vector<std::string> names;       // every key the registry lists, opened or not
    std::vector<InstalledLayout> layouts;  // the keys that opened, in the same order; the
                                           // "layout text" is read for Bulgarian ones only
    bool idsRead = false;                  // and "layout id" for every one
};
// withIds: the "layout id" of every key too, which only a step that gives out a new id
// needs; the others spare a value read per key. known: the names a read before found.
// While the keyboard layouts key has as many keys as that and each of them still opens,
// no key can have come or gone, and the keys are opened by those names without listing
// them again; otherwise they are listed.
RegisteredLayouts ReadRegisteredLayouts(Registry& registry, bool withIds, const std::vector<std::string>& known = {});
// The ids of keys read without them: each key opened again for its "layout id" only.
void ReadLayoutIds(Registry& registry, RegisteredLayouts& keys);

// The layout whose key has this name, or nothing when the key cannot be opened.
std::optional<InstalledLayout> ReadInstalledLayout(Registry& registry, const std::string& keyName);
// The same from the keyboard layouts key opened once for many.
std::optional<InstalledLayout> ReadInstalledLayout(RegistryKey& layouts, const std::string& keyName);
// The Bulgarian layouts in the order the registry lists their keys; keys that cannot be
// opened are left out.
std::vector<InstalledLayout> ReadInstalledLayouts(Registry& registry);

// One value under the locale list.
struct LocaleLanguage {
    std::string id;    // the value name
    std::string name;  // its data
};

// The languages whose names have "402" as characters 6 to 8, in the registry's order,
// also those whose name is no layout id (to be shown, never to build a key path from);
// none when the locale list cannot be opened.
std::vector<LocaleLanguage> BulgarianLanguages(Registry& registry);

}  // namespace tastavia
