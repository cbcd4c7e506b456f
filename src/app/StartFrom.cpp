// TForm1: a new layout started from a layout library of any maker (a file the user picks
// in "Load From...", or an installed layout that Load cannot open as it is), with what
// our layouts cannot hold shown once.
#include "app/LeftOut.h"
#include "app/main.h"
#include "layout/ForeignLayout.h"
#include "layout/LayoutIni.h"
#include "layout/SystemLibraries.h"
#include "text/Text.h"
#include "ui/Application.h"

namespace tastavia {

namespace {

const char* const kLoadFilter = "Ini Files|*.ini|Layout Libraries|*.dll|All Files|*";

}  // namespace

std::optional<std::string> TForm1::ReadLibraryFile(const std::string& path) {
    const FileStatus status = platform_.files.Status(path);
    if (status.kind != FileKind::File || status.size < 2 || status.size > kMaxLayoutLibrarySize) return std::nullopt;
    std::optional<std::string> bytes = platform_.files.ReadAll(path);
    if (!bytes || bytes->compare(0, 2, "MZ") != 0) return std::nullopt;
    return bytes;
}

std::optional<std::string> TForm1::WriteStartedCopy(const LayoutKeys& keys) {
    const std::string bytes = WorkingFileFromKeys(keys, session_.osKind, platform_.resources);
    const std::string copy = LoadCopyName();
    if (!platform_.files.WriteAll(copy, bytes)) return std::nullopt;
    return copy;
}

void TForm1::StartFromLibrary(const std::string& copy, const ForeignLayout& foreign, const std::string& source) {
    const std::string name = Edit1.Text(), fileName = Edit2.Text();
    // A new layout, under new names: Save must never write over the file it came from.
    SetLayoutNames("Bulgarian (New)", session_.IsWin9x() ? "kbdbunew.kbd" : "kbdbunew.dll");
    try {
        OpenWorkingFileChecked(copy);
    } catch (const AppError&) {
        if (layout_.IsOpen()) SetLayoutNames(name, fileName);
        throw;
    }
    RecolourCapsView();
    if (!foreign.leftOut.empty()) form8_->ShowLeftOut(source, foreign.leftOut);
}

bool TForm1::StartFromInstalled(const std::string& fileName) {
    const std::string plain = StripSpaces(fileName);
    if (!IsPlainFileName(plain)) return false;
    const std::string folder = loadFolder_ == SystemFolder::System ? systemDirectory_ : platform_.files.SystemFolderPath(loadFolder_);
    const std::optional<std::string> bytes = ReadLibraryFile(folder + plain);
    if (!bytes) return false;
    const std::optional<ForeignLayout> foreign = ReadLayoutLibrary(*bytes, nullptr);
    if (!foreign) return false;
    // A copy that cannot be written leaves Load's own refusal to be told.
    const std::optional<std::string> copy = WriteStartedCopy(foreign->keys);
    if (!copy) return false;
    StartFromLibrary(*copy, *foreign, plain);
    return true;
}

void TForm1::LoadFrom1Click() {
    const std::optional<std::string> path = GetApplication().GetDialogs().OpenFile(
        {"Select keyboard layout configuration file to LOAD", kLoadFilter, "ini"});
    if (!path) return;
    // A file without the layout's section would change nothing: say so instead.
    const FileKind kind = platform_.files.Status(*path).kind;
    if (kind != FileKind::File) {
        GetApplication().GetDialogs().Error(kind == FileKind::Missing
                                                ? "The file \"" + *path + "\" does not exist."
                                                : "\"" + *path + "\" is a folder or a device, not a file.");
        return;
    }
    if (const std::optional<std::string> library = ReadLibraryFile(*path)) {
        std::string why;
        const std::optional<ForeignLayout> foreign = ReadLayoutLibrary(*library, &why);
        if (!foreign) {
            GetApplication().GetDialogs().Error("The file \"" + *path + "\" was not loaded. " + why);
            return;
        }
        if (!MayDiscardChanges()) return;
        const std::optional<std::string> copy = WriteStartedCopy(foreign->keys);
        if (!copy) throw IoError("Unable to write the new layout to the temporary folder " + layout_.TempDirectory());
        StartFromLibrary(*copy, *foreign, *path);
        return;
    }
    if (!HoldsLayout(*path)) {
        GetApplication().GetDialogs().Error(NoLayoutKeysText(*path));
        return;
    }
    if (MayDiscardChanges()) ImportLayoutFile(*path);
}

}  // namespace tastavia
