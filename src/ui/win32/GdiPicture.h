#pragma once
// Pictures drawn with GDI: on a printer's page and into a device-independent bitmap.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/PictureDevice.h"

namespace tastavia::ui {

// Draws the picture with its top left corner at (left, top), each picture unit scale
// device units.
void DrawPicture(HDC dc, const picture::Picture& picture, int left, int top, double scale);
// As large as it fits on a page of that size within a margin, centred across.
void DrawPictureOnPage(HDC dc, const picture::Picture& picture, int pageWidth, int pageHeight);
// A 24-bit bottom-up BMP file of the picture at scale 1; empty when GDI failed.
std::string PictureBitmapFile(const picture::Picture& picture);

class GdiPictureDevice : public PictureDevice {
public:
    explicit GdiPictureDevice(std::function<HWND()> owner) : owner_(std::move(owner)) {}
    bool Print(const picture::Picture& picture, const std::string& documentName) override;
    std::string BitmapFile(const picture::Picture& picture) override { return PictureBitmapFile(picture); }

private:
    std::function<HWND()> owner_;
};

}  // namespace tastavia::ui
