#include "registry/LayoutIds.h"

#include <cstdio>

namespace tastavia {

namespace {

// Below this the system's own layouts keep their ids.
constexpr unsigned kFirstFreeId = 0x00c0;
constexpr unsigned kLastId = 0xffff;

unsigned HexValue(const std::string& value) { return static_cast<unsigned>(std::stoul(value, nullptr, 16)); }

}  // namespace

bool IsLayoutIdValue(const std::string& value) {
    return value.size() == 4 && value.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::optional<std::string> FirstFreeLayoutId(const std::vector<std::string>& taken) {
    std::vector<bool> used(kLastId + 1, false);
    for (const std::string& value : taken)
        if (IsLayoutIdValue(value)) used[HexValue(value)] = true;
    for (unsigned id = kFirstFreeId; id <= kLastId; ++id) {
        if (used[id]) continue;
        char text[8];
        std::snprintf(text, sizeof text, "%04x", id);
        return std::string(text);
    }
    return std::nullopt;
}

}  // namespace tastavia
