#include "layout/LayoutIni.h"

#include <limits>

#include "platform/Errors.h"
#include "text/Text.h"

namespace tastavia {

const char* const kLayoutSection = "KBD";

namespace {

constexpr int kShiftedKeyBase = 48;
constexpr int kCapsKeyBase = 1000;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> ParseDigits(const std::string& text, std::size_t start, int base, bool negative) {
    if (start >= text.size()) return std::nullopt;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max() + std::int64_t{1};
    std::int64_t value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        int digit = base == 16 ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > kLimit) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// The INI value of one key, or fallback when the file lacks the key or the value is
// no integer; a value that is not taken as it stands is noted.
std::int32_t ReadInteger(ProfileFile& profile, const std::string& path, int keyName, std::int32_t fallback,
                         std::int32_t low, std::int32_t high, std::vector<IniValueNote>& notes) {
    if (path.empty()) return fallback;
    const std::string key = std::to_string(keyName);
    const std::string text = profile.GetString(path, kLayoutSection, key, "");
    if (text.empty()) return fallback;
    const std::optional<std::int32_t> value = ParseIniInteger(text);
    // A value of any length may stand there: the note shows its beginning.
    constexpr std::size_t kShownLength = 24;
    const std::string shown = VisibleText(text.substr(0, kShownLength)) + (text.size() > kShownLength ? "..." : "");
    if (!value) notes.push_back({key, shown, "not a number, the key kept its value " + std::to_string(fallback)});
    else if (*value < low || *value > high)
        notes.push_back({key, shown, "out of range " + std::to_string(low) + "-" + std::to_string(high)});
    return value.value_or(fallback);
}

void WriteValue(ProfileFile& profile, const std::string& path, int keyName, const std::string& value,
                const IoError& failure) {
    if (!profile.WriteString(path, kLayoutSection, std::to_string(keyName), value)) throw failure;
}

}  // namespace

std::optional<std::int32_t> ParseIniInteger(const std::string& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return ParseDigits(text, 2, 16, false);
    if (!text.empty() && text[0] == '$') return ParseDigits(text, 1, 16, false);
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) return ParseDigits(text, 1, 10, text[0] == '-');
    return ParseDigits(text, 0, 10, false);
}

bool HasLayoutKeys(ProfileFile& profile, const std::string& path) {
    if (path.empty()) return false;
    // No integer: a file whose value is this text would change nothing either.
    const std::string missing = "<no key>";
    auto has = [&](int keyName) {
        return profile.GetString(path, kLayoutSection, std::to_string(keyName), missing) != missing;
    };
    for (KeyNumber k = 1; k <= kKeyCount; ++k)
        if (has(k) || has(k + kShiftedKeyBase) || has(k + kCapsKeyBase)) return true;
    return false;
}

std::string NoLayoutKeysText(const std::string& path) {
    return "The file \"" + path +
           "\" holds no keyboard layout: it has no [KBD] section with the keys \"1\" to \"96\" or \"1001\" to "
           "\"1048\". Nothing was changed.";
}

std::vector<IniValueNote> ImportLayout(WorkingLayout& layout, ProfileFile& profile, const std::string& path) {
    std::vector<IniValueNote> notes;
    for (int pass = 0; pass < 2; ++pass) {
        ShiftState shift = pass == 0 ? ShiftState::Unshifted : ShiftState::Shifted;
        for (KeyNumber k = 1; k <= kKeyCount; ++k) {
            std::int32_t current = layout.ReadKeyChar(k, shift);
            std::size_t noted = notes.size();
            std::int32_t value = ReadInteger(profile, path, k + pass * kShiftedKeyBase, current, 0, 255, notes);
            const auto c = static_cast<std::uint8_t>(value & 0xFF);
            if (notes.size() > noted && value != current) {
                notes.back().outcome += ", taken as " + std::to_string(c);
                if (c > ' ') notes.back().outcome += std::string(" (") + static_cast<char>(c) + ")";
            }
            layout.WriteKeyChar(k, shift, c);
        }
    }
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        std::int32_t current = layout.ReadCapsFlag(k) ? 1 : 0;
        std::size_t noted = notes.size();
        const bool on = ReadInteger(profile, path, k + kCapsKeyBase, current, 0, 1, notes) != 0;
        if (notes.size() > noted && notes.back().outcome.rfind("out", 0) == 0) notes.back().outcome += ", taken as 1";
        layout.WriteCapsFlag(k, on);
    }
    if (layout.onImported) layout.onImported();
    return notes;
}

std::string DescribeIniNotes(const std::vector<IniValueNote>& notes, std::size_t maxLines) {
    std::string text;
    for (std::size_t i = 0; i < notes.size() && i < maxLines; ++i)
        text += (i ? "\n" : "") + notes[i].key + "=" + notes[i].value + ": " + notes[i].outcome;
    if (notes.size() > maxLines) text += "\n... and " + std::to_string(notes.size() - maxLines) + " more";
    return text;
}

void ExportLayout(WorkingLayout& layout, ProfileFile& profile, Files& files, const std::string& path) {
    const IoError failure("Unable to write to " + path);
    const FileStatus status = files.Status(path);
    // A folder or a device is never written into, nor a copy made beside it.
    if (status.kind == FileKind::Folder || status.kind == FileKind::Other) throw failure;
    if (files.Exists(path) && files.IsReadOnly(path)) throw IoError(failure.what() + std::string("\rThe file is read-only."));
    // The keys go into a copy beside the file, which then takes the file's place whole:
    // a failure on the way leaves the file as it was, other sections included.
    std::size_t slash = path.find_last_of("/\\");
    std::string copy;
    try {
        copy = files.CreateUniqueFile(slash == std::string::npos ? "." : path.substr(0, slash + 1), "tas");
    } catch (const IoError& error) {
        // Why no copy could be made (a folder too long for a temporary name) is kept.
        throw IoError(std::string(failure.what()) + ": " + error.what());
    }
    struct Remove {
        Files& files;
        const std::string& path;
        ~Remove() { files.Delete(path); }
    } removeCopy{files, copy};
    if (files.Exists(path) && !files.Copy(path, copy)) throw failure;

    for (int pass = 0; pass < 2; ++pass) {
        ShiftState shift = pass == 0 ? ShiftState::Unshifted : ShiftState::Shifted;
        for (KeyNumber k = 1; k <= kKeyCount; ++k)
            WriteValue(profile, copy, k + pass * kShiftedKeyBase, std::to_string(layout.ReadKeyChar(k, shift)), failure);
    }
    for (KeyNumber k = 1; k <= kKeyCount; ++k)
        WriteValue(profile, copy, k + kCapsKeyBase, layout.ReadCapsFlag(k) ? "1" : "0", failure);
    if (!profile.Flush(copy) || !files.Copy(copy, path)) throw failure;
    if (layout.onExported) layout.onExported();
}

}  // namespace tastavia
