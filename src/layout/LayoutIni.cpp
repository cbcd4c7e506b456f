#include "layout/LayoutIni.h"

#include <limits>

#include "platform/Errors.h"

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
// no integer.
std::int32_t ReadInteger(ProfileFile& profile, const std::string& path, int keyName, std::int32_t fallback) {
    if (path.empty()) return fallback;
    std::string text = profile.GetString(path, kLayoutSection, std::to_string(keyName), std::to_string(fallback));
    return ParseIniInteger(text).value_or(fallback);
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

void ImportLayout(WorkingLayout& layout, ProfileFile& profile, const std::string& path) {
    for (int pass = 0; pass < 2; ++pass) {
        ShiftState shift = pass == 0 ? ShiftState::Unshifted : ShiftState::Shifted;
        for (KeyNumber k = 1; k <= kKeyCount; ++k) {
            std::int32_t current = layout.ReadKeyChar(k, shift);
            std::int32_t value = ReadInteger(profile, path, k + pass * kShiftedKeyBase, current);
            layout.WriteKeyChar(k, shift, static_cast<std::uint8_t>(value & 0xFF));
        }
    }
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        std::int32_t current = layout.ReadCapsFlag(k) ? 1 : 0;
        layout.WriteCapsFlag(k, ReadInteger(profile, path, k + kCapsKeyBase, current) != 0);
    }
    if (layout.onImported) layout.onImported();
}

void ExportLayout(WorkingLayout& layout, ProfileFile& profile, Files& files, const std::string& path) {
    const IoError failure("Unable to write to " + path);
    const FileStatus status = files.Status(path);
    // A folder or a device is never written into, nor a copy made beside it.
    if (status.kind == FileKind::Folder || status.kind == FileKind::Other) throw failure;
    if (files.Exists(path) && files.IsReadOnly(path)) throw failure;
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
