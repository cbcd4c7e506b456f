#include "ui/win32/GdiPicture.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Errors.h"
#include "ui/win32/WinHandles.h"

namespace tastavia::ui {

namespace {

COLORREF ColorOf(const picture::Color& c) { return RGB(c.r, c.g, c.b); }

int Scaled(int value, double scale) { return static_cast<int>(std::lround(value * scale)); }

RECT Place(const picture::Rect& r, int left, int top, double scale) {
    return RECT{left + Scaled(r.left, scale), top + Scaled(r.top, scale), left + Scaled(r.left + r.width, scale),
                top + Scaled(r.top + r.height, scale)};
}

// Arial is on every Windows since 3.1 and has Cyrillic; the charset picks it.
win32::Font TextFont(const picture::Text& text, double scale) {
    LOGFONTA font{};
    font.lfHeight = -std::max(1, Scaled(text.size, scale));
    font.lfWeight = text.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = RUSSIAN_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::memcpy(font.lfFaceName, "Arial", sizeof "Arial");
    return win32::Font(CreateFontIndirectA(&font));
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A printer DC with its PrintDlg memory, released once.
struct PrinterChoice {
    PRINTDLGA dialog{};
    ~PrinterChoice() {
        if (dialog.hDC) DeleteDC(dialog.hDC);
        if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
        if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    }
};

constexpr DWORD kNoDefaultPrinter = 0x1008;  // PDERR_NODEFAULTPRN

}  // namespace

void DrawPicture(HDC dc, const picture::Picture& picture, int left, int top, double scale) {
    const RECT whole = Place({0, 0, picture.width, picture.height}, left, top, scale);
    win32::Brush background(CreateSolidBrush(ColorOf(picture.background)));
    FillRect(dc, &whole, background.Get());
    for (const picture::Box& box : picture.boxes) {
        const RECT r = Place(box.rect, left, top, scale);
        win32::Brush fill(CreateSolidBrush(ColorOf(box.fill)));
        FillRect(dc, &r, fill.Get());
        if (box.outlined) {
            win32::Brush outline(CreateSolidBrush(ColorOf(box.outline)));
            // At least one device unit, and thicker on a printer's fine dots.
            const int width = std::max(1, Scaled(1, scale));
            for (int i = 0; i < width; ++i) {
                const RECT frame{r.left + i, r.top + i, r.right - i, r.bottom - i};
                FrameRect(dc, &frame, outline.Get());
            }
        }
    }
    SetBkMode(dc, TRANSPARENT);
    for (const picture::Text& text : picture.texts) {
        if (text.text.empty()) continue;
        RECT r = Place(text.rect, left, top, scale);
        win32::Font font = TextFont(text, scale);
        win32::Selected selected(dc, font.Get());
        SetTextColor(dc, ColorOf(text.color));
        const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP |
                            (text.align == picture::Align::Center ? DT_CENTER : DT_LEFT);
        DrawTextA(dc, text.text.data(), static_cast<int>(text.text.size()), &r, format);
    }
}

void DrawPictureOnPage(HDC dc, const picture::Picture& picture, int pageWidth, int pageHeight) {
    if (picture.width <= 0 || picture.height <= 0) return;
    const int margin = std::min(pageWidth, pageHeight) / 20;
    const double scale = std::min(static_cast<double>(pageWidth - 2 * margin) / picture.width,
                                  static_cast<double>(pageHeight - 2 * margin) / picture.height);
    if (scale <= 0) return;
    DrawPicture(dc, picture, (pageWidth - Scaled(picture.width, scale)) / 2, margin, scale);
}

std::string PictureBitmapFile(const picture::Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;  // bottom-up, as a BMP file keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win32::MemoryDC dc(nullptr);
    if (!bitmap || !bits || !dc.Get()) return {};
    {
        win32::Selected selected(dc.Get(), bitmap.Get());
        DrawPicture(dc.Get(), picture, 0, 0, 1.0);
        GdiFlush();
    }
    const std::uint32_t stride = (static_cast<std::uint32_t>(picture.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(picture.height);
    const std::uint32_t offset = 14 + sizeof(BITMAPINFOHEADER);
    std::string file = "BM";
    PutLittleEndian(file, offset + imageSize, 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, offset, 4);
    info.bmiHeader.biSizeImage = imageSize;
    file.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
    file.append(static_cast<const char*>(bits), imageSize);
    return file;
}

bool GdiPictureDevice::Print(const picture::Picture& picture, const std::string& documentName) {
    // comdlg32 comes in with the first dialog, as for the file dialogs.
    static const win32::Library commonDialogs("comdlg32.dll");
    using Choose = BOOL(WINAPI*)(LPPRINTDLGA);
    using LastError = DWORD(WINAPI*)();
    const Choose choose = commonDialogs.Find<Choose>("PrintDlgA");
    const LastError lastError = commonDialogs.Find<LastError>("CommDlgExtendedError");
    if (!choose) throw IoError("The print dialog is not available");
    PrinterChoice printer;
    printer.dialog.lStructSize = sizeof(PRINTDLGA);
    printer.dialog.hwndOwner = owner_ ? owner_() : nullptr;
    printer.dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION;
    printer.dialog.nCopies = 1;
    if (!choose(&printer.dialog)) {
        const DWORD error = lastError ? lastError() : 0;
        if (error == 0) return false;  // cancelled
        if (error == kNoDefaultPrinter) throw IoError("No printer is installed");
        throw IoError("The print dialog failed (error " + std::to_string(error) + ")");
    }
    HDC dc = printer.dialog.hDC;
    if (!dc) throw IoError("The printer could not be opened");
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = documentName.c_str();
    if (StartDocA(dc, &document) <= 0) throw IoError("The printer refused the job");
    if (StartPage(dc) <= 0) {
        AbortDoc(dc);
        throw IoError("The printer refused the page");
    }
    DrawPictureOnPage(dc, picture, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
    if (EndPage(dc) <= 0) {
        AbortDoc(dc);
        throw IoError("The printer could not finish the page");
    }
    if (EndDoc(dc) <= 0) throw IoError("The printer could not finish the job");
    return true;
}

}  // namespace tastavia::ui
