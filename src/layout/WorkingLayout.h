#pragma once
// The one layout file being edited: a temporary copy of a template or of an installed
// layout, open for byte-wise access for as long as it is edited, and deleted when
// another replaces it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "layout/KeyAccess.h"
#include "layout/KeyTable.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Resources.h"

namespace tastavia {

// Passed to OpenWorkingFile it asks for a fresh copy of the template; no path is "\0".
extern const std::string kTemplateMarker;

// The template resource and temporary-file prefix of an OS kind; null for others.
const char* TemplateResource(OsKind kind);
const char* TemplatePrefix(OsKind kind);

// The elapsed part of the local day in steps of 0.864 s: 0 at midnight, 99999 last.
std::uint32_t TimeOfDayNumber(const TimeOfDay& time);

class WorkingLayout {
public:
    WorkingLayout(Files& files, Clock& clock, Resources& resources);
    ~WorkingLayout();
    WorkingLayout(const WorkingLayout&) = delete;
    WorkingLayout& operator=(const WorkingLayout&) = delete;

    void SetOsKind(OsKind kind) { osKind_ = kind; }
    OsKind GetOsKind() const { return osKind_; }
    void SetTempDirectory(const std::string& path) { tempDirectory_ = path; }
    const std::string& TempDirectory() const { return tempDirectory_; }

    // Temporary directory + prefix + time-of-day number + ".tmp".
    std::string MakeTempFileName(const std::string& prefix);
    // Writes an RCDATA resource into a file; false when anything failed.
    bool ExtractResourceToFile(const char* name, const std::string& path);

    // Closes and deletes the current working file, then opens the given one: nothing
    // for an empty argument, a fresh template copy for kTemplateMarker, or the file at
    // a path (which becomes the system's to change and delete). A template copy that
    // cannot be written throws IoError before anything changes; a file that cannot be
    // opened throws IoError, with no working file open afterwards and that file deleted.
    void OpenWorkingFile(const std::string& argument);
    const std::string& WorkingPath() const { return workingPath_; }
    bool IsOpen() const { return file_ != nullptr; }

    // Key access on the open working file; IoError when none is open.
    std::uint8_t ReadKeyChar(KeyNumber k, ShiftState shift);
    void WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c);
    bool ReadCapsFlag(KeyNumber k);
    void WriteCapsFlag(KeyNumber k, bool flag);
    // Counts the writes, so that a watcher can tell whether anything may have changed.
    std::uint32_t Writes() const { return writes_; }

    // Filled in by the editor: run after a working file was opened, after an INI
    // import and after an INI export.
    std::function<void()> onOpened;
    std::function<void()> onImported;
    std::function<void()> onExported;

private:
    KeyAccess& Access();
    void CloseCurrent();

    Files& files_;
    Clock& clock_;
    Resources& resources_;
    OsKind osKind_ = kOsUnchosen;
    std::string tempDirectory_;
    std::string workingPath_;
    std::unique_ptr<RandomAccessFile> file_;
    std::unique_ptr<KeyAccess> access_;
    std::uint32_t writes_ = 0;
};

}  // namespace tastavia
