#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <algorithm>

#include "platform/Errors.h"
#include "platform/win32/LookupFunction.h"
#include "text/Text.h"

namespace tastavia {

namespace {

// The buffers Windows 9x is known to fill for these two calls.
constexpr DWORD kDirectoryBuffer = 144;

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Reset(); }
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    // Open, and on a disk: a pipe, console or port reached under a file's name is let go.
    bool DiskHandle() {
        if (Valid() && GetFileType(h_) != FILE_TYPE_DISK) Reset();
        return Valid();
    }
    bool Reset() {
        bool ok = true;
        if (Valid()) ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

// GetTempFileName needs room for its own "tas1234.tmp" after the folder.
constexpr std::size_t kLongestTempFolder = MAX_PATH - 14;

// A plain disk file, by the path's spelling (no device in any form), before anything is
// opened; the open handle is asked again (DiskHandle), as only the file system can tell.
bool PlainPath(const std::string& path) { return !path.empty() && !IsDevicePath(path); }

bool IsFile(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Windows refuses to write into a read-only file by itself; Wine run by root lets the
// write through, so the attribute is checked here as well.
bool RefusesWrites(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder part of a path, with its backslash ("." for a bare name).
std::string FolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool ReadWhole(HANDLE h, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &read, nullptr)) return false;
        if (read == 0) return true;
        bytes.append(buffer, read);
    }
}

// A new file's bytes, flushed to the disk; written carries the time to give it.
bool WriteWhole(HANDLE h, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD count = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(h, bytes.data() + done, chunk, &count, nullptr) || count == 0) return false;
        done += count;
    }
    return true;
}

bool WriteFlushed(const std::string& path, const std::string& bytes, const FILETIME* written) {
    Handle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid() || !WriteWhole(h.Get(), bytes)) return false;
    if (written && !SetFileTime(h.Get(), nullptr, nullptr, written)) return false;
    return FlushFileBuffers(h.Get()) && h.Reset();
}

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

// Windows 95 has no working MoveFileExA: it is looked up when first needed.
MoveFileExFunction MoveFileExEntry() {
    static const MoveFileExFunction entry =
        LookupFunction<MoveFileExFunction>(GetModuleHandleA("kernel32.dll"), "MoveFileExA");
    return entry;
}

enum class Moved { Yes, No, KeptAside };

Moved MoveOnto(const std::string& temp, const std::string& target, ReplaceMethod method) {
    MoveFileExFunction moveFileEx = method == ReplaceMethod::DeleteThenMove ? nullptr : MoveFileExEntry();
    if (moveFileEx) {
        if (moveFileEx(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Moved::Yes;
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED || method == ReplaceMethod::ReplacingMove) return Moved::No;
    } else if (method == ReplaceMethod::ReplacingMove) {
        return Moved::No;
    }
    // Windows 9x: no rename replaces a file there. The old file steps aside under a name
    // of its own and comes back when the new one cannot take its place, so that no
    // failure in between loses it.
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(temp.c_str(), target.c_str()) ? Moved::Yes : Moved::No;
    char aside[MAX_PATH + 1] = {};
    if (FolderOf(target).size() > kLongestTempFolder || GetTempFileNameA(FolderOf(target).c_str(), "tas", 0, aside) == 0)
        return Moved::No;
    // The name is taken by an empty file, and no rename replaces it either.
    if (!DeleteFileA(aside) || !MoveFileA(target.c_str(), aside)) {
        DeleteFileA(aside);
        return Moved::No;
    }
    if (MoveFileA(temp.c_str(), target.c_str())) {
        SetFileAttributesA(aside, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(aside);  // what fails here leaves an old copy behind, and nothing lost
        return Moved::Yes;
    }
    if (MoveFileA(aside, target.c_str())) return Moved::No;
    // The old file stays under the name it stepped aside to, the new one under its own.
    return Moved::KeptAside;
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

bool Identify(const std::string& path, FileIdentity& identity) {
    // Only a plain disk file is opened to be told apart: not a device, nor a folder.
    if (!PlainPath(path) || !IsFile(GetFileAttributesA(path.c_str()))) return false;
    Handle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info {};
    if (!h.DiskHandle() || !GetFileInformationByHandle(h.Get(), &info)) return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    // Some file systems give no index at all; then only the paths can tell.
    return info.nFileIndexHigh != 0 || info.nFileIndexLow != 0;
}

class Win32RandomAccessFile : public RandomAccessFile {
public:
    Win32RandomAccessFile(HANDLE h, std::string path) : handle_(h), path_(std::move(path)) {}

    void Seek(std::uint32_t offset) override {
        Require();
        if (SetFilePointer(handle_.Get(), static_cast<LONG>(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR)
            throw IoError("Seek error on " + path_);
    }

    std::uint8_t ReadByte() override {
        Require();
        BYTE b = 0;
        DWORD read = 0;
        if (!ReadFile(handle_.Get(), &b, 1, &read, nullptr) || read != 1) throw IoError("Read error on " + path_);
        return b;
    }

    void WriteByte(std::uint8_t value) override {
        Require();
        DWORD written = 0;
        if (!WriteFile(handle_.Get(), &value, 1, &written, nullptr) || written != 1)
            throw IoError("Write error on " + path_);
    }

    void WritePair(std::uint8_t first, std::uint8_t second) override {
        Require();
        const BYTE pair[2] = {first, second};
        DWORD written = 0;
        if (!WriteFile(handle_.Get(), pair, 2, &written, nullptr) || written != 2)
            throw IoError("Write error on " + path_);
    }

    std::uint32_t Size() override {
        Require();
        DWORD size = GetFileSize(handle_.Get(), nullptr);
        if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) throw IoError("Cannot read the size of " + path_);
        return size;
    }

    void Close() override {
        if (handle_.Valid() && !handle_.Reset()) throw IoError("Close error on " + path_);
    }

private:
    void Require() const {
        if (!handle_.Valid()) throw IoError("File not open: " + path_);
    }

    Handle handle_;
    std::string path_;
};

}  // namespace

std::vector<std::string> Win32Files::FileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool Win32Files::Exists(const std::string& path) {
    return PlainPath(path) && IsFile(GetFileAttributesA(path.c_str()));
}

FileStatus Win32Files::Status(const std::string& path) {
    FileStatus status;
    // A wildcard would make FindFirstFile describe some other file.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) return status;
    if (!PlainPath(path)) {
        status.kind = FileKind::Other;
        return status;
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return status;
    status.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    status.kind = IsFolder(attributes) ? FileKind::Folder : FileKind::File;
    WIN32_FIND_DATAA found {};
    HANDLE h = status.kind == FileKind::File ? FindFirstFileA(path.c_str(), &found) : INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE) {
        FindClose(h);
        status.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
        status.version = ticks(found.ftLastWriteTime) * 1000003u ^ ticks(found.ftCreationTime);
    }
    return status;
}

bool Win32Files::SameFile(const std::string& a, const std::string& b) {
    auto full = [](const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        char* filePart = nullptr;
        DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &filePart);
        return n == 0 || n > MAX_PATH ? path : std::string(buffer, n);
    };
    // An existing file under its long name, also when named by its 8.3 alias: Windows
    // 9x's file systems give no file index that could tell.
    auto longName = [&full](const std::string& path) {
        std::string name = full(path);
        WIN32_FIND_DATAA found {};
        HANDLE h = name.find_first_of("*?") == std::string::npos ? FindFirstFileA(name.c_str(), &found)
                                                                 : INVALID_HANDLE_VALUE;
        if (h == INVALID_HANDLE_VALUE) return name;
        FindClose(h);
        return name.substr(0, name.find_last_of("\\/") + 1) + found.cFileName;
    };
    if (lstrcmpiA(longName(a).c_str(), longName(b).c_str()) == 0) return true;
    FileIdentity x, y;
    return Identify(a, x) && Identify(b, y) && x.volume == y.volume && x.indexHigh == y.indexHigh &&
           x.indexLow == y.indexLow;
}

bool Win32Files::Failed() {
    lastFailureDenied_ = GetLastError() == ERROR_ACCESS_DENIED;
    return false;
}

bool Win32Files::ReplaceWith(const std::string& target, const std::string& bytes, const std::string& source) {
    lastFailureDenied_ = false;
    if (!PlainPath(target) || (!source.empty() && !PlainPath(source)) || RefusesWrites(target) ||
        IsFolder(GetFileAttributesA(target.c_str())))
        return false;
    FILETIME written {};
    DWORD attributes = 0;
    std::string copied;
    const std::string* content = &bytes;
    if (!source.empty()) {
        // As CopyFile: the same bytes, time and attributes.
        Handle h(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
        attributes = GetFileAttributesA(source.c_str());
        if (!h.DiskHandle() || !IsFile(attributes) || !ReadWhole(h.Get(), copied) ||
            !GetFileTime(h.Get(), nullptr, nullptr, &written))
            return false;
        attributes &= FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
        content = &copied;
    }
    char temp[MAX_PATH + 1] = {};
    if (FolderOf(target).size() > kLongestTempFolder) return false;
    if (GetTempFileNameA(FolderOf(target).c_str(), "tas", 0, temp) == 0) return Failed();
    bool ok = WriteFlushed(temp, *content, source.empty() ? nullptr : &written);
    if (ok && attributes != 0) ok = SetFileAttributesA(temp, attributes) != 0;
    Moved moved = ok ? MoveOnto(temp, target, method_) : Moved::No;
    if (moved == Moved::No) {
        Failed();
        SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temp);
    }
    return moved == Moved::Yes;
}

bool Win32Files::InUse(const std::string& path) {
    if (!Exists(path)) return false;
    // Opening for writing changes nothing; the system refuses it for rights before it
    // looks at the other openers, so a sharing violation means the file is held open.
    Handle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.Valid()) return false;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool Win32Files::IsReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void Win32Files::ClearReadOnly(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
        throw IoError("Cannot change the attributes of " + path);
}

bool Win32Files::Copy(const std::string& source, const std::string& target) {
    return !source.empty() && ReplaceWith(target, std::string(), source);
}

bool Win32Files::Delete(const std::string& path) {
    lastFailureDenied_ = false;
    return (PlainPath(path) && DeleteFileA(path.c_str()) != 0) || Failed();
}

std::optional<std::string> Win32Files::ReadAll(const std::string& path) {
    if (!PlainPath(path)) return std::nullopt;
    Handle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!h.DiskHandle() || !ReadWhole(h.Get(), bytes)) return std::nullopt;
    return bytes;
}

bool Win32Files::WriteAll(const std::string& path, const std::string& bytes) {
    return ReplaceWith(path, bytes, std::string());
}

bool Win32Files::WriteScratch(const std::string& path, const std::string& bytes) {
    lastFailureDenied_ = false;
    if (!PlainPath(path) || RefusesWrites(path) || IsFolder(GetFileAttributesA(path.c_str()))) return false;
    Handle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.DiskHandle()) return Failed();
    if (WriteWhole(h.Get(), bytes) && h.Reset()) return true;
    Failed();
    h.Reset();
    DeleteFileA(path.c_str());
    return false;
}

std::unique_ptr<RandomAccessFile> Win32Files::Open(const std::string& path, FileAccess access) {
    if (!PlainPath(path)) throw IoError("Not a file: " + path);
    if (access == FileAccess::ReadWrite && RefusesWrites(path)) throw IoError("File is read-only: " + path);
    DWORD desired = access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    // Write-through: the copy that installing takes while the file stays open must
    // hold every edit made so far.
    HANDLE h = CreateFileA(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw IoError("Cannot open " + path);
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        throw IoError("Not a file: " + path);
    }
    return std::make_unique<Win32RandomAccessFile>(h, path);
}

std::string Win32Files::CreateUniqueFile(const std::string& directory, const std::string& prefix) {
    char buffer[MAX_PATH + 1] = {};
    if (directory.size() > kLongestTempFolder)
        throw IoError("The folder's path is too long for a temporary file: " + directory);
    if (GetTempFileNameA(directory.c_str(), prefix.c_str(), 0, buffer) == 0)
        throw IoError("Cannot create a temporary file in " + directory);
    return buffer;
}

std::string Win32Files::FullPath(const std::string& path) {
    char buffer[MAX_PATH + 1] = {};
    char* filePart = nullptr;
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, &filePart);
    if (n == 0 || n > MAX_PATH) throw IoError("Invalid path: " + path);
    return std::string(buffer, n);
}

std::string Win32Files::WindowsDirectory() {
    char buffer[kDirectoryBuffer] = {};
    UINT n = GetWindowsDirectoryA(buffer, kDirectoryBuffer);
    if (n == 0 || n >= kDirectoryBuffer) throw IoError("Cannot find the Windows directory");
    return std::string(buffer, n);
}

std::string Win32Files::TempPath() {
    char buffer[kDirectoryBuffer] = {};
    DWORD n = GetTempPathA(kDirectoryBuffer, buffer);
    if (n == 0 || n >= kDirectoryBuffer) throw IoError("Cannot find the temporary directory");
    return std::string(buffer, n);
}

// A 32-bit program on a 64-bit Windows reaches the real System32 through its Sysnative
// alias (Vista and later; XP x64 with its update for it); System32 itself is redirected.
std::string Win32Files::SystemFolderPath(SystemFolder folder) {
    if (folder == SystemFolder::Native64) return WindowsDirectory() + "\\Sysnative\\";
    char buffer[kDirectoryBuffer] = {};
    UINT n = GetSystemDirectoryA(buffer, kDirectoryBuffer);
    if (n == 0 || n >= kDirectoryBuffer) throw IoError("Cannot find the system directory");
    return std::string(buffer, n) + "\\";
}

}  // namespace tastavia
