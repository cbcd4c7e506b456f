#include "platform/posix/PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/Errors.h"

namespace tastavia {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Reset(); }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    bool Reset() {
        bool ok = true;
        if (fd_ >= 0) ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

bool IsRegularFile(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadOnlyNative(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool WriteFully(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

class PosixRandomAccessFile : public RandomAccessFile {
public:
    PosixRandomAccessFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

    void Seek(std::uint32_t offset) override {
        Require();
        position_ = offset;
    }

    std::uint8_t ReadByte() override {
        Require();
        unsigned char b = 0;
        ssize_t n;
        do {
            n = ::pread(fd_.Get(), &b, 1, static_cast<off_t>(position_));
        } while (n < 0 && errno == EINTR);
        if (n != 1) throw IoError("Read error on " + path_);
        ++position_;
        return b;
    }

    void WriteByte(std::uint8_t value) override {
        Require();
        ssize_t n;
        do {
            n = ::pwrite(fd_.Get(), &value, 1, static_cast<off_t>(position_));
        } while (n < 0 && errno == EINTR);
        if (n != 1) throw IoError("Write error on " + path_);
        ++position_;
    }

    std::uint32_t Size() override {
        Require();
        struct stat st {};
        if (::fstat(fd_.Get(), &st) != 0) throw IoError("Cannot read the size of " + path_);
        return static_cast<std::uint32_t>(st.st_size);
    }

    void Close() override {
        if (fd_.Valid() && !fd_.Reset()) throw IoError("Close error on " + path_);
    }

private:
    void Require() const {
        if (!fd_.Valid()) throw IoError("File not open: " + path_);
    }

    FileDescriptor fd_;
    std::string path_;
    std::uint32_t position_ = 0;
};

}  // namespace

PosixFiles::PosixFiles(std::string windowsDirectory, std::string tempPath)
    : windowsDirectory_(std::move(windowsDirectory)), tempPath_(std::move(tempPath)) {}

std::string PosixFiles::Native(const std::string& path) {
    std::string native = path;
    for (char& c : native)
        if (c == '\\') c = '/';
    return native;
}

bool PosixFiles::Exists(const std::string& path) {
    return !path.empty() && IsRegularFile(Native(path));
}

bool PosixFiles::IsReadOnly(const std::string& path) { return ReadOnlyNative(Native(path)); }

void PosixFiles::ClearReadOnly(const std::string& path) {
    std::string native = Native(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0 || ::chmod(native.c_str(), st.st_mode | S_IWUSR) != 0)
        throw IoError("Cannot change the attributes of " + path);
}

bool PosixFiles::Copy(const std::string& source, const std::string& target) {
    std::string from = Native(source), to = Native(target);
    if (!IsRegularFile(from) || ReadOnlyNative(to)) return false;
    std::optional<std::string> bytes = ReadAll(source);
    return bytes && WriteAll(target, *bytes);
}

bool PosixFiles::Delete(const std::string& path) {
    std::string native = Native(path);
    if (!IsRegularFile(native) || ReadOnlyNative(native)) return false;
    return ::unlink(native.c_str()) == 0;
}

std::optional<std::string> PosixFiles::ReadAll(const std::string& path) {
    std::string native = Native(path);
    if (!IsRegularFile(native)) return std::nullopt;
    FileDescriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

bool PosixFiles::WriteAll(const std::string& path, const std::string& bytes) {
    std::string native = Native(path);
    if (path.empty() || ReadOnlyNative(native)) return false;
    FileDescriptor fd(::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.Valid()) return false;
    bool ok = WriteFully(fd.Get(), bytes.data(), bytes.size());
    return fd.Reset() && ok;
}

std::unique_ptr<RandomAccessFile> PosixFiles::Open(const std::string& path, FileAccess access) {
    std::string native = Native(path);
    if (!IsRegularFile(native)) throw IoError("File not found: " + path);
    if (access == FileAccess::ReadWrite && ReadOnlyNative(native))
        throw IoError("File is read-only: " + path);
    int flags = (access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    int fd = ::open(native.c_str(), flags);
    if (fd < 0) throw IoError("Cannot open " + path + ": " + std::strerror(errno));
    return std::make_unique<PosixRandomAccessFile>(fd, path);
}

std::string PosixFiles::CreateUniqueFile(const std::string& directory, const std::string& prefix) {
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    std::string pattern = Native(dir + prefix + "XXXXXX");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    FileDescriptor fd(::mkstemp(buffer.data()));
    if (!fd.Valid()) throw IoError("Cannot create a temporary file in " + directory);
    return std::string(buffer.data());
}

std::string PosixFiles::FullPath(const std::string& path) {
    std::string native = Native(path);
    if (!native.empty() && native[0] == '/') return native;
    char buffer[4096];
    if (!::getcwd(buffer, sizeof buffer)) throw IoError("Cannot find the current directory");
    return std::string(buffer) + "/" + native;
}

std::string PosixFiles::WindowsDirectory() { return windowsDirectory_; }

std::string PosixFiles::TempPath() { return tempPath_; }

}  // namespace tastavia
