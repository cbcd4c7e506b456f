#pragma once
// Installing the edited layout into the system, copying an installed one back for
// editing, and removing one. Each operation takes plain values and a hook that asks
// the user, and returns what to tell the user; it shows nothing itself.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "layout/KeyTable.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "registry/Catalogue.h"

namespace tastavia {

enum class Ask { OkCancel, YesNo, YesNoCancel };
enum class Reply { Yes, No, Cancel };  // OK is Yes
using Confirm = std::function<Reply(Ask buttons, const std::string& question)>;

// What an operation tells the user at its end, if anything.
struct Notice {
    enum class Kind { None, Information, Warning, Error };
    Kind kind = Kind::None;
    std::string text;
};

struct InstallRequest {
    std::string name;             // the Name field as typed
    std::string fileName;         // the File Name field as typed
    std::string systemDirectory;  // ends in a backslash
    std::string workingPath;      // the open working layout file
    bool replace = false;         // an installed layout matches both fields
    std::string keyName;          // its layout key name, when replacing
    std::vector<std::string> layoutIds;  // the "layout id" of every layout the catalogue read
};

// The install status: a digit telling the outcome and the message an interactive run
// shows: '0' added, '4' replaced, '2' failed, '1' nothing done (no message).
struct InstallStatus {
    char digit = '1';
    std::string message;

    std::string Text() const { return digit + message; }
    Notice ToNotice() const;
};

struct RemoveRequest {
    CatalogueRecord record;       // the selected entry
    std::string systemDirectory;  // ends in a backslash
    std::string fileName;         // the File Name field as typed
};

struct RemoveResult {
    bool keyRemoved = false;
    Notice notice;
};

// The system layouts go into. On a 64-bit Windows a layout is a library for each of its
// system folders; a standard user's failures are explained by the missing rights.
struct TargetSystem {
    OsKind kind = kOsWinXp;
    bool windows64 = false;
    bool administrator = true;
    bool arm64 = false;  // nothing installed there would type
};

class Installer {
public:
    Installer(Registry& registry, Files& files, Resources& resources)
        : registry_(registry), files_(files), resources_(resources) {}

    void SetTargetSystem(const TargetSystem& system) { system_ = system; }

    // Copies the working file into the system directory and, for a new layout,
    // registers it under the first free layout key. Confirmations are asked through
    // confirm; a value that cannot be written throws RegistryError.
    InstallStatus Install(const InstallRequest& request, const Confirm& confirm);
    // Copies the installed file named fileName to copyPath, writable, when it is a
    // layout file of the kind; a notice of kind None means the copy is there.
    Notice CopyForEditing(const std::string& systemDirectory, const std::string& fileName,
                          const std::string& copyPath);
    // Removes the entry's registry key and, when the user wants it and the layout is not
    // BASE, its file.
    RemoveResult Remove(const RemoveRequest& request, const Confirm& confirm);

private:
    struct Placed {
        std::string path;
        std::string bytes;
    };
    // The installed files of fileName, path and kind, one per system folder of the target system.
    std::vector<std::pair<std::string, OsKind>> InstalledFiles(const std::string& systemDirectory,
                                                               const std::string& fileName);
    std::string FolderPath(SystemFolder folder, const std::string& systemDirectory);
    // The libraries installing the working file writes, or the reason there are none.
    std::optional<std::string> PlaceLibraries(const InstallRequest& request, const std::string& fileName,
                                              std::vector<Placed>& placed);
    // Writes every library or, when one fails, puts back what the others replaced; the
    // reason on failure.
    std::optional<std::string> WriteAllOrNothing(const std::vector<Placed>& placed);
    // A failure message, with the file that failed where there are several and the
    // rights that were missing where they were.
    std::string Explained(const std::string& message, const std::string& failedPath, bool severalFiles,
                          bool denied) const;

    Registry& registry_;
    Files& files_;
    Resources& resources_;
    TargetSystem system_;
};

}  // namespace tastavia
