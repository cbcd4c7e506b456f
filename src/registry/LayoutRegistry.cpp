#include "registry/LayoutRegistry.h"

#include <string>

#include "text/Text.h"

namespace tastavia {

const char* const kKeyboardLayoutsKey = "System\\CurrentControlSet\\Control\\keyboard layouts\\";
const char* const kLocaleKey = "System\\CurrentControlSet\\Control\\Nls\\Locale";
const char* const kUsersPreloadKey = ".DEFAULT\\keyboard layout\\preload";
const char* const kUsersSubstitutesKey = ".DEFAULT\\keyboard layout\\substitutes\\";
const char* const kUserPreloadKey = "keyboard layout\\preload";
const char* const kUserSubstitutesKey = "keyboard layout\\substitutes\\";

namespace {

constexpr int kFirstLayoutNumber = 50;
constexpr int kLayoutNumberStep = 10;
constexpr int kLastLayoutNumber = 9990;  // the last one whose 8-character name begins with "0"

}  // namespace

bool IsLayoutId(const std::string& name) {
    return name.size() == 8 && name.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

bool IsBulgarianId(const std::string& name) { return IsLayoutId(name) && name.compare(5, 3, "402") == 0; }

std::string LayoutKeyPath(const std::string& keyName) { return kKeyboardLayoutsKey + keyName; }

std::string LayoutKeyName(int n) {
    std::string digits = std::to_string(n) + "402";
    return digits.size() < 8 ? std::string(8 - digits.size(), '0') + digits : digits;
}

std::optional<std::string> FreeLayoutKeyName(const std::vector<std::string>& keyNames) {
    // Only names of the series can be taken; each marks its number.
    std::vector<bool> taken(kLastLayoutNumber / kLayoutNumberStep + 1, false);
    for (const std::string& name : keyNames) {
        if (name.size() != 8 || name[0] != '0' || name.compare(5, 3, "402") != 0) continue;
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const int n = std::stoi(name.substr(0, 5));
        if (n >= kFirstLayoutNumber && n % kLayoutNumberStep == 0)
            taken[static_cast<std::size_t>(n / kLayoutNumberStep)] = true;
    }
    for (int n = kFirstLayoutNumber; n <= kLastLayoutNumber; n += kLayoutNumberStep)
        if (!taken[static_cast<std::size_t>(n / kLayoutNumberStep)]) return LayoutKeyName(n);
    return std::nullopt;
}

std::optional<std::string> FreeLayoutKeyName(Registry& registry) {
    std::vector<std::string> names;
    if (auto layouts = registry.OpenForReading(RootKey::LocalMachine, kKeyboardLayoutsKey))
        names = layouts->SubKeyNames();
    return FreeLayoutKeyName(names);
}

BaseKind BaseKindOf(const std::string& layoutText) {
    static const std::string mainText = "BULGARIAN", latinText = "BULGARIAN (LATIN)";
    if (SameAscii(layoutText, mainText)) return BaseKind::Main;
    if (SameAscii(layoutText, latinText)) return BaseKind::Latin;
    return BaseKind::None;
}

namespace {

// A Bulgarian key's text is shown; of the others only the file and id are looked at.
InstalledLayout ReadLayoutKey(RegistryKey& key, const std::string& keyName, bool withText, bool withId) {
    InstalledLayout layout{keyName, "", key.ReadString("layout file")};
    if (withId) layout.layoutId = key.ReadString("layout id");
    if (withText) layout.text = key.ReadString("layout text");
    return layout;
}

// A name that is no key name would open some other key beneath.
bool IsKeyName(const std::string& name) { return !name.empty() && name.find('\\') == std::string::npos; }

// The keys by the names known, or nothing once the count differs or a name does not open.
bool ReadKnownKeys(RegistryKey& layouts, const std::vector<std::string>& known, RegisteredLayouts& keys) {
    if (known.empty() || layouts.SubKeyCount() != known.size()) return false;
    keys.layouts.reserve(known.size());
    for (const std::string& name : known) {
        if (!IsKeyName(name)) continue;
        auto key = layouts.OpenSubKeyForReading(name);
        if (!key) return false;
        keys.layouts.push_back(ReadLayoutKey(*key, name, IsBulgarianId(name), keys.idsRead));
    }
    keys.names = known;
    return true;
}

RegisteredLayouts ReadKeys(Registry& registry, bool bulgarianOnly, bool withIds,
                           const std::vector<std::string>& known = {}) {
    RegisteredLayouts keys;
    keys.idsRead = withIds;
    auto layouts = registry.OpenForReading(RootKey::LocalMachine, kKeyboardLayoutsKey);
    if (!layouts) return keys;
    if (ReadKnownKeys(*layouts, known, keys)) return keys;
    keys.layouts.clear();
    keys.names = layouts->SubKeyNames();
    keys.layouts.reserve(keys.names.size());
    for (const std::string& name : keys.names) {
        if (!IsKeyName(name) || (bulgarianOnly && !IsBulgarianId(name))) continue;
        if (auto key = layouts->OpenSubKeyForReading(name))
            keys.layouts.push_back(ReadLayoutKey(*key, name, IsBulgarianId(name), withIds));
    }
    return keys;
}

}  // namespace

std::optional<InstalledLayout> ReadInstalledLayout(Registry& registry, const std::string& keyName) {
    auto key = registry.OpenForReading(RootKey::LocalMachine, LayoutKeyPath(keyName));
    if (!key) return std::nullopt;
    return ReadLayoutKey(*key, keyName, true, true);
}

std::optional<InstalledLayout> ReadInstalledLayout(RegistryKey& layouts, const std::string& keyName) {
    auto key = layouts.OpenSubKeyForReading(keyName);
    if (!key) return std::nullopt;
    return ReadLayoutKey(*key, keyName, true, true);
}

RegisteredLayouts ReadRegisteredLayouts(Registry& registry, bool withIds, const std::vector<std::string>& known) {
    return ReadKeys(registry, false, withIds, known);
}

void ReadLayoutIds(Registry& registry, RegisteredLayouts& keys) {
    if (keys.idsRead) return;
    keys.idsRead = true;
    auto layouts = registry.OpenForReading(RootKey::LocalMachine, kKeyboardLayoutsKey);
    if (!layouts) return;
    for (InstalledLayout& layout : keys.layouts)
        if (auto key = layouts->OpenSubKeyForReading(layout.keyName)) layout.layoutId = key->ReadString("layout id");
}

std::vector<InstalledLayout> ReadInstalledLayouts(Registry& registry) {
    return ReadKeys(registry, true, true).layouts;
}

std::vector<LocaleLanguage> BulgarianLanguages(Registry& registry) {
    std::vector<LocaleLanguage> languages;
    if (auto locale = registry.OpenForReading(RootKey::LocalMachine, kLocaleKey))
        for (const std::string& id : locale->ValueNames())
            if (id.size() >= 8 && id.compare(5, 3, "402") == 0) languages.push_back({id, locale->ReadString(id)});
    return languages;
}

}  // namespace tastavia
