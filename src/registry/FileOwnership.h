#pragma once
// Whose a file of the system directory is, before Save replaces it or Delete removes
// it: the installed layouts that name it, and whether it is a layout file at all.
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "registry/LayoutRegistry.h"

namespace tastavia {

// The keys under the keyboard layouts key, of any language and other than exceptKey,
// whose "layout file" names the same file as fileName: the same name in any case of
// any letter Windows folds (Cyrillic too), or another name of the same file, such as
// the 8.3 alias of a long name.
std::vector<std::string> LayoutsNamingFile(const std::vector<InstalledLayout>& layouts, Files& files,
                                           const std::string& systemDirectory, const std::string& fileName,
                                           const std::string& exceptKey);
// The same over the keys as the registry holds them now.
std::vector<std::string> LayoutsNamingFile(Registry& registry, Files& files, const std::string& systemDirectory,
                                           const std::string& fileName, const std::string& exceptKey);

// Whether path is a regular file of the kind's exact size and shape. Reads no more than
// a file of that size, and never opens a device or a folder.
bool IsLayoutFileAt(Files& files, const std::string& path, OsKind kind);

}  // namespace tastavia
