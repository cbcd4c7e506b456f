#pragma once
// The "layout id" of a layout whose key is not a plain language id: Windows makes the
// high word of its handle from it, so no two installed layouts may share one.
#include <optional>
#include <string>
#include <vector>

namespace tastavia {

// Four hexadecimal digits, as Windows reads the value; anything else names no handle.
bool IsLayoutIdValue(const std::string& value);
// The first four-lower-case-hex-digit id from 00c0 upward that none of taken holds
// (compared without regard to case; values that are no id hold nothing); nothing once
// every id up to ffff is taken.
std::optional<std::string> FirstFreeLayoutId(const std::vector<std::string>& taken);

}  // namespace tastavia
