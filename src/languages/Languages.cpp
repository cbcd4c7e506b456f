#include "languages/Languages.h"

#include "platform/Errors.h"
#include "registry/Catalogue.h"
#include "registry/Installer.h"

namespace tastavia {

const char* const kPreloadKey = ".DEFAULT\\keyboard layout\\preload";

namespace {

constexpr int kFirstFreeNumber = 50;
constexpr int kFreeNumberStep = 10;
constexpr int kLastFreeNumber = 9990;  // as the install search goes
constexpr int kParkingTries = 100;

// The Cyrillic letters of Windows-1251 outside the two alphabet blocks: lower, upper.
constexpr unsigned char kOtherCyrillic[][2] = {
    {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F}, {0xA2, 0xA1},
    {0xB3, 0xB2}, {0xB4, 0xA5}, {0xB8, 0xA8}, {0xBA, 0xAA}, {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
};

unsigned char Upper(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || c >= 0xE0) return static_cast<unsigned char>(c - 0x20);
    for (const auto& pair : kOtherCyrillic)
        if (pair[0] == c) return pair[1];
    return c;
}

std::string LayoutPath(const std::string& keyName) { return kKeyboardLayoutsKey + keyName; }

}  // namespace

std::string UpperCase1251(std::string text) {
    for (char& c : text) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<LocaleLanguage> BulgarianLanguages(Registry& registry) {
    std::vector<LocaleLanguage> languages;
    if (auto locale = registry.Open(RootKey::LocalMachine, kLocaleKey, false))
        for (const std::string& id : locale->ValueNames())
            if (IsBulgarianId(id)) languages.push_back({id, locale->ReadString(id)});
    return languages;
}

bool LayoutKeyMover::Exists(const std::string& keyName) {
    return registry_.KeyExists(RootKey::LocalMachine, LayoutPath(keyName));
}

bool LayoutKeyMover::Rename(const std::string& from, const std::string& to) {
    if (!Exists(from) || Exists(to)) return false;
    if (!registry_.MoveKey(RootKey::LocalMachine, LayoutPath(from), LayoutPath(to)))
        throw RegistryError("Cannot rename the layout key " + from + " to " + to);
    return true;
}

void LayoutKeyMover::MoveToFreeNumber(const std::string& keyName) {
    for (int n = kFirstFreeNumber; n <= kLastFreeNumber; n += kFreeNumberStep) {
        std::string target = LayoutKeyName(n);
        if (!Exists(target)) {
            Rename(keyName, target);
            return;
        }
    }
    throw RegistryError("No free layout key name for " + keyName);
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
    std::string parked;
    if (Exists(languageId)) {
        parked = FreeName(languageId + "OLD");
        Rename(languageId, parked);
    }
    // A step the registry refuses puts back what the earlier steps moved.
    try {
        Rename(chosen, languageId);
    } catch (const RegistryError&) {
        if (!parked.empty()) registry_.MoveKey(RootKey::LocalMachine, LayoutPath(parked), LayoutPath(languageId));
        throw;
    }
    if (parked.empty()) return;
    try {
        Rename(parked, chosen);
    } catch (const RegistryError&) {
        registry_.MoveKey(RootKey::LocalMachine, LayoutPath(languageId), LayoutPath(chosen));
        registry_.MoveKey(RootKey::LocalMachine, LayoutPath(parked), LayoutPath(languageId));
        throw;
    }
}

}  // namespace tastavia
