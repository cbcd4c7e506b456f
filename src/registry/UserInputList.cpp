#include "registry/UserInputList.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "platform/Errors.h"
#include "registry/LayoutIds.h"
#include "registry/LayoutRegistry.h"
#include "text/Text.h"

namespace tastavia {

const char* const kUserProfileKey = "Control Panel\\International\\User Profile";

namespace {

const char* const kBulgarian = "0402";
const char* const kNoTip =
    "This Windows has no InstallLayoutOrTip in input.dll, through which the program changes your input list.";
const char* const kTipFailed = "Windows refused to put the layout into your input list.";
const char* const kTipRefusedOut = "Windows refused to take the layout out of your input list.";
const char* const kUnloadedOnly = "The layout was unloaded. Take it out in the system's language settings too.";
const char* const kLoadFailed = "Windows could not load the layout.";
const char* const kNoInput = "This Windows offers no input functions to this program.";
const char* const kInUseNow = "The layout is in your input list and loaded: Alt+Shift or the language bar switches to it.";
const char* const kLoadedOnly =
    "The layout is loaded until you sign out; to keep it, add it in the system's language settings.";
const char* const kStopped = "The layout is no longer in your input list.";

using Values = std::vector<std::pair<std::string, std::string>>;

bool SameName(const std::string& a, const std::string& b) { return UpperAscii(a) == UpperAscii(b); }

Values Snapshot(RegistryKey& key) {
    Values values;
    for (const std::string& name : key.ValueNames()) values.emplace_back(name, key.ReadString(name));
    return values;
}

// Puts the key's values back as they were; what cannot be put back stays as it is.
void Restore(RegistryKey& key, const Values& was) {
    try {
        for (const std::string& name : key.ValueNames())
            if (std::none_of(was.begin(), was.end(), [&](const auto& v) { return v.first == name; }))
                key.DeleteValue(name);
        for (const auto& [name, data] : was)
            if (!key.HasValue(name) || key.ReadString(name) != data) key.WriteString(name, data);
    } catch (const RegistryError&) {
    }
}

// A Preload slot: "1", "2", ... without leading zeros.
int SlotNumber(const std::string& name) {
    if (name.empty() || name.size() > 4 || name[0] == '0' ||
        name.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(name);
}

std::string Resolved(const Values& substitutes, const std::string& id) {
    for (const auto& [name, data] : substitutes)
        if (SameName(name, id)) return data;
    return id;
}

// The user's Preload and Substitutes, opened (made where missing) together, and put back
// as they were when a change fails part way.
struct Lists {
    std::unique_ptr<RegistryKey> preload, substitutes;
    Values preloadWas, substitutesWas;

    // Without create, a list that is missing stays missing and holds nothing.
    Lists(Registry& registry, bool create)
        : preload(registry.Open(RootKey::CurrentUser, kUserPreloadKey, create)),
          substitutes(registry.Open(RootKey::CurrentUser, kUserSubstitutesKey, create)) {
        if (create && (!preload || !substitutes)) throw RegistryError("Can't open your keyboard layout lists!");
        if (preload) preloadWas = Snapshot(*preload);
        if (substitutes) substitutesWas = Snapshot(*substitutes);
    }
    void Undo() {
        if (preload) Restore(*preload, preloadWas);
        if (substitutes) Restore(*substitutes, substitutesWas);
    }
    // The numbered Preload entries in their order.
    std::vector<std::pair<int, std::string>> Slots() const {
        std::vector<std::pair<int, std::string>> slots;
        for (const auto& [name, data] : preloadWas)
            if (int n = SlotNumber(name)) slots.emplace_back(n, data);
        std::sort(slots.begin(), slots.end());
        return slots;
    }
    bool Names(const std::string& id, const std::string& keyName) const {
        return SameName(Resolved(substitutesWas, id), keyName);
    }
};

void Check(bool done) {
    if (!done) throw RegistryError("Can't change your keyboard layout lists!");
}

}  // namespace

InputListKind InputListKindOf(const OsVersionInfo& os) {
    if (os.platformId != 2) return InputListKind::None;
    return os.major >= 6 ? InputListKind::Profile : InputListKind::Preload;
}

std::vector<std::string> ProfileLayoutKeys(Registry& registry) {
    std::vector<std::string> keys;
    auto profile = registry.OpenForReading(RootKey::CurrentUser, kUserProfileKey);
    if (!profile) return keys;
    for (const std::string& language : profile->SubKeyNames()) {
        auto values = registry.OpenForReading(RootKey::CurrentUser, std::string(kUserProfileKey) + "\\" + language);
        if (!values) continue;
        for (const std::string& name : values->ValueNames())
            if (name.size() == 13 && name.compare(0, 5, "0402:") == 0 && IsLayoutId(name.substr(5)))
                keys.push_back(name.substr(5));
    }
    return keys;
}

std::uint32_t LayoutHandle(const std::string& layoutId) {
    if (!IsLayoutIdValue(layoutId)) return 0;
    const std::uint32_t id = static_cast<std::uint32_t>(std::stoul(layoutId, nullptr, 16));
    return (0xF000u | (id & 0x0FFFu)) << 16 | 0x0402u;
}

void UserInputList::AddToPreload(const std::string& keyName) {
    Lists lists(registry_, true);
    const auto slots = lists.Slots();
    if (std::any_of(slots.begin(), slots.end(), [&](const auto& s) { return lists.Names(s.second, keyName); })) return;
    // The system's own settings name a second layout of a language d001 + language,
    // d002 + language, ...: the first such name that neither list holds.
    std::string id;
    for (int n = 1; n <= 0xfff && id.empty(); ++n) {
        char candidate[16];
        std::snprintf(candidate, sizeof candidate, "d%03x%s", n, kBulgarian);
        const bool taken =
            std::any_of(lists.substitutesWas.begin(), lists.substitutesWas.end(),
                        [&](const auto& v) { return SameName(v.first, candidate); }) ||
            std::any_of(lists.preloadWas.begin(), lists.preloadWas.end(),
                        [&](const auto& v) { return SameName(v.second, candidate); });
        if (!taken) id = candidate;
    }
    if (id.empty()) throw RegistryError("Your keyboard layout list is full!");
    const int next = slots.empty() ? 1 : slots.back().first + 1;
    try {
        lists.substitutes->WriteString(id, keyName);
        lists.preload->WriteString(std::to_string(next), id);
    } catch (const RegistryError&) {
        lists.Undo();
        throw;
    }
}

void UserInputList::Forget(const std::string& keyName) {
    Lists lists(registry_, false);
    std::vector<std::string> kept;
    bool changed = false;
    for (const auto& slot : lists.Slots()) {
        if (lists.Names(slot.second, keyName)) changed = true;
        else kept.push_back(slot.second);
    }
    try {
        if (changed) {
            // Renumbered from 1 without a gap; slots past the end go.
            for (std::size_t i = 0; i < kept.size(); ++i) {
                const std::string name = std::to_string(i + 1);
                if (!lists.preload->HasValue(name) || lists.preload->ReadString(name) != kept[i])
                    lists.preload->WriteString(name, kept[i]);
            }
            for (const auto& [name, data] : lists.preloadWas)
                if (SlotNumber(name) > static_cast<int>(kept.size())) Check(lists.preload->DeleteValue(name));
        }
        for (const auto& [name, data] : lists.substitutesWas)
            if (SameName(data, keyName)) Check(lists.substitutes->DeleteValue(name));
    } catch (const RegistryError&) {
        lists.Undo();
        throw;
    }
}

InputListOutcome UserInputList::UseNow(const std::string& keyName) {
    if (kind_ == InputListKind::None) return {};
    if (!input_) return {false, kNoInput};
    if (kind_ == InputListKind::Profile) {
        switch (input_->InstallLayoutOrTip(std::string(kBulgarian) + ":" + keyName, false)) {
            case KeyboardInput::TipResult::Failed: return {false, kTipFailed};
            case KeyboardInput::TipResult::Missing:
                // Still typed with in this sign-in.
                return input_->LoadLayout(keyName) ? InputListOutcome{false, std::string(kNoTip) + "\r" + kLoadedOnly}
                                                   : InputListOutcome{false, kNoTip};
            case KeyboardInput::TipResult::Done: break;
        }
    } else {
        AddToPreload(keyName);
    }
    if (!input_->LoadLayout(keyName)) return {false, kLoadFailed};
    return {true, kInUseNow};
}

InputListOutcome UserInputList::Unload(const std::string& layoutId, const std::string& done) {
    const std::uint32_t handle = LayoutHandle(layoutId);
    for (std::uint32_t loaded : input_->LoadedLayouts())
        if (handle && loaded == handle) input_->UnloadLayout(loaded);
    return {true, done};
}

InputListOutcome UserInputList::StopUsing(const std::string& keyName, const std::string& layoutId) {
    if (kind_ == InputListKind::None) return {};
    if (!input_) return {false, kNoInput};
    if (kind_ == InputListKind::Profile) {
        switch (input_->InstallLayoutOrTip(std::string(kBulgarian) + ":" + keyName, true)) {
            case KeyboardInput::TipResult::Failed: return {false, kTipRefusedOut};
            case KeyboardInput::TipResult::Missing:
                Forget(keyName);
                Unload(layoutId, "");
                return {false, std::string(kNoTip) + "\r" + kUnloadedOnly};
            case KeyboardInput::TipResult::Done: break;
        }
    }
    // Vista and 7 keep the list in Preload too; nothing there may name it any more.
    Forget(keyName);
    return Unload(layoutId, kStopped);
}

}  // namespace tastavia
