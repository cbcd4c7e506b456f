#pragma once
// Little-endian integers in byte strings, as PE images and Windows resources keep them.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mkkbd {

inline void AppendLe16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

inline void AppendLe32(std::string& out, std::uint32_t value) {
    AppendLe16(out, value & 0xFFFF);
    AppendLe16(out, value >> 16);
}

inline void StoreLe16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

inline void StoreLe32(std::string& out, std::size_t at, std::uint32_t value) {
    StoreLe16(out, at, value & 0xFFFF);
    StoreLe16(out, at + 2, value >> 16);
}

}  // namespace mkkbd
