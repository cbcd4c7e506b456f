#pragma once
// A layout library of any maker read into our 48 keys, with what our layouts cannot hold
// listed rather than dropped: other shift states (AltGr and the like), dead keys,
// ligatures, Caps Lock characters of their own (SGCAPS), characters Windows-1251 lacks
// and keys other than the 48.
#include <optional>
#include <string>
#include <vector>

#include "layout/LayoutKeys.h"
#include "layout/LibraryReader.h"
#include "platform/Resources.h"

namespace tastavia {

struct ForeignLayout {
    LayoutKeys keys;
    // One line each, in Windows-1251, by key number and then the keys outside the 48.
    std::vector<std::string> leftOut;
};

// Libraries larger than this are no keyboard layout; they are refused unread.
constexpr std::size_t kMaxLayoutLibrarySize = 16u << 20;

// The keys of a layout library; std::nullopt, with `why` set to a sentence for the user,
// when the bytes are no layout library that can be read.
std::optional<ForeignLayout> ReadLayoutLibrary(const std::string& bytes, std::string* why);

// The same from tables already read.
ForeignLayout ForeignLayoutFromTables(const KbdTables& tables);

// A working layout file of `kind`, made from its template, holding these keys. Throws
// AppError when the program's template is missing.
std::string WorkingFileFromKeys(const LayoutKeys& keys, OsKind kind, Resources& resources);

}  // namespace tastavia
