#include "layout/LayoutCompare.h"

#include "layout/ForeignLayout.h"
#include "layout/LayoutCheck.h"
#include "layout/LayoutFileKind.h"
#include "layout/LayoutIni.h"
#include "layout/WideLibraryShape.h"
#include "platform/Errors.h"

namespace tastavia {

namespace {

void AddChange(std::string& text, const std::string& what, const std::string& from, const std::string& to) {
    if (!text.empty()) text += ", ";
    text += what + " " + from + " -> " + to;
}

// The working layout of a scratch copy, deleted when this goes out of scope.
class ScratchLayout {
public:
    ScratchLayout(Platform& platform, OsKind kind) : layout_(platform.files, platform.clock, platform.resources) {
        layout_.SetOsKind(kind);
        layout_.SetTempDirectory(platform.files.TempPath());
    }
    ~ScratchLayout() {
        try {
            layout_.OpenWorkingFile("");  // closes and deletes the copy
        } catch (const AppError&) {
        }
    }
    ScratchLayout(const ScratchLayout&) = delete;
    ScratchLayout& operator=(const ScratchLayout&) = delete;
    WorkingLayout& layout() { return layout_; }

private:
    WorkingLayout layout_;
};

std::string ScratchCopy(Platform& platform, const std::string& source) {
    Files& files = platform.files;
    const std::string copy = files.CreateUniqueFile(files.TempPath(), "cmp");
    if (copy.empty()) throw IoError("Unable to create a temporary file in " + files.TempPath());
    if (!files.Copy(source, copy)) {
        files.Delete(copy);
        throw IoError("Unable to read " + source);
    }
    if (files.IsReadOnly(copy)) files.ClearReadOnly(copy);
    return copy;
}

}  // namespace

std::vector<KeyDifference> CompareLayouts(const LayoutKeys& first, const LayoutKeys& second) {
    std::vector<KeyDifference> differences;
    for (const KeyInfo& key : KeyTable())
        if (At(first, key.number) != At(second, key.number))
            differences.push_back({key.number, At(first, key.number), At(second, key.number)});
    return differences;
}

std::string DifferenceKind(const KeyDifference& d) {
    std::string kind;
    auto add = [&kind](const char* what) { kind += (kind.empty() ? "" : ", ") + std::string(what); };
    if (d.first.unshifted != d.second.unshifted) add("unshifted");
    if (d.first.shifted != d.second.shifted) add("shifted");
    if (d.first.caps != d.second.caps) add("Caps Lock");
    return kind;
}

std::string DifferenceText(const KeyDifference& d) {
    std::string changes;
    if (d.first.unshifted != d.second.unshifted)
        AddChange(changes, "unshifted", CharLabel(d.first.unshifted), CharLabel(d.second.unshifted));
    if (d.first.shifted != d.second.shifted)
        AddChange(changes, "shifted", CharLabel(d.first.shifted), CharLabel(d.second.shifted));
    if (d.first.caps != d.second.caps)
        AddChange(changes, "Caps Lock", d.first.caps ? "on" : "off", d.second.caps ? "on" : "off");
    return KeyLabel(d.key) + ": " + changes;
}

LayoutKeys ReadLayoutForCompare(Platform& platform, const std::string& path) {
    Files& files = platform.files;
    const FileStatus status = files.Status(path);
    if (status.kind == FileKind::Missing) throw IoError(path + ": no such file");
    if (status.kind != FileKind::File) throw IoError(path + ": not a regular file");
    // A file of no layout file's size is told by its size, never read whole.
    std::optional<OsKind> kind;
    for (OsKind candidate : kLayoutFileKinds) {
        if (status.size != LayoutFileSize(candidate)) continue;
        const std::optional<std::string> bytes = files.ReadAll(path);
        if (!bytes) throw IoError("Unable to read " + path);
        kind = RecogniseLayoutFile(*bytes);
        if (kind) {
            if (std::optional<std::string> fault = WideLibraryShapeFault(*bytes, *kind))
                throw IoError(path + ": " + *fault);
        }
        break;
    }
    if (kind) {
        ScratchLayout scratch(platform, *kind);
        scratch.layout().OpenWorkingFile(ScratchCopy(platform, path));
        return ReadLayoutKeys(scratch.layout());
    }
    // Any other layout library, read as data.
    if (status.size >= 2 && status.size <= kMaxLayoutLibrarySize) {
        const std::optional<std::string> bytes = files.ReadAll(path);
        if (!bytes) throw IoError("Unable to read " + path);
        if (bytes->compare(0, 2, "MZ") == 0) {
            std::string why;
            const std::optional<ForeignLayout> foreign = ReadLayoutLibrary(*bytes, &why);
            if (!foreign) throw IoError(path + ": " + why);
            return foreign->keys;
        }
    }
    const std::string full = files.FullPath(path);
    if (!HasLayoutKeys(platform.profile, full))
        throw IoError(path + ": neither a layout file of a known kind nor an INI file with a [KBD] section");
    ScratchLayout scratch(platform, kOsWinXp);
    // A file of its own, never the template copy's name of this clock step, which the
    // editor's working file may have.
    const std::string copy = files.CreateUniqueFile(files.TempPath(), "cmp");
    if (copy.empty()) throw IoError("Unable to create a temporary file in " + files.TempPath());
    if (!scratch.layout().ExtractResourceToFile(TemplateResource(kOsWinXp), copy)) {
        files.Delete(copy);
        throw IoError("Unable to write to " + copy);
    }
    scratch.layout().OpenWorkingFile(copy);
    ImportLayout(scratch.layout(), platform.profile, full);
    return ReadLayoutKeys(scratch.layout());
}

}  // namespace tastavia
