#include "layout/SystemLibraries.h"

#include "layout/KeyAccess.h"
#include "layout/LayoutFileKind.h"
#include "layout/WideLibraryShape.h"
#include "layout/WorkingLayout.h"
#include "platform/Errors.h"

namespace tastavia {

namespace {

// A layout file's bytes in memory, for the key access.
class BytesFile : public RandomAccessFile {
public:
    explicit BytesFile(std::string& bytes) : bytes_(bytes) {}
    void Seek(std::uint32_t offset) override { at_ = offset; }
    std::uint8_t ReadByte() override { return static_cast<std::uint8_t>(bytes_.at(At())); }
    void WriteByte(std::uint8_t value) override { bytes_.at(At()) = static_cast<char>(value); }
    void WritePair(std::uint8_t first, std::uint8_t second) override {
        if (at_ + 1 >= bytes_.size()) throw IoError("A layout library ends too early.");
        WriteByte(first);
        WriteByte(second);
    }
    std::uint32_t Size() override { return static_cast<std::uint32_t>(bytes_.size()); }
    void Close() override {}

private:
    std::size_t At() {
        if (at_ >= bytes_.size()) throw IoError("A layout library ends too early.");
        return at_++;
    }
    std::string& bytes_;
    std::size_t at_ = 0;
};

bool IsNt(OsKind kind) { return kind == kOsWin2000 || kind == kOsWinXp; }

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

std::vector<SystemLibrary> SystemLibrariesFor(OsKind kind, bool windows64, const std::string& workingFileBytes,
                                              Resources& resources) {
    if (!IsLayoutFileOfKind(workingFileBytes, kind))
        throw AppError(std::string("The working layout file is not a ") + LayoutFileKindName(kind) + ".");
    std::vector<SystemLibrary> libraries;
    for (SystemFolder folder : SystemFoldersFor(kind, windows64)) {
        if (folder == SystemFolder::System) libraries.push_back({folder, workingFileBytes});
        else libraries.push_back({folder, CopyKeys(workingFileBytes, kind, SystemFileKind(kind, folder), resources)});
    }
    return libraries;
}

std::vector<SystemFolder> SystemFoldersFor(OsKind kind, bool windows64) {
    if (!windows64 || !IsNt(kind)) return {SystemFolder::System};
    return {SystemFolder::Native64, SystemFolder::Wow64};
}

OsKind SystemFileKind(OsKind kind, SystemFolder folder) {
    if (!IsNt(kind) || folder == SystemFolder::System) return kind;
    return folder == SystemFolder::Native64 ? kOsX64 : kOsWow64;
}

SystemFolder LoadFolderFor(OsKind kind, bool windows64) {
    return windows64 && IsNt(kind) ? SystemFolder::Native64 : SystemFolder::System;
}

std::optional<std::string> WorkingFileFromSystemLibrary(OsKind kind, SystemFolder folder,
                                                       const std::string& libraryBytes, Resources& resources,
                                                       std::string* why) {
    std::optional<std::string> fault;
    if (folder == SystemFolder::System) {
        if (IsLayoutFileOfKind(libraryBytes, kind)) return libraryBytes;
        fault = std::string("not a ") + LayoutFileKindName(kind) + " made by Tastavia";
    } else if (!IsNt(kind)) {
        fault = std::string("a ") + LayoutFileKindName(kind) + " is not installed for 64-bit Windows";
    } else {
        const OsKind shape = folder == SystemFolder::Native64 ? kOsX64 : kOsWow64;
        fault = WideLibraryShapeFault(libraryBytes, shape);
        if (!fault) return CopyKeys(libraryBytes, shape, kind, resources);
    }
    if (why) *why = "The layout library is " + *fault + ".";
    return std::nullopt;
}

}  // namespace tastavia
