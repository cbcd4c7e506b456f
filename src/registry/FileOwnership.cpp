#include "registry/FileOwnership.h"

#include "layout/LayoutFileKind.h"
#include "layout/LayoutShape.h"
#include "registry/LayoutRegistry.h"
#include "platform/RegistryTree.h"
#include "text/Text.h"

namespace tastavia {

namespace {

// Only a name with a tilde can be an 8.3 alias of another; asking the file system for
// each of thousands of layouts would be slow.
bool MayBeAlias(const std::string& a, const std::string& b) {
    return a.find('~') != std::string::npos || b.find('~') != std::string::npos;
}

}  // namespace

std::vector<std::string> LayoutsNamingFile(const std::vector<InstalledLayout>& layouts, Files& files,
                                           const std::string& systemDirectory, const std::string& fileName,
                                           const std::string& exceptKey) {
    std::vector<std::string> owners;
    const std::string wanted = UpperCase1251(fileName);
    for (const InstalledLayout& layout : layouts) {
        if (SameKeyName(layout.keyName, exceptKey)) continue;
        // Windows loads the file by the value as written, spaces and all.
        const std::string& named = layout.file;
        if (named.empty()) continue;
        if (UpperCase1251(named) == wanted ||
            (IsPlainFileName(named) && MayBeAlias(named, fileName) &&
             files.SameFile(systemDirectory + named, systemDirectory + fileName)))
            owners.push_back(layout.keyName);
    }
    return owners;
}

std::vector<std::string> LayoutsNamingFile(Registry& registry, Files& files, const std::string& systemDirectory,
                                           const std::string& fileName, const std::string& exceptKey) {
    return LayoutsNamingFile(ReadRegisteredLayouts(registry, false).layouts, files, systemDirectory, fileName, exceptKey);
}

bool IsLayoutFileAt(Files& files, const std::string& path, OsKind kind) {
    const FileStatus status = files.Status(path);
    if (status.kind != FileKind::File || status.size != LayoutFileSize(kind)) return false;
    const std::optional<std::string> bytes = files.ReadAll(path);
    return bytes && HasLayoutShape(*bytes, kind);
}

}  // namespace tastavia
