#pragma once
#include <optional>
#include <string_view>

namespace tastavia {

// The program's own resources by name: RCDATA in the executable, or arrays compiled
// into the host build. The bytes live as long as the program.
class Resources {
public:
    virtual ~Resources() = default;
    virtual std::optional<std::string_view> RcData(const char* name) = 0;
    virtual std::optional<std::string_view> Bitmap(const char* name) = 0;
};

}  // namespace tastavia
