#pragma once
// File services the logic needs from the OS. Paths are Windows-1251 strings in the
// platform's own syntax; the portable implementation also accepts '\' as a separator.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemFolder.h"

namespace tastavia {

// One open file for byte-wise random access. Every write reaches the file at once,
// so another opener (a copy taken meanwhile) sees it. Failures throw IoError.
class RandomAccessFile {
public:
    virtual ~RandomAccessFile() = default;
    virtual void Seek(std::uint32_t offset) = 0;
    virtual std::uint8_t ReadByte() = 0;        // at the position, then advances
    virtual void WriteByte(std::uint8_t value) = 0;
    // Two bytes in one write, so that a failing disk leaves neither rather than one.
    virtual void WritePair(std::uint8_t first, std::uint8_t second) = 0;
    virtual std::uint32_t Size() = 0;
    virtual void Close() = 0;                   // idempotent; the destructor closes too
};

enum class FileAccess { ReadOnly, ReadWrite };

enum class FileKind { Missing, File, Folder, Other };

// What is at a path, without opening it.
struct FileStatus {
    FileKind kind = FileKind::Missing;
    bool readOnly = false;
    std::uint64_t size = 0;
    // Changes whenever the contents may have changed: the file's times and identity.
    std::uint64_t version = 0;
};

class Files {
public:
    virtual ~Files() = default;

    virtual bool Exists(const std::string& path) = 0;  // a file, not a folder
    virtual FileStatus Status(const std::string& path) = 0;
    // Whether two paths name the same file, also when spelled differently.
    virtual bool SameFile(const std::string& a, const std::string& b) = 0;
    virtual bool IsReadOnly(const std::string& path) = 0;
    // Clears the read-only attribute and keeps the others; throws IoError on failure.
    virtual void ClearReadOnly(const std::string& path) = 0;
    // Copies source onto target, replacing it; false when the copy failed. Like every
    // write here, it writes a temporary file beside the target and then puts it in the
    // target's place, so that the target is either whole and new or as it was.
    virtual bool Copy(const std::string& source, const std::string& target) = 0;
    virtual bool Delete(const std::string& path) = 0;

    // Whole-file helpers. ReadAll gives nothing for a missing or unreadable file;
    // WriteAll creates or replaces the file, whole or not at all, and reports success.
    virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
    virtual bool WriteAll(const std::string& path, const std::string& bytes) = 0;
    // A working copy of the program's own that nobody else reads and that is made again
    // after a crash: written in place without waiting for the disk; a failed write leaves
    // no file. Where that is no cheaper, as WriteAll.
    virtual bool WriteScratch(const std::string& path, const std::string& bytes) { return WriteAll(path, bytes); }

    // Opens an existing file, shared for reading and writing with other openers.
    // Throws IoError when it is missing or cannot be opened that way.
    virtual std::unique_ptr<RandomAccessFile> Open(const std::string& path, FileAccess access) = 0;

    // Creates a new empty file with a unique name in directory and returns its path;
    // throws IoError when that is impossible.
    virtual std::string CreateUniqueFile(const std::string& directory, const std::string& prefix) = 0;

    // The path made absolute against the current directory.
    virtual std::string FullPath(const std::string& path) = 0;

    // The Windows directory without a trailing backslash.
    virtual std::string WindowsDirectory() = 0;
    // The directory for temporary files, ending in a backslash (or '/').
    virtual std::string TempPath() = 0;
    // The system folder as this 32-bit program addresses it, ending in a backslash (or
    // '/'). On a 64-bit Windows System and Wow64 are the System32 that WOW64 redirects
    // to SysWOW64, and Native64 the real System32 behind it.
    virtual std::string SystemFolderPath(SystemFolder folder) = 0;
    // Whether the last write, copy or delete that failed was refused for want of rights
    // (only an administrator may change the system folder).
    virtual bool LastFailureDenied() { return false; }
    // Whether another program holds the file open so that it can be neither replaced nor
    // deleted now: told apart from a refusal for want of rights and from a read-only file.
    virtual bool InUse(const std::string& /*path*/) { return false; }
    // The names of the regular files in folder (ending in a separator), in no set
    // order; none when it cannot be read.
    virtual std::vector<std::string> FileNames(const std::string& folder) {
        (void)folder;
        return {};
    }
};

}  // namespace tastavia
