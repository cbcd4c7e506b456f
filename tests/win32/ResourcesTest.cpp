// The executable's own resources: bitmaps come back as complete .bmp files that Windows
// itself reads, the JPEG pictures decode with the libjpeg built for Windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>

#include "Win32TestSupport.h"
#include "platform/win32/Win32Services.h"
#include "ui/Jpeg.h"

namespace tastavia {
namespace {

// Draws a .bmp's pixels, found through its file header, into a 24-bit memory bitmap the
// way a list view background is painted, and reads one pixel back.
COLORREF PixelOf(std::string_view bmp, int x, int y) {
    BITMAPFILEHEADER file;
    std::memcpy(&file, bmp.data(), sizeof file);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bmp.data() + sizeof file);
    const int width = info->bmiHeader.biWidth, height = info->bmiHeader.biHeight;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO target {};
    target.bmiHeader.biSize = sizeof target.bmiHeader;
    target.bmiHeader.biWidth = width;
    target.bmiHeader.biHeight = height;
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(memory, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, canvas);
    SetDIBitsToDevice(memory, 0, 0, width, height, 0, 0, 0, height, bmp.data() + file.bfOffBits, info,
                      DIB_RGB_COLORS);
    COLORREF pixel = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    return pixel;
}

TEST(Win32Resources, BitmapIsTheWholeBmpFile) {
    Win32Resources resources;
    for (const char* name : {"WALLPAPER", "PALETTE"}) {
        auto bitmap = resources.Bitmap(name);
        auto file = resources.RcData((std::string(name) + "_FILE").c_str());
        ASSERT_TRUE(bitmap) << name;
        ASSERT_TRUE(file) << name;
        EXPECT_EQ(*bitmap, *file) << name;
    }
    // Found as FindResource finds it, and the same bytes each time, still valid.
    auto first = resources.Bitmap("WALLPAPER");
    auto again = resources.Bitmap("wallpaper");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->data(), first->data());
    EXPECT_FALSE(resources.Bitmap("NOSUCHBITMAP"));
    EXPECT_FALSE(resources.Bitmap("BANNER"));  // RCDATA, not a bitmap
}

TEST(Win32Resources, BitmapsPaintTheirOwnColours) {
    Win32Resources resources;
    // The colour-table case: where the pixels start depends on the table's size.
    auto palette = resources.Bitmap("PALETTE");
    ASSERT_TRUE(palette);
    EXPECT_EQ(PixelOf(*palette, 0, 0), RGB(0x2f, 0x4a, 0x66));
    EXPECT_EQ(PixelOf(*palette, 7, 3), RGB(0xf6, 0xe3, 0xb4));
    EXPECT_EQ(PixelOf(*palette, 7, 0), RGB(0xf3, 0xf6, 0xfa));
    auto wallpaper = resources.Bitmap("WALLPAPER");
    ASSERT_TRUE(wallpaper);
    EXPECT_EQ(PixelOf(*wallpaper, 0, 0), RGB(0xf3, 0xf6, 0xfa));
}

TEST(Win32Resources, WallpaperLoadsAsAFileWithLoadImage) {
    test::Win32Folder folder;
    auto wallpaper = Win32Resources().Bitmap("WALLPAPER");
    ASSERT_TRUE(wallpaper);
    const std::string path = folder.path() + "wallpaper.bmp";
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(out, wallpaper->data(), static_cast<DWORD>(wallpaper->size()), &written, nullptr);
    CloseHandle(out);
    ASSERT_EQ(written, wallpaper->size());

    HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_NE(image, nullptr) << path << " error " << GetLastError();
    BITMAP facts {};
    GetObjectA(image, sizeof facts, &facts);
    DeleteObject(image);
    EXPECT_EQ(facts.bmWidth, 128);
    EXPECT_EQ(facts.bmHeight, 128);
    EXPECT_EQ(facts.bmBitsPixel, 24);
}

TEST(Pictures, DecodeWithTheLibjpegBuiltForWindows) {
    Win32Resources resources;
    const struct { const char* name; int width, height; } kPictures[] = {{"BANNER", 285, 189}, {"WIZARD", 145, 257}};
    for (const auto& expected : kPictures) {
        auto bytes = resources.RcData(expected.name);
        ASSERT_TRUE(bytes) << expected.name;
        auto picture = ui::DecodeJpeg(*bytes);
        ASSERT_TRUE(picture) << expected.name;
        EXPECT_EQ(picture->width, expected.width) << expected.name;
        EXPECT_EQ(picture->height, expected.height) << expected.name;
        // Bad data ends in libjpeg's error handler: it must come back here, not exit.
        EXPECT_FALSE(ui::DecodeJpeg(bytes->substr(0, bytes->size() / 2))) << expected.name;
        EXPECT_FALSE(ui::DecodeJpeg(bytes->substr(0, 300))) << expected.name;
    }
    EXPECT_FALSE(ui::DecodeJpeg("not a picture"));
}

}  // namespace
}  // namespace tastavia
