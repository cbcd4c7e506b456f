#include "registry/LostLayouts.h"

#include <algorithm>

#include "layout/LayoutFileKind.h"
#include "layout/SystemLibraries.h"
#include "platform/Errors.h"
#include "registry/FileOwnership.h"
#include "registry/LayoutIds.h"
#include "text/Text.h"

namespace tastavia {

namespace {

bool EndsWith(const std::string& upper, const char* suffix) {
    const std::string tail = suffix;
    return upper.size() > tail.size() && upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FolderPath(Files& files, SystemFolder folder, const std::string& systemDirectory) {
    return folder == SystemFolder::System ? systemDirectory : files.SystemFolderPath(folder);
}

}  // namespace

std::vector<LostLayout> FindLostLayouts(Files& files, const TargetSystem& system, const std::string& systemDirectory,
                                        const std::vector<CatalogueRecord>& records) {
    const std::vector<SystemFolder> folders = SystemFoldersFor(system.kind, system.machine);
    const char* extension = system.kind == kOsWin9x ? ".KBD" : ".DLL";
    std::vector<std::string> named;
    for (const CatalogueRecord& record : records) named.push_back(UpperAscii(record.File()));
    // Every candidate once, by the first spelling met.
    std::vector<std::string> candidates, seen;
    for (SystemFolder folder : folders)
        for (const std::string& name : files.FileNames(FolderPath(files, folder, systemDirectory))) {
            const std::string upper = UpperAscii(name);
            if (!IsPlainFileName(name) || !EndsWith(upper, extension)) continue;
            if (std::find(named.begin(), named.end(), upper) != named.end()) continue;
            if (std::find(seen.begin(), seen.end(), upper) != seen.end()) continue;
            seen.push_back(upper);
            candidates.push_back(name);
        }
    std::vector<LostLayout> lost;
    for (const std::string& name : candidates) {
        std::string reason;
        bool anyOurs = false;
        for (SystemFolder folder : folders) {
            const std::string path = FolderPath(files, folder, systemDirectory) + name;
            const OsKind kind = SystemFileKind(system.kind, system.machine, folder);
            if (IsLayoutFileAt(files, path, kind)) {
                anyOurs = true;
                continue;
            }
            if (reason.empty())
                reason = files.Exists(path) ? path + " is not a " + LayoutFileKindName(kind)
                                            : "The copy in " + FolderPath(files, folder, systemDirectory) + " is missing";
        }
        if (anyOurs) lost.push_back({name, reason});
    }
    std::sort(lost.begin(), lost.end(),
              [](const LostLayout& a, const LostLayout& b) { return UpperAscii(a.fileName) < UpperAscii(b.fileName); });
    return lost;
}

std::string DefaultLostLayoutName(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

Registered RegisterLostLayout(Registry& registry, const std::string& name, const std::string& fileName,
                              const std::vector<std::string>& layoutIds) {
    const std::string text = StripSpaces(name);
    if (IsBlank(text)) return {"", "Type a name for the layout."};
    const std::optional<std::string> keyName = FreeLayoutKeyName(registry);
    const std::optional<std::string> layoutId = FirstFreeLayoutId(layoutIds);
    if (!keyName || !layoutId) return {"", "There is no free layout number left!"};
    auto key = registry.Open(RootKey::LocalMachine, LayoutKeyPath(*keyName), true);
    if (!key) return {"", "Can't make registry changes! You must have Administrator's rights to make any changes!"};
    try {
        key->WriteString("layout file", fileName);
        key->WriteString("layout id", *layoutId);
        key->WriteString("layout text", text);
    } catch (const RegistryError&) {
        key.reset();
        registry.DeleteKey(RootKey::LocalMachine, LayoutKeyPath(*keyName));
        throw;
    }
    return {*keyName, ""};
}

}  // namespace tastavia
