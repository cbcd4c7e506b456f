#pragma once
// Which library files installing a working layout file writes, into which system folder,
// and reading an installed library back into a working file. The installer asks here and
// never needs to know which library shapes exist.
#include <optional>
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Machine.h"
#include "platform/Resources.h"
#include "platform/SystemFolder.h"

namespace tastavia {

struct SystemLibrary {
    SystemFolder folder;
    std::string bytes;
};

// The library files that installing the working file (bytes of a file of `kind`) writes
// on Windows for `machine`, in the order they are written: on x64 and ARM64 with kind XP
// (or 2000) the library for that processor into Native64 and the WOW64 library into
// Wow64; otherwise the working file itself into System. Throws AppError with a clear
// message on bad input.
std::vector<SystemLibrary> SystemLibrariesFor(OsKind kind, Machine machine, const std::string& workingFileBytes,
                                              Resources& resources);

// The folders installing a layout of `kind` writes a library into (the folders of
// SystemLibrariesFor's result, in the same order), for Delete and the "file exists" question.
std::vector<SystemFolder> SystemFoldersFor(OsKind kind, Machine machine);

// The kind of the file that installing a layout of `kind` puts into `folder`.
OsKind SystemFileKind(OsKind kind, Machine machine, SystemFolder folder);

// The folder Load reads an installed library from.
SystemFolder LoadFolderFor(OsKind kind, Machine machine);

// Working-file bytes of `kind` made from an installed library read from `folder`;
// std::nullopt, with `why` set to a user-facing reason, when the bytes are not one of
// our own shapes.
std::optional<std::string> WorkingFileFromSystemLibrary(OsKind kind, Machine machine, SystemFolder folder,
                                                       const std::string& libraryBytes, Resources& resources,
                                                       std::string* why);

}  // namespace tastavia
