#include "platform/memory/FaultyFiles.h"

#include "platform/Errors.h"

namespace tastavia {

namespace {

class FaultyRandomAccessFile : public RandomAccessFile {
public:
    FaultyRandomAccessFile(std::unique_ptr<RandomAccessFile> inner, FaultPlan& plan, std::string path)
        : inner_(std::move(inner)), plan_(plan), path_(std::move(path)) {}

    void Seek(std::uint32_t offset) override {
        Check("Seek");
        inner_->Seek(offset);
    }
    std::uint8_t ReadByte() override {
        Check("ReadByte");
        return inner_->ReadByte();
    }
    void WriteByte(std::uint8_t value) override {
        Check("WriteByte");
        inner_->WriteByte(value);
    }
    void WritePair(std::uint8_t first, std::uint8_t second) override {
        Check("WritePair");
        inner_->WritePair(first, second);
    }
    std::uint32_t Size() override {
        Check("Size");
        return inner_->Size();
    }
    // A failing close still lets the handle go, as CloseHandle and close() do.
    void Close() override {
        bool fails = plan_.NextCallFails("Close " + path_);
        inner_->Close();
        if (fails) throw IoError("Close error on " + path_ + " (injected)");
    }

private:
    void Check(const char* operation) {
        if (plan_.NextCallFails(std::string(operation) + " " + path_))
            throw IoError(std::string(operation) + " error on " + path_ + " (injected)");
    }

    std::unique_ptr<RandomAccessFile> inner_;
    FaultPlan& plan_;
    std::string path_;
};

}  // namespace

void FaultyFiles::ClearReadOnly(const std::string& path) {
    if (Fails("ClearReadOnly", path)) throw IoError("Cannot change the attributes of " + path + " (injected)");
    inner_.ClearReadOnly(path);
}

bool FaultyFiles::Copy(const std::string& source, const std::string& target) {
    return !Fails("Copy", target) && inner_.Copy(source, target);
}

bool FaultyFiles::Delete(const std::string& path) { return !Fails("Delete", path) && inner_.Delete(path); }

std::optional<std::string> FaultyFiles::ReadAll(const std::string& path) {
    if (Fails("ReadAll", path)) return std::nullopt;
    return inner_.ReadAll(path);
}

bool FaultyFiles::WriteAll(const std::string& path, const std::string& bytes) {
    return !Fails("WriteAll", path) && inner_.WriteAll(path, bytes);
}

std::unique_ptr<RandomAccessFile> FaultyFiles::Open(const std::string& path, FileAccess access) {
    if (Fails("Open", path)) throw IoError("Cannot open " + path + " (injected)");
    return std::make_unique<FaultyRandomAccessFile>(inner_.Open(path, access), plan_, path);
}

std::string FaultyFiles::CreateUniqueFile(const std::string& directory, const std::string& prefix) {
    if (Fails("CreateUniqueFile", directory)) throw IoError("Cannot create a temporary file in " + directory + " (injected)");
    return inner_.CreateUniqueFile(directory, prefix);
}

std::string FaultyFiles::FullPath(const std::string& path) {
    if (Fails("FullPath", path)) throw IoError("Invalid path: " + path + " (injected)");
    return inner_.FullPath(path);
}

}  // namespace tastavia
