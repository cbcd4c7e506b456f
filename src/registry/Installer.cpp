#include "registry/Installer.h"

#include <algorithm>

#include "layout/LayoutFileKind.h"
#include "layout/SystemLibraries.h"
#include "platform/Errors.h"
#include "registry/FileOwnership.h"
#include "registry/LayoutIds.h"
#include "text/Text.h"

namespace tastavia {

namespace {

const char* const kNoFreeNumber = "There is no free layout number left!";
const char* const kNoRights = "Can't make registry changes! You must have Administrator's rights to make any changes!";
const char* const kCannotCreate = "File can't be created (replaced)!";
const char* const kRunAsAdministrator =
    "Only an administrator may install or remove keyboard layouts. Run Tastavia as administrator and try again.";
const char* const kInUse = "The file is in use by another program. Close that program and try again.";
const char* const kReadOnly = "The file is read-only.";
const char* const kBaseQuestion =
    "This is a BASE layout! You can't delete the file that belongs it, you can only delete the registry entries and "
    "disable this layout!\rAre you sure you want to delete this layout?";

InstallStatus Status(char digit, const std::string& message) { return InstallStatus{digit, message}; }

Notice Error(const std::string& text) { return Notice{Notice::Kind::Error, text}; }

// A "layout file" value may come from any program: it names a file of the system
// directory only when it is a plain file name.
std::string InvalidFileNameText(const std::string& fileName) {
    return "The layout's file name is invalid: \"" + VisibleText(fileName) + "\"";
}

std::string Quoted(const std::string& fileName) { return "\"" + VisibleText(fileName) + "\""; }

// A layout as the user knows it: by its text, and its key beside it. Only a refusal asks,
// so the key of a layout of another language, whose text was not read, is opened here.
std::string LayoutShownName(Registry& registry, const RegisteredLayouts& keys, const std::string& keyName) {
    std::string text;
    for (const InstalledLayout& layout : keys.layouts)
        if (layout.keyName == keyName) text = StripSpaces(layout.text);
    if (text.empty()) {
        auto key = registry.OpenForReading(RootKey::LocalMachine, LayoutKeyPath(keyName));
        if (key && key->HasValue("layout text")) text = StripSpaces(key->ReadString("layout text"));
    }
    return text.empty() ? VisibleText(keyName) : Quoted(text) + " (" + VisibleText(keyName) + ")";
}

std::string InUseText(const std::string& fileName) { return Quoted(fileName) + " is in use by another program!"; }

// Why the installed files of fileName (path and kind, one per system folder) are not this
// layout's to replace or delete; empty when they are.
std::string NotOursText(Registry& registry, const RegisteredLayouts& keys, Files& files, const std::string& systemDirectory,
                        const std::string& fileName, const std::string& keyName,
                        const std::vector<std::pair<std::string, OsKind>>& installed) {
    const std::vector<std::string> owners =
        LayoutsNamingFile(keys.layouts, files, systemDirectory, fileName, keyName);
    if (!owners.empty())
        return Quoted(fileName) + " belongs to the installed layout " + LayoutShownName(registry, keys, owners[0]) + "!";
    for (const auto& [path, kind] : installed)
        // A file held open cannot be read: what it is stays unknown, and it is said so.
        if (files.Status(path).kind != FileKind::Missing && !files.InUse(path) && !IsLayoutFileAt(files, path, kind))
            return Quoted(fileName) + " is not a " + LayoutFileKindName(kind) + "!";
    return "";
}

}  // namespace

Notice InstallStatus::ToNotice() const {
    switch (digit) {
        case '0':
        case '4': return Notice{Notice::Kind::Information, message};
        case '2': return Error(message);
        default: return Notice{};
    }
}

std::string Installer::FolderPath(SystemFolder folder, const std::string& systemDirectory) {
    return folder == SystemFolder::System ? systemDirectory : files_.SystemFolderPath(folder);
}

std::vector<std::pair<std::string, OsKind>> Installer::InstalledFiles(const std::string& systemDirectory,
                                                                     const std::string& fileName) {
    std::vector<std::pair<std::string, OsKind>> installed;
    for (SystemFolder folder : SystemFoldersFor(system_.kind, system_.machine))
        installed.emplace_back(FolderPath(folder, systemDirectory) + fileName,
                               SystemFileKind(system_.kind, system_.machine, folder));
    return installed;
}

std::string Installer::Explained(const std::string& message, const Placed* failed, bool denied) const {
    std::string text = message;
    if (failed) text += "\r" + ShownPath(*failed);
    // The cause where it can be told: another program's open file is none of the rights.
    if (failed && files_.InUse(failed->path))
        text += std::string("\r") + kInUse;
    else if (failed && files_.IsReadOnly(failed->path))
        text += std::string("\r") + kReadOnly;
    else if (denied || !system_.administrator)
        text += std::string("\r") + kRunAsAdministrator;
    return text;
}

std::string Installer::ShownPath(const Placed& file) const {
    // WOW64 shows this program SysWOW64 as System32, and the real System32 as Sysnative:
    // the user finds each under its own name.
    const std::string fileName = file.path.substr(file.path.find_last_of("\\/") + 1);
    if (file.folder == SystemFolder::Wow64) return files_.WindowsDirectory() + "\\SysWOW64\\" + fileName;
    if (file.folder == SystemFolder::Native64) return files_.WindowsDirectory() + "\\System32\\" + fileName;
    return file.path;
}

std::optional<std::string> Installer::PlaceLibraries(const InstallRequest& request, const std::string& fileName,
                                                     std::vector<Placed>& placed) {
    std::optional<std::string> working = files_.ReadAll(request.workingPath);
    if (!working) return std::string(kCannotCreate);
    std::vector<SystemLibrary> libraries;
    try {
        libraries = SystemLibrariesFor(system_.kind, system_.machine, *working, resources_);
    } catch (const AppError& error) {
        return std::string(error.what());
    }
    for (SystemLibrary& library : libraries)
        placed.push_back({FolderPath(library.folder, request.systemDirectory) + fileName, std::move(library.bytes),
                          library.folder});
    return std::nullopt;
}

std::optional<std::string> Installer::WriteAllOrNothing(const std::vector<Placed>& placed) {
    std::vector<std::optional<std::string>> before;
    for (const Placed& file : placed) {
        before.push_back(files_.Exists(file.path) ? files_.ReadAll(file.path) : std::nullopt);
        // A file that cannot be read back could not be put back either.
        if (files_.Exists(file.path) && !before.back()) return Explained(kCannotCreate, &file, false);
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (files_.WriteAll(placed[i].path, placed[i].bytes)) continue;
        const bool denied = files_.LastFailureDenied();
        for (std::size_t j = i; j-- > 0;) {
            if (before[j]) files_.WriteAll(placed[j].path, *before[j]);
            else files_.Delete(placed[j].path);
        }
        return Explained(kCannotCreate, &placed[i], denied);
    }
    return std::nullopt;
}

InstallStatus Installer::Install(const InstallRequest& request, const Confirm& confirm) {
    const std::string fileName = StripSpaces(request.fileName);
    const std::string layoutText = StripSpaces(request.name);
    // The File Name goes straight into a path: refuse one that would leave the system
    // directory or that Windows could not load, before anything is written.
    if (!IsPlainFileName(fileName)) return Status('2', "The File Name is invalid! " + FileNameFault(fileName));
    // A new key takes an id no key has: then the ids must have been read.
    RegisteredLayouts read;
    const bool idsNeeded = !request.replace;
    const RegisteredLayouts& keys = request.installed && (request.installed->idsRead || !idsNeeded)
                                        ? *request.installed
                                        : (read = ReadRegisteredLayouts(registry_, idsNeeded));
    // Never over another layout's file, nor over a file that is no layout file of ours.
    const auto installed = InstalledFiles(request.systemDirectory, fileName);
    const std::string notOurs =
        NotOursText(registry_, keys, files_, request.systemDirectory, fileName, request.keyName, installed);
    if (!notOurs.empty()) return Status('2', notOurs + " It was not replaced.");
    for (const auto& [path, kind] : installed)
        if (files_.InUse(path)) return Status('2', InUseText(fileName) + " It was not replaced.\r" + kInUse);
    std::vector<Placed> placed;
    if (auto failed = PlaceLibraries(request, fileName, placed)) return Status('2', *failed);

    std::optional<std::string> keyName, layoutId;
    if (!request.replace) {
        keyName = FreeLayoutKeyName(keys.names);
        std::vector<std::string> ids;
        for (const InstalledLayout& layout : keys.layouts) ids.push_back(layout.layoutId);
        layoutId = FirstFreeLayoutId(ids);
        if (!keyName || !layoutId) return Status('2', kNoFreeNumber);
        // Without administrator rights the keys open only for reading: nothing is copied.
        if (registry_.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey) &&
            !registry_.Open(RootKey::LocalMachine, kKeyboardLayoutsKey, false))
            return Status('2', Explained(kNoRights, nullptr, true));
    }

    auto confirmed = [&confirm](const char* question) { return confirm(Ask::OkCancel, question) == Reply::Yes; };
    const bool exists = std::any_of(placed.begin(), placed.end(), [this](const Placed& p) { return files_.Exists(p.path); });
    if (request.replace) {
        if (!confirmed("This layout already exists! Replace it?")) return Status('1', "");
    } else if (exists) {
        std::string question = "This file already exists! Replace it?";
        for (const Placed& file : placed)
            if (files_.Exists(file.path)) question += "\r" + file.path;
        if (confirm(Ask::OkCancel, question) != Reply::Yes) return Status('1', "");
        for (const Placed& file : placed)
            if (files_.IsReadOnly(file.path)) files_.ClearReadOnly(file.path);
    }

    // The working file stays open: every edit is already on disk.
    if (auto failed = WriteAllOrNothing(placed)) return Status('2', *failed);
    if (request.replace) return Status('4', "Layout successful replaced!");

    // A key made by another program since the names were read is never written over.
    if (registry_.KeyExists(RootKey::LocalMachine, LayoutKeyPath(*keyName))) {
        keyName = FreeLayoutKeyName(registry_);
        if (!keyName) return Status('2', kNoFreeNumber);
    }
    auto key = registry_.Open(RootKey::LocalMachine, LayoutKeyPath(*keyName), true);
    if (!key) return Status('2', Explained("Can't make registry changes! File was created (replaced)!", nullptr, false));
    try {
        key->WriteString("layout file", fileName);
        key->WriteString("layout id", *layoutId);
        key->WriteString("layout text", layoutText);
    } catch (const RegistryError&) {
        // A key without all its values is no layout Windows can load: it goes again.
        key.reset();
        registry_.DeleteKey(RootKey::LocalMachine, LayoutKeyPath(*keyName));
        throw;
    }
    return Status('0', "Layout successful added!");
}

Notice Installer::CopyForEditing(const std::string& systemDirectory, const std::string& fileName,
                                 const std::string& copyPath) {
    const OsKind kind = system_.kind;
    if (!IsPlainFileName(fileName)) return Error(InvalidFileNameText(fileName));
    const SystemFolder folder = LoadFolderFor(kind, system_.machine);
    const std::string installed = FolderPath(folder, systemDirectory) + fileName;
    const FileStatus status = files_.Status(installed);
    if (status.kind == FileKind::Missing) return Error("File is Missing!");
    // Only a regular file of the installed kind's size is read: never a device, a folder
    // or a file of any size.
    const OsKind installedKind = SystemFileKind(kind, system_.machine, folder);
    if (status.kind != FileKind::File || status.size != LayoutFileSize(installedKind))
        return Error(Quoted(fileName) + " is not a " + LayoutFileKindName(installedKind) + "! It was not loaded.");
    const std::optional<std::string> library = files_.ReadAll(installed);
    if (!library) return Error("File can't be copied!");
    // Only a library of our own making has its keys where the editor looks for them.
    std::string why;
    const std::optional<std::string> working =
        WorkingFileFromSystemLibrary(kind, system_.machine, folder, *library, resources_, &why);
    // Our own library of the kind in use is named as such; for the libraries made for
    // 64-bit Windows the walk of their tables says where they differ from ours.
    if (!working)
        return Error(Quoted(fileName) + " is not a " + LayoutFileKindName(installedKind) + "! It was not loaded." +
                     (folder == SystemFolder::System ? "" : "\r" + why));
    if (!files_.WriteScratch(copyPath, *working)) return Error("File can't be copied!");
    return Notice{};
}

RemoveResult Installer::Remove(const RemoveRequest& request, const Confirm& confirm) {
    bool deleteFile = false;
    RegisteredLayouts read;
    auto keys = [&]() -> const RegisteredLayouts& {
        return request.installed ? *request.installed : (read = ReadRegisteredLayouts(registry_, false));
    };
    // A file that is not this layout's alone stays, and the user is not asked about it.
    const std::string keep =
        request.record.IsBase() || !IsPlainFileName(request.fileName)
            ? ""
            : NotOursText(registry_, keys(), files_, request.systemDirectory, request.fileName, request.record.KeyName(),
                          InstalledFiles(request.systemDirectory, request.fileName));
    if (request.record.IsBase()) {
        if (confirm(Ask::YesNo, kBaseQuestion) != Reply::Yes) return {};
    } else {
        if (confirm(Ask::YesNo, "Are you sure you want to delete this layout?") != Reply::Yes) return {};
        const Reply file = keep.empty() ? confirm(Ask::YesNoCancel, "Do you want to delete the file too?") : Reply::No;
        if (file == Reply::Cancel) return {};
        deleteFile = file == Reply::Yes;
    }
    // Checked before the key goes, so that a refusal leaves everything as it was.
    if (deleteFile && !IsPlainFileName(request.fileName)) return {false, Error(InvalidFileNameText(request.fileName))};
    if (deleteFile)
        for (const auto& [installed, kind] : InstalledFiles(request.systemDirectory, request.fileName))
            if (files_.InUse(installed))
                return {false, Error(InUseText(request.fileName) + " Nothing was deleted.\r" + kInUse)};

    if (!registry_.DeleteKey(RootKey::LocalMachine, LayoutKeyPath(request.record.KeyName())))
        return {false, Error(Explained("Can't modify registry settings! File will not be deleted!", nullptr, false))};
    if (!keep.empty()) return {true, Notice{Notice::Kind::Information, keep + " The file was kept."}};
    if (!deleteFile) return {true, Notice{}};

    // Every file installing wrote: one already gone is passed over, none at all is a failure.
    bool deleted = false;
    std::optional<Placed> failed, missing;
    for (SystemFolder folder : SystemFoldersFor(system_.kind, system_.machine)) {
        const Placed file{FolderPath(folder, request.systemDirectory) + request.fileName, "", folder};
        if (!files_.Exists(file.path)) {
            if (!missing) missing = file;
            continue;
        }
        bool gone = false;
        try {
            if (files_.IsReadOnly(file.path)) files_.ClearReadOnly(file.path);
            gone = files_.Delete(file.path);
        } catch (const IoError&) {
        }
        if (gone) deleted = true;
        else if (!failed) failed = file;
    }
    if (deleted && !failed) return {true, Notice{Notice::Kind::Information, "Layout successfuly deleted!"}};
    // The layout is gone from the registry; the user learns which file stayed and why.
    const char* const lost = "There is an error while deleting file! The Registry settings was modified!";
    if (failed) return {true, Error(Explained(lost, &*failed, files_.LastFailureDenied()))};
    return {true, Error(std::string(lost) + "\r" + (missing ? ShownPath(*missing) + "\r" : "") + "File is Missing!")};
}

}  // namespace tastavia
