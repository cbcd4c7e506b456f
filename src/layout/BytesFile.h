#pragma once
// A layout file's bytes in memory, for the key access: the same reads and writes as the
// working file on disk, every one inside the bytes or an IoError.
#include <cstdint>
#include <string>

#include "platform/Errors.h"
#include "platform/Files.h"

namespace tastavia {

class BytesFile : public RandomAccessFile {
public:
    explicit BytesFile(std::string& bytes) : bytes_(bytes) {}
    void Seek(std::uint32_t offset) override { at_ = offset; }
    std::uint8_t ReadByte() override { return static_cast<std::uint8_t>(bytes_[At()]); }
    void WriteByte(std::uint8_t value) override { bytes_[At()] = static_cast<char>(value); }
    void WritePair(std::uint8_t first, std::uint8_t second) override {
        if (at_ + 1 >= bytes_.size()) throw IoError("A layout file ends too early.");
        WriteByte(first);
        WriteByte(second);
    }
    std::uint32_t Size() override { return static_cast<std::uint32_t>(bytes_.size()); }
    void Close() override {}

private:
    std::size_t At() {
        if (at_ >= bytes_.size()) throw IoError("A layout file ends too early.");
        return at_++;
    }
    std::string& bytes_;
    std::size_t at_ = 0;
};

}  // namespace tastavia
