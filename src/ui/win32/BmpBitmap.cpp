#include "ui/win32/BmpBitmap.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace tastavia::ui::win32 {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr LONG kLargest = 16384;  // far beyond any picture the program carries

std::uint32_t ReadU32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

}  // namespace

Bitmap BitmapFromBmp(const std::string& bytes) {
    bool file = bytes.size() >= kFileHeader && bytes[0] == 'B' && bytes[1] == 'M';
    std::size_t infoAt = file ? kFileHeader : 0;
    if (bytes.size() < infoAt + sizeof(BITMAPINFOHEADER)) return {};
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data() + infoAt, sizeof header);
    if (header.biSize < sizeof header || header.biSize > bytes.size() - infoAt) return {};
    if (header.biWidth <= 0 || header.biWidth > kLargest || header.biHeight == 0 || header.biHeight > kLargest ||
        header.biHeight < -kLargest || header.biPlanes != 1)
        return {};
    switch (header.biBitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return {};
    }
    if (header.biClrUsed > 256) return {};
    std::size_t colours = header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
    std::size_t masks = header.biCompression == BI_BITFIELDS && header.biSize == sizeof header ? 12 : 0;
    std::size_t tableEnd = infoAt + header.biSize + masks + colours * sizeof(RGBQUAD);
    if (tableEnd > bytes.size()) return {};

    auto rows = static_cast<std::size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    std::size_t stride = (static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    std::size_t pixels = 0;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS)
        pixels = stride * rows;
    else if ((header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4) && header.biHeight > 0)
        pixels = header.biSizeImage;
    if (pixels == 0) return {};
    std::size_t pixelsAt = file ? ReadU32(bytes, 10) : tableEnd;
    if (pixelsAt < tableEnd || pixelsAt > bytes.size() || bytes.size() - pixelsAt < pixels) return {};

    // The header and colour table, aligned as the system expects them.
    std::vector<DWORD> info((tableEnd - infoAt + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(info.data(), bytes.data() + infoAt, tableEnd - infoAt);
    WindowDC screen(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen.Get(), reinterpret_cast<BITMAPINFOHEADER*>(info.data()), CBM_INIT,
                                    bytes.data() + pixelsAt, reinterpret_cast<BITMAPINFO*>(info.data()),
                                    DIB_RGB_COLORS);
    return Bitmap(bitmap);
}

}  // namespace tastavia::ui::win32
