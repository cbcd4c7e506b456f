#include "registry/LayoutRegistry.h"

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

std::optional<std::string> FreeLayoutKeyName(Registry& registry) {
    for (int n = kFirstLayoutNumber; n <= kLastLayoutNumber; n += kLayoutNumberStep) {
        std::string name = LayoutKeyName(n);
        if (!registry.KeyExists(RootKey::LocalMachine, LayoutKeyPath(name))) return name;
    }
    return std::nullopt;
}

BaseKind BaseKindOf(const std::string& layoutText) {
    const std::string upper = UpperAscii(layoutText);
    if (upper == "BULGARIAN") return BaseKind::Main;
    if (upper == "BULGARIAN (LATIN)") return BaseKind::Latin;
    return BaseKind::None;
}

std::optional<InstalledLayout> ReadInstalledLayout(Registry& registry, const std::string& keyName) {
    auto key = registry.OpenForReading(RootKey::LocalMachine, LayoutKeyPath(keyName));
    if (!key) return std::nullopt;
    return InstalledLayout{keyName, key->ReadString("layout text"), key->ReadString("layout file"),
                           key->ReadString("layout id")};
}

std::vector<InstalledLayout> ReadInstalledLayouts(Registry& registry) {
    std::vector<std::string> names;
    if (auto layouts = registry.OpenForReading(RootKey::LocalMachine, kKeyboardLayoutsKey))
        names = layouts->SubKeyNames();
    std::vector<InstalledLayout> installed;
    for (const std::string& name : names) {
        if (!IsBulgarianId(name)) continue;
        if (std::optional<InstalledLayout> layout = ReadInstalledLayout(registry, name))
            installed.push_back(std::move(*layout));
    }
    return installed;
}

std::vector<LocaleLanguage> BulgarianLanguages(Registry& registry) {
    std::vector<LocaleLanguage> languages;
    if (auto locale = registry.OpenForReading(RootKey::LocalMachine, kLocaleKey))
        for (const std::string& id : locale->ValueNames())
            if (id.size() >= 8 && id.compare(5, 3, "402") == 0) languages.push_back({id, locale->ReadString(id)});
    return languages;
}

}  // namespace tastavia
