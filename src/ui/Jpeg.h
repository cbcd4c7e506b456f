#pragma once
// JPEG pictures (the start dialog's banner, the wizard's side picture) decoded with libjpeg.
#include <optional>
#include <string_view>

#include "ui/Controls.h"

namespace tastavia::ui {

// Larger pictures are refused rather than risk a huge allocation in a 32-bit process.
constexpr long kMaxJpegPixels = 4096L * 4096L;

// The picture as 24-bit RGB, top row first; grayscale pictures come out as RGB too.
// Nothing for data that is not a complete, sound JPEG: empty, truncated, corrupt,
// CMYK, or over kMaxJpegPixels. Never exits or throws on bad data.
std::optional<Picture> DecodeJpeg(std::string_view bytes);

}  // namespace tastavia::ui
