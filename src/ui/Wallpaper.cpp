#include "ui/Wallpaper.h"

namespace tastavia::ui {

void ShowWallpaper(Resources& resources, ListView& list) {
    if (std::optional<std::string_view> bitmap = resources.Bitmap("WALLPAPER")) list.SetBackground(std::string(*bitmap));
}

}  // namespace tastavia::ui
