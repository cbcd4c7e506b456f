#pragma once
// The commands that look at whole layouts: diff of two, and the chart of one.
#include <ostream>
#include <string>

#include "platform/Platform.h"

namespace tastavia::cli {

// One line for each key whose characters or Caps Lock flag differ; 0 when none does,
// 1 otherwise.
int RunDiff(Platform& platform, const std::string& first, const std::string& second, std::ostream& out);

// The layout's keyboard as a picture: .svg anywhere, .png where a PNG library is built in.
void RunChart(Platform& platform, const std::string& file, const std::string& output);

}  // namespace tastavia::cli
