#include "layout/WorkingLayout.h"

#include "platform/Errors.h"

namespace tastavia {

const std::string kTemplateMarker(1, '\0');

const char* TemplateResource(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return "WIN98";
        case kOsWin2000: return "WIN2K";
        case kOsWinXp: return "WINXP";
        case kOsX64: return "WINX64";
        case kOsWow64: return "WOW64";
        case kOsArm64: return "WINARM64";
        default: return nullptr;
    }
}

const char* TemplatePrefix(OsKind kind) {
    switch (kind) {
        case kOsWin9x: return "W98";
        case kOsWin2000: return "W2K";
        case kOsWinXp: return "WXP";
        case kOsX64: return "W64";
        case kOsWow64: return "WOW";
        case kOsArm64: return "ARM";
        default: return nullptr;
    }
}

std::uint32_t TimeOfDayNumber(const TimeOfDay& time) {
    // Milliseconds of the day / 864 is the day's fraction times 100000, truncated,
    // computed without the rounding of a floating-point day.
    std::uint32_t ms = static_cast<std::uint32_t>(((time.hour * 60 + time.minute) * 60 + time.second) * 1000 +
                                                  time.millisecond);
    std::uint32_t number = ms / 864;
    return number > 99999 ? 99999 : number;
}

WorkingLayout::WorkingLayout(Files& files, Clock& clock, Resources& resources)
    : files_(files), clock_(clock), resources_(resources) {}

WorkingLayout::~WorkingLayout() {
    try {
        if (file_) file_->Close();
    } catch (const IoError&) {
        // The window's closing deletes the file; a destructor has nobody to tell.
    }
}

std::string WorkingLayout::MakeTempFileName(const std::string& prefix) {
    return tempDirectory_ + prefix + std::to_string(TimeOfDayNumber(clock_.LocalTime())) + ".tmp";
}

bool WorkingLayout::ExtractResourceToFile(const char* name, const std::string& path) {
    std::optional<std::string_view> bytes = resources_.RcData(name);
    if (!bytes || path.empty()) return false;
    return files_.WriteScratch(path, std::string(*bytes));
}

void WorkingLayout::CloseCurrent() {
    access_.reset();
    if (file_) {
        std::unique_ptr<RandomAccessFile> file = std::move(file_);
        file->Close();
    }
}

void WorkingLayout::OpenWorkingFile(const std::string& argument) {
    const bool fromTemplate = argument == kTemplateMarker;
    const char* resource = fromTemplate ? TemplateResource(osKind_) : nullptr;
    std::string path = fromTemplate ? (resource ? MakeTempFileName(TemplatePrefix(osKind_)) : "") : argument;
    // The copy is made before the current file goes, so that a full disk keeps the file
    // being edited; within one step of the clock the name is the current file's, and
    // the copy is made after it went.
    bool extracted = false;
    if (resource && path != workingPath_) {
        if (!ExtractResourceToFile(resource, path)) throw IoError("Cannot write a new layout file: " + path);
        extracted = true;
    }
    if (!workingPath_.empty()) {
        std::string previous = workingPath_;
        workingPath_.clear();
        try {
            CloseCurrent();
        } catch (const IoError&) {
            // A failed close still lets the file go: it is deleted all the same, and so
            // is the copy that was to replace it.
            files_.Delete(previous);
            if (extracted) files_.Delete(path);
            throw;
        }
        files_.Delete(previous);
    }
    if (path.empty()) return;
    if (resource && !extracted && !ExtractResourceToFile(resource, path)) return;
    workingPath_ = path;

    try {
        std::unique_ptr<RandomAccessFile> file = files_.Open(workingPath_, FileAccess::ReadWrite);
        access_ = MakeKeyAccess(osKind_, *file);
        if (!access_) throw IoError("No layout file kind chosen");
        file_ = std::move(file);
    } catch (...) {
        access_.reset();
        // The file was the system's to delete; once forgotten, nobody else would.
        files_.Delete(workingPath_);
        workingPath_.clear();
        throw;
    }
    if (onOpened) onOpened();
}

KeyAccess& WorkingLayout::Access() {
    if (!access_) throw IoError("No working layout file is open");
    return *access_;
}

std::uint8_t WorkingLayout::ReadKeyChar(KeyNumber k, ShiftState shift) { return Access().ReadKeyChar(k, shift); }

void WorkingLayout::WriteKeyChar(KeyNumber k, ShiftState shift, std::uint8_t c) {
    ++writes_;
    Access().WriteKeyChar(k, shift, c);
}

bool WorkingLayout::ReadCapsFlag(KeyNumber k) { return Access().ReadCapsFlag(k); }

void WorkingLayout::WriteCapsFlag(KeyNumber k, bool flag) {
    ++writes_;
    Access().WriteCapsFlag(k, flag);
}

}  // namespace tastavia
