#include "layout/LayoutCheck.h"

#include <algorithm>
#include <optional>

#include "layout/Charset.h"

namespace tastavia {

namespace {

constexpr std::uint8_t kSmallA = 0xE0;      // а; the lower case runs to я (0xFF)
constexpr std::uint8_t kSmallYeru = 0xFB;   // ы, Russian
constexpr std::uint8_t kSmallE = 0xFD;      // э, Russian
constexpr std::uint8_t kCaseDistance = 0x20;
constexpr std::uint8_t kUnassigned = 0x98;  // no character in Windows-1251

struct Place {
    KeyNumber key;
    ShiftState shift;
};

using Places = std::array<std::vector<Place>, 256>;

Places PlacesOf(const LayoutKeys& keys) {
    Places places;
    for (const KeyInfo& info : KeyTable())
        for (ShiftState shift : {ShiftState::Unshifted, ShiftState::Shifted})
            places[At(keys, info.number).Char(shift)].push_back({info.number, shift});
    return places;
}

bool IsControl(std::uint8_t c) { return (c != 0 && c < 32) || c == 127 || c == kUnassigned; }

std::optional<std::uint8_t> UpperCaseOf(std::uint8_t c) {
    const std::uint16_t u = Cp1251ToUnicode(c);
    std::uint16_t upper = 0;
    if ((u >= 'a' && u <= 'z') || (u >= 0x0430 && u <= 0x044F)) upper = static_cast<std::uint16_t>(u - 0x20);
    else if (u >= 0x0450 && u <= 0x045F) upper = static_cast<std::uint16_t>(u - 0x50);
    else if (u == 0x0491) upper = 0x0490;
    else return std::nullopt;
    for (unsigned b = 0; b < 256; ++b)
        if (Cp1251ToUnicode(static_cast<std::uint8_t>(b)) == upper) return static_cast<std::uint8_t>(b);
    return std::nullopt;
}

// Lower case unshifted and its own upper case shifted: the keys Caps Lock is made for.
bool IsLetterKey(const KeyChars& key) {
    std::optional<std::uint8_t> upper = UpperCaseOf(key.unshifted);
    return upper && *upper == key.shifted;
}

const char* LevelName(ShiftState shift) { return shift == ShiftState::Shifted ? "shifted" : "unshifted"; }

std::string ListOfKeys(const std::vector<KeyNumber>& keys) {
    std::string text;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) text += i + 1 == keys.size() ? " and " : ", ";
        text += KeyLabel(keys[i]);
    }
    return text;
}

std::string PairLabel(const KeyChars& key) { return "(" + CharLabel(key.unshifted) + ", " + CharLabel(key.shifted) + ")"; }

// The key's characters, without the NUL of an empty level.
std::string CharsOf(const KeyChars& key) {
    std::string chars;
    for (std::uint8_t c : {key.unshifted, key.shifted})
        if (c != 0) chars += static_cast<char>(c);
    return chars;
}

void CheckKeys(const LayoutKeys& keys, std::vector<Finding>& out) {
    for (const KeyInfo& info : KeyTable()) {
        const KeyChars& key = At(keys, info.number);
        const std::string label = KeyLabel(info.number) + ": ";
        if (key.unshifted == 0 || key.shifted == 0) {
            const char* what = key.unshifted == key.shifted ? "no character"
                               : key.unshifted == 0         ? "no unshifted character"
                                                            : "no shifted character";
            out.push_back({FindingKind::EmptyKey, info.number, "", label + what});
        }
        for (ShiftState shift : {ShiftState::Unshifted, ShiftState::Shifted}) {
            std::uint8_t c = key.Char(shift);
            if (IsControl(c))
                out.push_back({FindingKind::ControlCharacter, info.number, std::string(1, static_cast<char>(c)),
                               label + CharLabel(c) + " " + LevelName(shift)});
        }
    }
}

void CheckLetters(const LayoutKeys& keys, const Places& places, std::vector<Finding>& out) {
    for (unsigned lowerByte = kSmallA; lowerByte <= 0xFF; ++lowerByte) {
        const auto lower = static_cast<std::uint8_t>(lowerByte);
        if (lower == kSmallYeru || lower == kSmallE) continue;
        const auto upper = static_cast<std::uint8_t>(lower - kCaseDistance);
        const std::vector<Place>& lowers = places[lower];
        const std::vector<Place>& uppers = places[upper];
        const std::string pair{static_cast<char>(lower), static_cast<char>(upper)};
        if (lowers.empty() && uppers.empty()) {
            out.push_back({FindingKind::MissingLetter, 0, pair,
                           "letters " + CharLabel(lower) + " and " + CharLabel(upper) + " are on no key"});
        } else if (lowers.empty() || uppers.empty()) {
            std::uint8_t missing = lowers.empty() ? lower : upper;
            out.push_back({FindingKind::MissingLetter, 0, std::string(1, static_cast<char>(missing)),
                           "letter " + CharLabel(missing) + " is on no key"});
        } else {
            bool paired = std::any_of(keys.begin(), keys.end(),
                                      [&](const KeyChars& k) { return k.unshifted == lower && k.shifted == upper; });
            if (paired) continue;
            const Place& l = lowers.front();
            const Place& u = uppers.front();
            out.push_back({FindingKind::LetterCase, l.key, pair,
                           CharLabel(lower) + " is " + LevelName(l.shift) + " on " + KeyLabel(l.key) + " and " +
                               CharLabel(upper) + " " + LevelName(u.shift) + " on " + KeyLabel(u.key) +
                               "; they belong on one key, lower case unshifted and upper case shifted"});
        }
    }
}

void CheckDuplicates(const Places& places, std::vector<Finding>& out) {
    for (unsigned c = 1; c < 256; ++c) {
        std::vector<KeyNumber> onKeys;
        for (const Place& place : places[c])
            if (std::find(onKeys.begin(), onKeys.end(), place.key) == onKeys.end()) onKeys.push_back(place.key);
        if (onKeys.size() < 2) continue;
        const auto ch = static_cast<std::uint8_t>(c);
        out.push_back({FindingKind::DuplicateCharacter, onKeys.front(), std::string(1, static_cast<char>(ch)),
                       CharLabel(ch) + " is on " + ListOfKeys(onKeys)});
    }
}

// The convention is flag on letter keys and off elsewhere, unless the layout follows the
// reverse on most letter keys and on most other keys alike. A key whose two levels are
// equal is left out: the flag changes nothing there.
void CheckCaps(const LayoutKeys& keys, std::vector<Finding>& out) {
    int letterOn = 0, letterOff = 0, otherOn = 0, otherOff = 0;
    for (const KeyChars& key : keys) {
        if (key.unshifted == key.shifted) continue;
        (IsLetterKey(key) ? (key.caps ? letterOn : letterOff) : (key.caps ? otherOn : otherOff))++;
    }
    const bool reverse = letterOff > letterOn && otherOn > otherOff;
    for (const KeyInfo& info : KeyTable()) {
        const KeyChars& key = At(keys, info.number);
        const bool letter = IsLetterKey(key);
        if (key.unshifted == key.shifted || key.caps == (letter != reverse)) continue;
        std::string text = KeyLabel(info.number) + ": ";
        if (!reverse)
            text += letter ? "a letter key that Caps Lock does not act on " : "Caps Lock acts on it, but it is no letter key ";
        else
            text += letter ? "Caps Lock acts on this letter key, unlike most letter keys of the layout "
                           : "Caps Lock does not act on this key, unlike most keys of the layout that are no letter keys ";
        out.push_back({FindingKind::CapsFlag, info.number, CharsOf(key), text + PairLabel(key)});
    }
}

}  // namespace

std::vector<Finding> CheckLayout(const LayoutKeys& keys) {
    const Places places = PlacesOf(keys);
    std::vector<Finding> findings;
    CheckKeys(keys, findings);
    CheckLetters(keys, places, findings);
    CheckDuplicates(places, findings);
    CheckCaps(keys, findings);
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.key < b.key;
    });
    return findings;
}

const char* FindingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::EmptyKey: return "empty key";
        case FindingKind::ControlCharacter: return "control character";
        case FindingKind::MissingLetter: return "missing letter";
        case FindingKind::LetterCase: return "letter case";
        case FindingKind::DuplicateCharacter: return "duplicate character";
        case FindingKind::CapsFlag: return "Caps Lock";
    }
    return "";
}

std::string KeyLabel(KeyNumber k) { return "key " + std::to_string(k) + " (" + Key(k).physicalKey + ")"; }

std::string CharLabel(std::uint8_t c) {
    const std::string number = " (" + std::to_string(c) + ")";
    if (c == 0) return "nothing" + number;
    if (c == ' ') return "space" + number;
    if (c == kUnassigned) return "unassigned byte" + number;
    if (IsControl(c)) return "control character" + number;
    return std::string(1, static_cast<char>(c)) + number;
}

}  // namespace tastavia
