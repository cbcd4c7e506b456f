#include "registry/Installer.h"

#include "platform/Errors.h"
#include "text/Text.h"

namespace tastavia {

namespace {

const char* const kNoFreeNumber = "There is no free layout number left!";
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

    std::optional<std::string> keyName;
    if (!request.replace) {
        keyName = FreeLayoutKeyName(registry_);
        if (!keyName) return Status('2', kNoFreeNumber);
    }

    auto confirmed = [&confirm](const char* question) { return confirm(Ask::OkCancel, question) == Reply::Yes; };
    if (request.replace) {
        if (!confirmed("This layout already exists! Replace it?")) return Status('1', "");
    } else if (files_.Exists(target)) {
        if (!confirmed("This file already exists! Replace it?")) return Status('1', "");
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

Notice Installer::CopyForEditing(const std::string& systemDirectory, const std::string& fileName,
                                 const std::string& copyPath) {
    if (!IsPlainFileName(fileName)) return Error(InvalidFileNameText(fileName));
    const std::string installed = systemDirectory + fileName;
    if (!files_.Exists(installed)) return Error("File is Missing!");
    if (!files_.Copy(installed, copyPath)) return Error("File can't be copied!");
    if (files_.IsReadOnly(copyPath)) files_.ClearReadOnly(copyPath);
    return Notice{};
}

RemoveResult Installer::Remove(const RemoveRequest& request, const Confirm& confirm) {
    bool deleteFile = false;
    if (request.record.IsBase()) {
        if (confirm(Ask::YesNo, kBaseQuestion) != Reply::Yes) return {};
    } else {
        if (confirm(Ask::YesNo, "Are you sure you want to delete this layout?") != Reply::Yes) return {};
        const Reply file = confirm(Ask::YesNoCancel, "Do you want to delete the file too?");
        if (file == Reply::Cancel) return {};
        deleteFile = file == Reply::Yes;
    }
    // Checked before the key goes, so that a refusal leaves everything as it was.
    if (deleteFile && !IsPlainFileName(request.fileName)) return {false, Error(InvalidFileNameText(request.fileName))};

    if (!registry_.DeleteKey(RootKey::LocalMachine, LayoutKeyPath(request.record.KeyName())))
        return {false, Error("Can't modify registry settings! File will not be deleted!")};
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
