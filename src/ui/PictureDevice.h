#pragma once
// Where a picture goes besides the screen: the printer, through the system's print
// dialog, and a bitmap file. The Win32 binding draws with GDI; tests record.
#include <string>
#include <vector>

#include "picture/Picture.h"

namespace tastavia::ui {

class PictureDevice {
public:
    virtual ~PictureDevice() = default;
    // Asks for a printer and prints the picture on one page, as large as it fits; false
    // when the user cancelled. Throws IoError when the printer refused the job.
    virtual bool Print(const picture::Picture& picture, const std::string& documentName) = 0;
    // The picture as the bytes of a BMP file, one pixel a picture unit; empty when it
    // could not be drawn.
    virtual std::string BitmapFile(const picture::Picture& picture) = 0;
};

// What the test backend keeps of the pictures it was given.
class RecordingPictureDevice : public PictureDevice {
public:
    bool printAnswer = true;  // false: the user cancels the print dialog
    std::vector<picture::Picture> printed;
    std::vector<std::string> documentNames;
    std::vector<picture::Picture> drawn;

    bool Print(const picture::Picture& picture, const std::string& documentName) override {
        if (!printAnswer) return false;
        printed.push_back(picture);
        documentNames.push_back(documentName);
        return true;
    }
    // No pixels without a system to draw them: the SVG stands in, after the BMP magic.
    std::string BitmapFile(const picture::Picture& picture) override {
        drawn.push_back(picture);
        return "BM" + picture::SvgText(picture);
    }
};

}  // namespace tastavia::ui
