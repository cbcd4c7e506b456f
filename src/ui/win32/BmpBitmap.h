#pragma once
// Turns the bytes of a .bmp file (or a packed DIB, as bitmap resources hold them) into
// a bitmap the screen can draw, after checking that every part lies inside the bytes.
#include <string>

#include "ui/win32/WinHandles.h"

namespace tastavia::ui::win32 {

// An empty bitmap when the bytes are not a bitmap this can read.
Bitmap BitmapFromBmp(const std::string& bytes);

}  // namespace tastavia::ui::win32
