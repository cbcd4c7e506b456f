#pragma once
// Layouts as INI files: section KBD, keys "1".."48" (unshifted), "49".."96" (shifted)
// and "1001".."1048" (Caps-Lock flags), read and written one key at a time through the
// profile-file service.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "layout/WorkingLayout.h"
#include "platform/Files.h"
#include "platform/ProfileFile.h"

namespace tastavia {

extern const char* const kLayoutSection;  // "KBD"

// An INI value as an integer: "0x"/"0X" followed by hex digits (more than two
// characters in all), "$" and hex digits, or a decimal with an optional sign; nothing
// for anything else or for a number outside the signed 32-bit range.
std::optional<std::int32_t> ParseIniInteger(const std::string& text);

// A value of the KBD section that the import could not take as it stands.
struct IniValueNote {
    std::string key;      // "1".."96", "1001".."1048"
    std::string value;    // as the file holds it
    std::string outcome;  // what the import did with it
};

// Sets every key of the working file from the INI file; keys the file lacks, or whose
// values are no integer, keep their values; a character outside 0..255 is taken modulo
// 256, a Caps-Lock flag other than 0 as 1. An empty path reads nothing. Returns the
// values that were not taken as they stand, so that the user can be told.
std::vector<IniValueNote> ImportLayout(WorkingLayout& layout, ProfileFile& profile, const std::string& path);

// The notes, one line each ("1=300: out of range 0-255, taken as 44 (,)"), at most
// maxLines of them and a line that counts the rest.
std::string DescribeIniNotes(const std::vector<IniValueNote>& notes, std::size_t maxLines = 20);

// Whether the file holds any of the 144 keys in its KBD section: an import of a file
// without one would change nothing, and the user is told so instead.
bool HasLayoutKeys(ProfileFile& profile, const std::string& path);
// What the user is told of such a file.
std::string NoLayoutKeysText(const std::string& path);

// Writes all 144 keys into the INI file, whole or not at all: into a copy beside it,
// which then replaces it. Throws IoError "Unable to write to <path>" when any step
// fails; the file is then as it was.
void ExportLayout(WorkingLayout& layout, ProfileFile& profile, Files& files, const std::string& path);

}  // namespace tastavia
