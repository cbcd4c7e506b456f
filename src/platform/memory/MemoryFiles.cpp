#include "platform/memory/MemoryFiles.h"

#include "platform/Errors.h"

namespace tastavia {

namespace {

std::uint64_t NextVersion() {
    static std::uint64_t last = 0;
    return ++last;
}

bool IsFolderPath(const std::string& path) {
    return path.empty() || path == "." || path.back() == '/' || path.back() == '\\';
}

class MemoryRandomAccessFile : public RandomAccessFile {
public:
    MemoryRandomAccessFile(std::shared_ptr<MemoryFiles::Content> content, bool writable, std::string path)
        : content_(std::move(content)), writable_(writable), path_(std::move(path)) {}

    void Seek(std::uint32_t offset) override {
        Require();
        position_ = offset;
    }
    std::uint8_t ReadByte() override {
        Require();
        if (position_ >= content_->bytes.size()) throw IoError("Read error on " + path_);
        return static_cast<std::uint8_t>(content_->bytes[position_++]);
    }
    // As a real file: a write past the end fills the gap with zeros.
    void WriteByte(std::uint8_t value) override {
        Require();
        if (!writable_) throw IoError("Write error on " + path_);
        if (position_ >= content_->bytes.size()) content_->bytes.resize(std::size_t{position_} + 1, '\0');
        content_->bytes[position_++] = static_cast<char>(value);
        content_->version = NextVersion();
    }
    void WritePair(std::uint8_t first, std::uint8_t second) override {
        WriteByte(first);
        WriteByte(second);
    }
    std::uint32_t Size() override {
        Require();
        return static_cast<std::uint32_t>(content_->bytes.size());
    }
    void Close() override { content_.reset(); }

private:
    void Require() const {
        if (!content_) throw IoError("File not open: " + path_);
    }

    std::shared_ptr<MemoryFiles::Content> content_;
    bool writable_;
    std::string path_;
    std::uint32_t position_ = 0;
};

}  // namespace

FileStatus MemoryFiles::Status(const std::string& path) {
    FileStatus status;
    auto found = files_.find(path);
    if (found != files_.end()) {
        status.kind = FileKind::File;
        status.readOnly = found->second.readOnly;
        status.size = found->second.content->bytes.size();
        status.version = found->second.content->version;
    } else if (IsFolderPath(path)) {
        status.kind = FileKind::Folder;
    }
    return status;
}

bool MemoryFiles::IsReadOnly(const std::string& path) {
    auto found = files_.find(path);
    return found != files_.end() && found->second.readOnly;
}

void MemoryFiles::ClearReadOnly(const std::string& path) {
    auto found = files_.find(path);
    if (found == files_.end()) throw IoError("Cannot change the attributes of " + path);
    found->second.readOnly = false;
}

void MemoryFiles::SetReadOnly(const std::string& path) {
    auto found = files_.find(path);
    if (found != files_.end()) found->second.readOnly = true;
}

bool MemoryFiles::Copy(const std::string& source, const std::string& target) {
    std::optional<std::string> bytes = ReadAll(source);
    return bytes && WriteAll(target, *bytes);
}

bool MemoryFiles::Denied(const std::string& path) {
    lastFailureDenied_ = !deniedFolder_.empty() && path.compare(0, deniedFolder_.size(), deniedFolder_) == 0;
    return lastFailureDenied_;
}

bool MemoryFiles::Delete(const std::string& path) {
    if (Denied(path)) return false;
    auto found = files_.find(path);
    if (found == files_.end() || found->second.readOnly) return false;
    files_.erase(found);
    return true;
}

std::optional<std::string> MemoryFiles::ReadAll(const std::string& path) {
    auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    return found->second.content->bytes;
}

bool MemoryFiles::WriteAll(const std::string& path, const std::string& bytes) {
    if (Denied(path) || IsFolderPath(path) || IsReadOnly(path)) return false;
    files_[path].content = std::make_shared<Content>(Content{bytes, NextVersion()});
    return true;
}

std::unique_ptr<RandomAccessFile> MemoryFiles::Open(const std::string& path, FileAccess access) {
    auto found = files_.find(path);
    if (found == files_.end()) throw IoError("File not found: " + path);
    if (access == FileAccess::ReadWrite && found->second.readOnly) throw IoError("File is read-only: " + path);
    return std::make_unique<MemoryRandomAccessFile>(found->second.content, access == FileAccess::ReadWrite, path);
}

std::string MemoryFiles::CreateUniqueFile(const std::string& directory, const std::string& prefix) {
    std::string path;
    do {
        path = directory + prefix + std::to_string(++unique_) + ".tmp";
    } while (files_.count(path));
    WriteAll(path, "");
    return path;
}

}  // namespace tastavia
