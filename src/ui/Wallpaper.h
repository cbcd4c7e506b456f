#pragma once
// The WALLPAPER bitmap that every list of the program shows behind its rows.
#include "platform/Resources.h"
#include "ui/ListView.h"

namespace tastavia::ui {

// Gives the list its own copy of the bitmap; a program without it shows a plain list.
void ShowWallpaper(Resources& resources, ListView& list);

}  // namespace tastavia::ui
