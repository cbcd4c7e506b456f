#include "layout/SystemLibraries.h"

#include "layout/LayoutFileKind.h"
#include "platform/Errors.h"

namespace tastavia {

std::vector<SystemLibrary> SystemLibrariesFor(OsKind kind, bool windows64,
                                              const std::string& workingFileBytes,
                                              Resources& resources) {
    (void)resources;
    if (!IsLayoutFileOfKind(workingFileBytes, kind))
        throw AppError(std::string("The working layout file is not a ") + LayoutFileKindName(kind) + ".");
    if (windows64 && kind != kOsWin9x)
        return {{SystemFolder::Native64, workingFileBytes}, {SystemFolder::Wow64, workingFileBytes}};
    return {{SystemFolder::System, workingFileBytes}};
}

SystemFolder LoadFolderFor(OsKind kind, bool windows64) {
    return windows64 && kind != kOsWin9x ? SystemFolder::Native64 : SystemFolder::System;
}

std::optional<std::string> WorkingFileFromSystemLibrary(OsKind kind, SystemFolder folder,
                                                       const std::string& libraryBytes,
                                                       Resources& resources, std::string* why) {
    (void)folder;
    (void)resources;
    if (IsLayoutFileOfKind(libraryBytes, kind)) return libraryBytes;
    if (why) *why = std::string("The library is not a ") + LayoutFileKindName(kind) + " made by Tastavia.";
    return std::nullopt;
}

}  // namespace tastavia
