// diff and chart from the command line: exit codes and lines of diff over the built-in
// layouts in every kind of file; every character of the chart's SVG and PNG.
#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <map>
#include <sstream>

#include "Commands.h"
#include "TestSupport.h"
#include "layout/BuiltinKeys.h"
#include "layout/Charset.h"
#include "layout/LayoutChart.h"
#include "picture/posix/CairoPicture.h"
#include "platform/posix/HostPlatform.h"

namespace tastavia {
namespace {

struct Outcome {
    int code;
    std::string out, err;
};

struct CompareChart : ::testing::Test {
    test::TempDir dir;
    HostPlatform host{"/", dir.path() + "/"};

    Outcome Run(std::vector<std::string> args) {
        for (std::string& a : args)
            if (a.find('.') != std::string::npos && a[0] != '-') a = dir / a;
        std::ostringstream out, err;
        const int code = cli::RunCommandLine(host.platform, args, out, err, cli::PathRules{false});
        return {code, out.str(), err.str()};
    }
    // The built-ins as files of each kind, and as the INI files they come from.
    void MakeBuiltins() {
        for (const char* kind : {"98", "xp", "x64"}) {
            const std::string ext = std::string(kind) == "98" ? ".kbd" : ".dll";
            ASSERT_EQ(Run({"new", "--os", kind, "--bds", "-o", std::string("bds-") + kind + ext}).code, 0);
            ASSERT_EQ(Run({"new", "--os", kind, "--phonetic", "-o", std::string("ph-") + kind + ext}).code, 0);
        }
        test::WriteFile(dir / "bds.ini", test::ResourceFile("BDS.ini"));
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(CompareChart, DiffListsTheKeysThatDifferAndExitsByTheResult) {
    MakeBuiltins();
    const LayoutKeys bds = test::BuiltinKeys(kOsWinXp, "BDS");
    const LayoutKeys phonetic = test::BuiltinKeys(kOsWinXp, "PHONETIC");
    std::size_t differing = 0;
    for (KeyNumber k = 1; k <= kKeyCount; ++k) differing += At(bds, k) != At(phonetic, k);
    ASSERT_GT(differing, 20u);
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"bds-xp.dll", "ph-xp.dll"}, {"bds-98.kbd", "ph-x64.dll"}, {"bds.ini", "ph-98.kbd"}}) {
        const Outcome r = Run({"diff", a, b});
        EXPECT_EQ(r.code, 1) << a << " " << b << r.err;
        const std::vector<std::string> lines = Lines(r.out);
        EXPECT_EQ(lines.size(), differing);
        EXPECT_EQ(lines.at(0),
                  "key 1 (`): unshifted ` (96) -> ч (247), shifted ~ (126) -> Ч (215), Caps Lock off -> on");
        EXPECT_EQ(lines.at(1), "key 3 (2): shifted ? (63) -> @ (64)");
    }
    // The same layout in any two kinds of file: nothing, and 0.
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"bds-xp.dll", "bds-98.kbd"}, {"bds-x64.dll", "bds.ini"}, {"ph-xp.dll", "ph-xp.dll"}}) {
        const Outcome r = Run({"diff", a, b});
        EXPECT_EQ(r.code, 0) << a << " " << b << r.err;
        EXPECT_EQ(r.out, "");
    }
    // One key changed by an INI over BDS: that key alone, Caps Lock included.
    test::WriteFile(dir / "one.ini", "[KBD]\n15=255\n1015=1\n");
    ASSERT_EQ(Run({"import", "bds-xp.dll", "one.ini"}).code, 0);
    EXPECT_EQ(Run({"diff", "bds-xp.dll", "bds-98.kbd"}).out,
              "key 15 (Q): unshifted я (255) -> , (44), Caps Lock on -> off\n");
}

TEST_F(CompareChart, DiffAndChartRefuseWhatTheyCannotRead) {
    MakeBuiltins();
    test::WriteFile(dir / "notes.txt", "[OTHER]\n1=2\n");
    test::WriteFile(dir / "self.svg", test::ResourceFile("BDS.ini"));
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"diff", "bds-xp.dll"}, 2, "wrong number of arguments"},
        {{"diff", "bds-xp.dll", "ph-xp.dll", "-o", "x.txt"}, 2, "diff takes no -o"},
        {{"diff", "bds-xp.dll", "missing.dll"}, 1, "missing.dll: no such file"},
        {{"diff", "notes.txt", "bds-xp.dll"}, 1, "neither a layout file of a known kind nor an INI file"},
        {{"chart", "bds-xp.dll"}, 2, "chart needs -o"},
        {{"chart", "bds-xp.dll", "-o", "chart.gif"}, 2, "chart writes an .svg or a .png file"},
        {{"chart", "self.svg", "-o", "self.svg"}, 1, "a command never writes the file it reads"},
    };
    for (const Case& c : cases) {
        const Outcome r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(test::ReadFile(dir / "self.svg"), test::ResourceFile("BDS.ini"));  // the input is untouched
}

// Every <text> and <rect> of the SVG with an id, by id: the text decoded, or "" for a rect.
std::map<std::string, std::string> SvgElements(const std::string& svg) {
    std::map<std::string, std::string> found;
    for (const std::string element : {"<text id=\"", "<rect id=\""}) {
        for (std::size_t at = svg.find(element); at != std::string::npos; at = svg.find(element, at + 1)) {
            const std::size_t idStart = at + element.size();
            const std::string id = svg.substr(idStart, svg.find('"', idStart) - idStart);
            if (element[1] == 'r') {
                found[id] = "";
                continue;
            }
            const std::size_t textStart = svg.find('>', idStart) + 1;
            std::string value = svg.substr(textStart, svg.find("</text>", textStart) - textStart);
            for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
                     {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}})
                for (std::size_t e; (e = value.find(entity)) != std::string::npos;) value.replace(e, entity.size(), c);
            found[id] = value;
        }
    }
    return found;
}

// What a key's level must show: its character in UTF-8, nothing for the space.
std::string Shown(std::uint8_t c) { return c == ' ' ? "" : Cp1251ToUtf8(std::string(1, static_cast<char>(c))); }

TEST_F(CompareChart, ChartSvgHoldsEveryCharacterAndTheCapsMarks) {
    MakeBuiltins();
    for (const auto& [file, resource] : {std::pair{"bds-98.kbd", "BDS"}, std::pair{"ph-xp.dll", "PHONETIC"}}) {
        ASSERT_EQ(Run({"chart", file, "-o", "chart.svg"}).code, 0);
        const std::string svg = test::ReadFile(dir / "chart.svg");
        ASSERT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
        const std::map<std::string, std::string> elements = SvgElements(svg);
        EXPECT_EQ(elements.at("title"), file);
        const LayoutKeys keys = test::BuiltinKeys(kOsWinXp, resource);
        int marks = 0;
        for (KeyNumber k = 1; k <= kKeyCount; ++k) {
            EXPECT_EQ(elements.at(ChartTextId(k, ShiftState::Unshifted)), Shown(At(keys, k).unshifted)) << +k;
            EXPECT_EQ(elements.at(ChartTextId(k, ShiftState::Shifted)), Shown(At(keys, k).shifted)) << +k;
            EXPECT_EQ(elements.count(ChartMarkId(k)), At(keys, k).caps ? 1u : 0u) << +k;
            marks += At(keys, k).caps;
        }
        EXPECT_GE(marks, 30);  // every letter key
    }
    // Characters XML reserves are escaped, and the Cyrillic is UTF-8.
    test::WriteFile(dir / "odd.ini", "[KBD]\n1=60\n49=38\n2=230\n");
    ASSERT_EQ(Run({"chart", "odd.ini", "-o", "odd.svg"}).code, 0);
    const std::string svg = test::ReadFile(dir / "odd.svg");
    EXPECT_NE(svg.find(">&lt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">&amp;</text>"), std::string::npos);
    EXPECT_EQ(SvgElements(svg).at("k2u"), "ж");
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Surface Draw(const picture::Picture& chart) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, chart.width, chart.height), cairo_surface_destroy);
    cairo_t* cairo = cairo_create(surface.get());
    picture::DrawPicture(cairo, chart);
    cairo_destroy(cairo);
    cairo_surface_flush(surface.get());
    return surface;
}

std::uint32_t Pixel(cairo_surface_t* s, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
}

// The PNG is the chart drawn again, pixel for pixel; each character changes pixels in
// its own place and nowhere else; and the font has a glyph for every character, so no
// Cyrillic letter is a box.
TEST_F(CompareChart, ChartPngDrawsEveryCharacterInItsPlace) {
    MakeBuiltins();
    for (const auto& [file, resource] : {std::pair{"bds-xp.dll", "BDS"}, std::pair{"ph-98.kbd", "PHONETIC"}}) {
        ASSERT_EQ(Run({"chart", file, "-o", "chart.png"}).code, 0);
        Surface png(cairo_image_surface_create_from_png((dir / "chart.png").c_str()), cairo_surface_destroy);
        ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
        const picture::Picture chart = LayoutChart(test::BuiltinKeys(kOsWinXp, resource), file);
        ASSERT_EQ(cairo_image_surface_get_width(png.get()), chart.width);
        ASSERT_EQ(cairo_image_surface_get_height(png.get()), chart.height);
        Surface again = Draw(chart);
        int different = 0;
        for (int y = 0; y < chart.height; ++y)
            for (int x = 0; x < chart.width; ++x) different += Pixel(png.get(), x, y) != Pixel(again.get(), x, y);
        EXPECT_EQ(different, 0) << file;

        cairo_t* cairo = cairo_create(again.get());
        cairo_select_font_face(cairo, picture::kCairoFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        for (std::size_t t = 0; t < chart.texts.size(); ++t) {
            const picture::Text& text = chart.texts[t];
            if (text.id.empty() || text.id[0] != 'k' || text.text.empty()) continue;
            picture::Picture without = chart;
            without.texts[t].text.clear();
            Surface blank = Draw(without);
            int inside = 0, outside = 0;
            const picture::Rect& r = text.rect;
            for (int y = 0; y < chart.height; ++y)
                for (int x = 0; x < chart.width; ++x) {
                    if (Pixel(png.get(), x, y) == Pixel(blank.get(), x, y)) continue;
                    const bool in = x >= r.left && x < r.left + r.width && y >= r.top - 3 && y < r.top + r.height + 3;
                    (in ? inside : outside)++;
                }
            EXPECT_GT(inside, 10) << file << " " << text.id;
            EXPECT_EQ(outside, 0) << file << " " << text.id;
            // The glyph of the character itself, never the font's "missing" glyph 0.
            const std::string utf8 = picture::Utf8FromCp1251(text.text);
            cairo_glyph_t* glyphs = nullptr;
            int count = 0;
            ASSERT_EQ(cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cairo), 0, 0, utf8.c_str(),
                                                       static_cast<int>(utf8.size()), &glyphs, &count, nullptr, nullptr,
                                                       nullptr),
                      CAIRO_STATUS_SUCCESS);
            for (int g = 0; g < count; ++g) EXPECT_NE(glyphs[g].index, 0u) << text.id << " " << utf8;
            cairo_glyph_free(glyphs);
        }
        cairo_destroy(cairo);
    }
}

}  // namespace
}  // namespace tastavia
