#include "layout/SystemLibraries.h"

#include <algorithm>

#include "layout/BytesFile.h"
#include "layout/KeyAccess.h"
#include "layout/LayoutFileKind.h"
#include "layout/WideLibraryShape.h"
#include "layout/WorkingLayout.h"
#include "platform/Errors.h"

namespace tastavia {

namespace {

// One row of what a layout of a kind becomes on a machine: the files installing writes,
// each of a kind and into a folder, and the folder Load reads back. Kinds and machines
// without a row install the working file itself into the system folder.
struct Placement {
    OsKind fileKind;
    SystemFolder folder;
};
struct Row {
    OsKind kind;
    Machine machine;
    std::vector<Placement> files;
    SystemFolder load;
};

// The library for the machine's own processor goes into the real System32 and the WOW64
// one into SysWOW64, where the x86 programs of that Windows read layouts.
const std::vector<Row>& Rows() {
    static const std::vector<Placement> x64 = {{kOsX64, SystemFolder::Native64}, {kOsWow64, SystemFolder::Wow64}};
    static const std::vector<Placement> arm64 = {{kOsArm64, SystemFolder::Native64}, {kOsWow64, SystemFolder::Wow64}};
    static const std::vector<Row> rows = {
        {kOsWinXp, Machine::X64, x64, SystemFolder::Native64},
        {kOsWin2000, Machine::X64, x64, SystemFolder::Native64},
        {kOsWinXp, Machine::Arm64, arm64, SystemFolder::Native64},
        {kOsWin2000, Machine::Arm64, arm64, SystemFolder::Native64},
    };
    return rows;
}

Row RowFor(OsKind kind, Machine machine) {
    for (const Row& row : Rows())
        if (row.kind == kind && row.machine == machine) return row;
    return {kind, machine, {{kind, SystemFolder::System}}, SystemFolder::System};
}

std::string TemplateOf(OsKind kind, Resources& resources) {
    const char* name = TemplateResource(kind);
    std::optional<std::string_view> bytes = name ? resources.RcData(name) : std::nullopt;
    if (!bytes || !IsLayoutFileOfKind(std::string(*bytes), kind))
        throw AppError(std::string("The program's ") + LayoutFileKindName(kind) + " template is missing.");
    return std::string(*bytes);
}

// A template of `to` holding every key character and Caps flag of `from`: the other
// characters (Ctrl, Shift+Ctrl, the keys outside the 48) are the templates' own and
// the same in every kind.
std::string CopyKeys(std::string from, OsKind fromKind, OsKind to, Resources& resources) {
    std::string target = TemplateOf(to, resources);
    BytesFile source(from), destination(target);
    std::unique_ptr<KeyAccess> read = MakeKeyAccess(fromKind, source);
    std::unique_ptr<KeyAccess> write = MakeKeyAccess(to, destination);
    for (const KeyInfo& key : KeyTable()) {
        for (ShiftState shift : {ShiftState::Unshifted, ShiftState::Shifted})
            write->WriteKeyChar(key.number, shift, read->ReadKeyChar(key.number, shift));
        write->WriteCapsFlag(key.number, read->ReadCapsFlag(key.number));
    }
    return target;
}

}  // namespace

std::vector<SystemLibrary> SystemLibrariesFor(OsKind kind, Machine machine, const std::string& workingFileBytes,
                                              Resources& resources) {
    if (!IsLayoutFileOfKind(workingFileBytes, kind))
        throw AppError(std::string("The working layout file is not a ") + LayoutFileKindName(kind) + ".");
    std::vector<SystemLibrary> libraries;
    for (const Placement& file : RowFor(kind, machine).files) {
        if (file.fileKind == kind) libraries.push_back({file.folder, workingFileBytes});
        else libraries.push_back({file.folder, CopyKeys(workingFileBytes, kind, file.fileKind, resources)});
    }
    return libraries;
}

std::vector<SystemFolder> SystemFoldersFor(OsKind kind, Machine machine) {
    std::vector<SystemFolder> folders;
    for (const Placement& file : RowFor(kind, machine).files) folders.push_back(file.folder);
    return folders;
}

OsKind SystemFileKind(OsKind kind, Machine machine, SystemFolder folder) {
    for (const Placement& file : RowFor(kind, machine).files)
        if (file.folder == folder) return file.fileKind;
    return kind;
}

SystemFolder LoadFolderFor(OsKind kind, Machine machine) { return RowFor(kind, machine).load; }

std::optional<std::string> WorkingFileFromSystemLibrary(OsKind kind, Machine machine, SystemFolder folder,
                                                       const std::string& libraryBytes, Resources& resources,
                                                       std::string* why) {
    const std::vector<SystemFolder> folders = SystemFoldersFor(kind, machine);
    const OsKind shape = SystemFileKind(kind, machine, folder);
    std::optional<std::string> fault;
    if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        fault = std::string("not installed there for a ") + LayoutFileKindName(kind);
    } else if (shape == kind) {
        if (IsLayoutFileOfKind(libraryBytes, kind)) return libraryBytes;
        fault = std::string("not a ") + LayoutFileKindName(kind) + " made by Tastavia";
    } else {
        fault = WideLibraryShapeFault(libraryBytes, shape);
        if (!fault) return CopyKeys(libraryBytes, shape, kind, resources);
    }
    if (why) *why = "The layout library is " + *fault + ".";
    return std::nullopt;
}

}  // namespace tastavia
