#include "registry/Installer.h"

#include "layout/LayoutFileKind.h"
#include "platform/Errors.h"
#include "registry/FileOwnership.h"
#include "text/Text.h"

namespace tastavia {

namespace {

const char* const kNoFreeNumber = "There is no free layout number left!";
const char* const kNoRights = "Can't make registry changes! You must have Administrator's rights to make any changes!";
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

// Why a file of the system directory is not this layout's to replace or delete; empty
// when it is.
std::string NotOursText(Registry& registry, Files& files, const std::string& systemDirectory,
                        const std::string& fileName, const std::string& keyName, OsKind kind) {
    const std::vector<std::string> owners = LayoutsNamingFile(registry, files, systemDirectory, fileName, keyName);
    if (!owners.empty()) return Quoted(fileName) + " belongs to the installed layout " + VisibleText(owners[0]) + "!";
    const std::string path = systemDirectory + fileName;
    if (files.Status(path).kind != FileKind::Missing && !IsLayoutFileAt(files, path, kind))
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

InstallStatus Installer::Install(const InstallRequest& request, const Confirm& confirm) {
    const std::string fileName = StripSpaces(request.fileName);
    const std::string layoutText = StripSpaces(request.name);
    // The File Name goes straight into a path: refuse one that would leave the system
    // directory or that Windows could not load, before anything is written.
    if (!IsPlainFileName(fileName)) return Status('2', "The File Name is invalid! " + FileNameFault(fileName));
    const std::string target = request.systemDirectory + fileName;
    // Never over another layout's file, nor over a file that is no layout file of ours.
    const std::string notOurs =
        NotOursText(registry_, files_, request.systemDirectory, fileName, request.keyName, request.kind);
    if (!notOurs.empty()) return Status('2', notOurs + " It was not replaced.");

    std::optional<std::string> keyName;
    if (!request.replace) {
        keyName = FreeLayoutKeyName(registry_);
        if (!keyName) return Status('2', kNoFreeNumber);
        // Without administrator rights the keys open only for reading: nothing is copied.
        if (registry_.KeyExists(RootKey::LocalMachine, kKeyboardLayoutsKey) &&
            !registry_.Open(RootKey::LocalMachine, kKeyboardLayoutsKey, false))
            return Status('2', kNoRights);
    }

    auto confirmed = [&confirm](const char* question) { return confirm(Ask::OkCancel, question) == Reply::Yes; };
    if (request.replace) {
        if (!confirmed("This layout already exists! Replace it?")) return Status('1', "");
    } else if (files_.Exists(target)) {
        if (confirm(Ask::OkCancel, "This file already exists! Replace it?\r" + target) != Reply::Yes)
            return Status('1', "");
        if (files_.IsReadOnly(target)) files_.ClearReadOnly(target);
    }

    // The working file stays open: every edit is already on disk.
    if (!files_.Copy(request.workingPath, target)) return Status('2', "File can't be created (replaced)!");
    if (request.replace) return Status('4', "Layout successful replaced!");

    auto key = registry_.Open(RootKey::LocalMachine, LayoutKeyPath(*keyName), true);
    if (!key) return Status('2', "Can't make registry changes! File was created (replaced)!");
    try {
        key->WriteString("layout file", fileName);
        key->WriteString("layout id", keyName->substr(4, 4));
        key->WriteString("layout text", layoutText);
    } catch (const RegistryError&) {
        // A key without all its values is no layout Windows can load: it goes again.
        key.reset();
        registry_.DeleteKey(RootKey::LocalMachine, LayoutKeyPath(*keyName));
        throw;
    }
    return Status('0', "Layout successful added!");
}

Notice Installer::CopyForEditing(OsKind kind, const std::string& systemDirectory, const std::string& fileName,
                                 const std::string& copyPath) {
    if (!IsPlainFileName(fileName)) return Error(InvalidFileNameText(fileName));
    const std::string installed = systemDirectory + fileName;
    const FileKind found = files_.Status(installed).kind;
    if (found == FileKind::Missing) return Error("File is Missing!");
    const Notice notLayout = Error(Quoted(fileName) + " is not a " + LayoutFileKindName(kind) + "! It was not loaded.");
    // Checked before and after the copy: the copy is what will be edited.
    if (found != FileKind::File || !IsLayoutFileAt(files_, installed, kind)) return notLayout;
    if (!files_.Copy(installed, copyPath)) return Error("File can't be copied!");
    if (!IsLayoutFileAt(files_, copyPath, kind)) {
        files_.Delete(copyPath);
        return notLayout;
    }
    if (files_.IsReadOnly(copyPath)) files_.ClearReadOnly(copyPath);
    return Notice{};
}

RemoveResult Installer::Remove(const RemoveRequest& request, const Confirm& confirm) {
    bool deleteFile = false;
    // A file that is not this layout's alone stays, and the user is not asked about it.
    const std::string keep =
        request.record.IsBase() || !IsPlainFileName(request.fileName)
            ? ""
            : NotOursText(registry_, files_, request.systemDirectory, request.fileName, request.record.KeyName(),
                          request.kind);
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

    if (!registry_.DeleteKey(RootKey::LocalMachine, LayoutKeyPath(request.record.KeyName())))
        return {false, Error("Can't modify registry settings! File will not be deleted!")};
    if (!keep.empty()) return {true, Notice{Notice::Kind::Information, keep + " The file was kept."}};
    if (!deleteFile) return {true, Notice{}};

    const std::string installed = request.systemDirectory + request.fileName;
    bool deleted = false;
    try {
        if (files_.IsReadOnly(installed)) files_.ClearReadOnly(installed);
        deleted = files_.Delete(installed);
    } catch (const IoError&) {
        deleted = false;
    }
    if (deleted) return {true, Notice{Notice::Kind::Information, "Layout successfuly deleted!"}};
    return {true, Notice{Notice::Kind::Warning, "There is an error while deleting file! The Registry settings was modified!"}};
}

}  // namespace tastavia
