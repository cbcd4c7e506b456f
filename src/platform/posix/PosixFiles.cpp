#include "platform/posix/PosixFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Errors.h"
#include "platform/posix/ScratchFiles.h"

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

// New files get what open() with 0644 would give them.
mode_t NewFileMode() {
    static const mode_t mask = [] {
        mode_t current = ::umask(022);
        ::umask(current);
        return current;
    }();
    return 0644 & ~mask;
}

std::string FolderOf(const std::string& native) {
    std::size_t slash = native.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

// Where a link points, so that replacing it replaces that file and keeps the link.
std::string Unlinked(const std::string& native) {
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return native;
    char resolved[PATH_MAX];
    return ::realpath(native.c_str(), resolved) ? std::string(resolved) : native;
}

// Puts bytes in the file at native whole or not at all: a flushed sibling renamed over it.
bool Replace(const std::string& native, const std::string& bytes, mode_t mode) {
    const std::string target = Unlinked(native);
    const std::string folder = FolderOf(target);
    int made = -1;
    std::string temp = MakeScratchFile([&] {
        std::string pattern = folder + "/tasXXXXXX.tmp";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        made = ::mkostemps(name.data(), 4, O_CLOEXEC);
        return made < 0 ? std::string() : std::string(name.data());
    });
    FileDescriptor fd(made);
    if (!fd.Valid()) return false;
    bool ok = WriteFully(fd.Get(), bytes.data(), bytes.size()) && ::fchmod(fd.Get(), mode) == 0 &&
              ::fsync(fd.Get()) == 0;
    ok = fd.Reset() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    UntrackScratchFile(temp);
    if (ok) {
        // The rename itself reaches the disk with the folder.
        FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.Valid()) ::fsync(dir.Get());
    }
    return ok;
}

// The path with "." and ".." resolved as written, for comparing paths of missing files.
std::string Lexical(const std::string& absolute) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= absolute.size()) {
        std::size_t end = absolute.find('/', start);
        if (end == std::string::npos) end = absolute.size();
        std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string& part : parts) path += "/" + part;
    return path.empty() ? "/" : path;
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

    void WritePair(std::uint8_t first, std::uint8_t second) override {
        Require();
        const std::uint8_t pair[2] = {first, second};
        ssize_t n;
        do {
            n = ::pwrite(fd_.Get(), pair, 2, static_cast<off_t>(position_));
        } while (n < 0 && errno == EINTR);
        if (n != 2) throw IoError("Write error on " + path_);
        position_ += 2;
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

std::vector<std::string> PosixFiles::FileNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::string native = Native(folder);
    DIR* dir = ::opendir(native.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (::stat((native + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool PosixFiles::Exists(const std::string& path) {
    return !path.empty() && IsRegularFile(Native(path));
}

FileStatus PosixFiles::Status(const std::string& path) {
    FileStatus status;
    struct stat st {};
    if (path.empty() || ::stat(Native(path).c_str(), &st) != 0) return status;
    status.kind = S_ISREG(st.st_mode) ? FileKind::File : S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Other;
    status.readOnly = (st.st_mode & S_IWUSR) == 0;
    status.size = static_cast<std::uint64_t>(st.st_size);
    // The change time moves with every write and rename; with the inode and the
    // modification time it tells a changed file apart even within one clock tick.
    std::uint64_t version = static_cast<std::uint64_t>(st.st_ino);
    for (std::uint64_t part : {static_cast<std::uint64_t>(st.st_mtim.tv_sec), static_cast<std::uint64_t>(st.st_mtim.tv_nsec),
                               static_cast<std::uint64_t>(st.st_ctim.tv_sec), static_cast<std::uint64_t>(st.st_ctim.tv_nsec),
                               static_cast<std::uint64_t>(st.st_dev)})
        version = version * 1000003u ^ part;
    status.version = version;
    return status;
}

bool PosixFiles::SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    if (::stat(Native(a).c_str(), &first) == 0 && ::stat(Native(b).c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return Lexical(FullPath(a)) == Lexical(FullPath(b));
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
    if (::unlink(native.c_str()) != 0) return false;
    UntrackScratchFile(native);
    return true;
}

std::optional<std::string> PosixFiles::ReadAll(const std::string& path) {
    std::string native = Native(path);
    if (!IsRegularFile(native)) return std::nullopt;
    FileDescriptor fd(::open(native.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return std::nullopt;
    std::string bytes;
    // Held once at its size: a large file must not cost twice its size while it grows.
    struct stat st {};
    if (::fstat(fd.Get(), &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
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
    if (path.empty()) return false;
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return errno == ENOENT && Replace(native, bytes, NewFileMode());
    if (!S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0) return false;
    return Replace(native, bytes, st.st_mode & 07777);
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
    std::string path = MakeScratchFile([&] {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        FileDescriptor fd(::mkostemp(buffer.data(), O_CLOEXEC));
        return fd.Valid() ? std::string(buffer.data()) : std::string();
    });
    if (path.empty()) throw IoError("Cannot create a temporary file in " + directory);
    return path;
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

std::string PosixFiles::SystemFolderPath(SystemFolder folder) {
    return windowsDirectory_ + (folder == SystemFolder::Native64 ? "/sysnative/" : "/system32/");
}

}  // namespace tastavia
