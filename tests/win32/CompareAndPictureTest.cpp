// Compare and Picture in the real main window, and the chart drawn by GDI: the BMP that
// "Picture..." writes and a printer's page drawn into a bitmap, read back at the keys.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TimedSteps.h"
#include "app/Compare.h"
#include "layout/LayoutChart.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Services.h"
#include "program/Program.h"
#include "ui/headless/HeadlessBackend.h"
#include "ui/win32/GdiPicture.h"
#include "ui/win32/Win32Backend.h"

namespace tastavia {
namespace {

class XpVersion : public OsVersion {
public:
    OsVersionInfo Get() override { return {2, 5, 1, 2600, ""}; }
};

// Real windows; the file dialogs answer from the test's list.
struct ScriptedWin32Backend : ui::Win32Backend {
    ui::ScriptedDialogs scripted;
    ui::Dialogs& GetDialogs() override { return scripted; }
};

// A 24-bit bottom-up BMP file's pixels, read as any reader of the file would.
struct Bmp {
    int width = 0, height = 0;
    std::string bytes;
    explicit Bmp(std::string file) : bytes(std::move(file)) {
        if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return;
        width = U32(18);
        height = U32(22);
    }
    std::uint32_t U32(std::size_t at) const {
        return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 |
               static_cast<std::uint8_t>(bytes[at + 2]) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
    }
    picture::Color At(int x, int y) const {
        const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
        const std::size_t at = U32(10) + (height - 1 - y) * stride + x * 3;
        return {static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
                static_cast<std::uint8_t>(bytes[at])};
    }
};

bool Dark(const picture::Color& c) { return c.r + c.g + c.b < 3 * 128; }

// Which pixels of a rectangle are dark, as a string of 0 and 1: a character's shape.
std::string Ink(const std::function<picture::Color(int, int)>& at, const picture::Rect& r, int inset) {
    std::string ink;
    for (int y = r.top; y < r.top + r.height; ++y)
        for (int x = r.left + inset; x < r.left + r.width - inset; ++x) ink += Dark(at(x, y)) ? '1' : '0';
    return ink;
}

// Every character key's texts have ink, nothing where the key has no character, the
// Caps Lock mark exactly on the keys with the flag, and no two different characters
// drawn alike: a missing glyph would draw every Cyrillic letter as the same box.
void CheckChartPixels(const picture::Picture& chart, const LayoutKeys& keys,
                      const std::function<picture::Color(int, int)>& at) {
    std::map<std::string, std::string> shapes;  // ink -> the text drawn so
    for (const picture::Text& text : chart.texts) {
        if (text.id.size() < 2 || text.id[0] != 'k' || text.id.back() == 'm') continue;
        // The mark's corner is left out: it overlaps the shifted character's rectangle.
        const std::string ink = Ink(at, text.rect, 14);
        const bool drawn = ink.find('1') != std::string::npos;
        EXPECT_EQ(drawn, !text.text.empty()) << text.id;
        if (!drawn) continue;
        const std::string key = ink + (text.bold ? "b" : "n");
        auto [place, added] = shapes.emplace(key, text.text);
        EXPECT_TRUE(added || place->second == text.text) << text.id << " looks like " << place->second;
    }
    for (const picture::Box& box : chart.boxes) {
        if (box.id.empty()) continue;
        const picture::Rect& r = box.rect;
        EXPECT_EQ(at(r.left + r.width / 2, r.top + r.height / 2), kChartCapsMarkColor) << box.id;
    }
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        bool marked = false;
        for (const picture::Box& box : chart.boxes) marked |= box.id == ChartMarkId(k);
        EXPECT_EQ(marked, At(keys, k).caps) << +k;
    }
}

struct CompareAndPicture : ::testing::Test {
    Win32Files files;
    Win32ProfileFile profile;
    Win32Clock clock;
    Win32Resources resources;
    XpVersion osVersion;
    MemoryRegistry registry;
    Platform platform{files, profile, clock, resources, osVersion, registry};
    ScriptedWin32Backend backend;
    ui::Application app{backend};
    Program program{app, platform};
    TForm1& main = program.Form1();
    test::TimedSteps timed;
    std::string temp = files.TempPath();

    void SetUp() override {
        program.GetSession().osKind = kOsWinXp;
        main.EditorStartup();
        main.SetShowing(true);
        main.SetVisible(true);
        main.Button6.Click();
        main.BDS1Click();
        main.SetLayoutNames("Моя подредба", "kbdmine.dll");
    }
    void TearDown() override { main.Close(); }
    void Choose(const std::string& caption) {
        for (std::size_t i = 0; i < main.PopupMenu1.items.size(); ++i)
            if (main.PopupMenu1.items[i].caption == caption) return main.PopupMenu1.ChooseItem(i);
        FAIL() << "no item " << caption;
    }
};

TEST_F(CompareAndPicture, CompareListsTheDifferencesAndADoubleClickGoesToTheKey) {
    const std::string other = temp + "phonetic-compare.ini";
    ASSERT_TRUE(files.WriteAll(other, "[KBD]\r\n15=255\r\n63=223\r\n1015=1\r\n"));  // я/Я on Q
    backend.scripted.files.push_back(other);
    std::vector<std::string> rows;
    TForm9& compare = main.Form9();
    timed.Run({[&] {
        HWND list = backend.WindowOf(compare.ListView1);
        for (int i = 0; i < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++i)
            rows.push_back(test::CellText(list, i, 0) + " | " + test::CellText(list, i, 1));
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 40, (r.top + r.bottom) / 2);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
        SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    }});
    Choose("&Compare...");
    files.Delete(other);
    // The INI's other keys are the XP template's: BDS itself, so Q alone differs.
    EXPECT_EQ(rows, (std::vector<std::string>{"key 15 (Q) | unshifted, shifted, Caps Lock"}));
    EXPECT_FALSE(IsWindowVisible(backend.WindowOf(compare)));
    EXPECT_EQ(main.CurrentKey(), 15);
    EXPECT_TRUE(main.KeyButton(15).Down());
}

TEST_F(CompareAndPicture, PictureWritesTheChartAsABmpWithEveryKeyDrawn) {
    const std::string path = temp + "chart-test.bmp";
    backend.scripted.files.push_back(path);
    Choose("Pic&ture...");
    const std::optional<std::string> file = files.ReadAll(path);
    files.Delete(path);
    ASSERT_TRUE(file);
    const Bmp bmp(*file);
    const LayoutKeys keys = ReadLayoutKeys(main.Layout());
    const picture::Picture chart = LayoutChart(keys, "Моя подредба");
    ASSERT_EQ(bmp.width, chart.width);
    ASSERT_EQ(bmp.height, chart.height);
    ASSERT_EQ(file->size(), bmp.U32(2));
    // The title is drawn, from its left end.
    const picture::Text& title = chart.texts.at(0);
    EXPECT_NE(
        Ink([&](int x, int y) { return bmp.At(x, y); }, {title.rect.left, title.rect.top, 120, title.rect.height}, 0)
            .find('1'),
        std::string::npos);
    CheckChartPixels(chart, keys, [&](int x, int y) { return bmp.At(x, y); });
}

// The page a printer gets, drawn into a bitmap of a page's shape: the chart fills the
// width within the margins, every key still readable at its scaled place.
TEST_F(CompareAndPicture, ThePrintedPageHoldsTheWholeChartScaledToTheWidth) {
    const LayoutKeys keys = ReadLayoutKeys(main.Layout());
    const picture::Picture chart = LayoutChart(keys, "BDS");
    const int pageWidth = 1700, pageHeight = 2200;  // a Letter page at 200 dpi
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), pageWidth, -pageHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP page = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(page && bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, page);
    RECT all{0, 0, pageWidth, pageHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ui::DrawPictureOnPage(dc, chart, pageWidth, pageHeight);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    const int margin = pageWidth / 20;
    const double scale = static_cast<double>(pageWidth - 2 * margin) / chart.width;
    const int left = (pageWidth - static_cast<int>(chart.width * scale + 0.5)) / 2;
    // The scaled chart, read back in picture units at its pixels' middles.
    auto at = [&](int x, int y) {
        const int px = left + static_cast<int>((x + 0.5) * scale), py = margin + static_cast<int>((y + 0.5) * scale);
        const std::uint32_t p = pixels[py * pageWidth + px];
        return picture::Color{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                              static_cast<std::uint8_t>(p)};
    };
    // Nothing drawn outside the margins, and the chart reaches across to them.
    int outside = 0;
    for (int y = 0; y < pageHeight; ++y)
        for (int x = 0; x < pageWidth; ++x)
            if ((x < margin - 1 || x > pageWidth - margin || y < margin - 1) &&
                (pixels[y * pageWidth + x] & 0xFFFFFF) != 0xFFFFFF)
                ++outside;
    EXPECT_EQ(outside, 0);
    CheckChartPixels(chart, keys, at);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(page);
}

}  // namespace
}  // namespace tastavia
