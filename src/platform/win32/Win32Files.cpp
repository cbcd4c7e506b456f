#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <algorithm>

#include "platform/Errors.h"

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
    bool Reset() {
        bool ok = true;
        if (Valid()) ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

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

bool Win32Files::Exists(const std::string& path) {
    return !path.empty() && IsFile(GetFileAttributesA(path.c_str()));
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
    if (RefusesWrites(target)) return false;
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

bool Win32Files::Delete(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::optional<std::string> Win32Files::ReadAll(const std::string& path) {
    Handle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(h.Get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

bool Win32Files::WriteAll(const std::string& path, const std::string& bytes) {
    if (path.empty() || RefusesWrites(path)) return false;
    Handle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(h.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return h.Reset();
}

std::unique_ptr<RandomAccessFile> Win32Files::Open(const std::string& path, FileAccess access) {
    if (access == FileAccess::ReadWrite && RefusesWrites(path)) throw IoError("File is read-only: " + path);
    DWORD desired = access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    // Write-through: the copy that installing takes while the file stays open must
    // hold every edit made so far.
    HANDLE h = CreateFileA(path.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw IoError("Cannot open " + path);
    return std::make_unique<Win32RandomAccessFile>(h, path);
}

std::string Win32Files::CreateUniqueFile(const std::string& directory, const std::string& prefix) {
    char buffer[MAX_PATH + 1] = {};
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

}  // namespace tastavia
