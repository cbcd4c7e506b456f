#pragma once
// A picture as boxes and texts, drawn the same way by every renderer (SVG text, PNG on
// Linux, GDI on Windows) so a chart is designed once and looks alike wherever it goes.
#include <cstdint>
#include <string>
#include <vector>

namespace tastavia::picture {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

// A filled rectangle; an outline of the background colour is no outline.
struct Box {
    Rect rect;
    Color fill;
    Color outline;
    bool outlined = true;
    std::string id;  // names the element in the SVG, for readers of it
};

enum class Align { Left, Center };

// One line of text, centred vertically in its rectangle. The text is Windows-1251, as
// every text of the program; renderers that need Unicode convert it.
struct Text {
    Rect rect;
    std::string text;
    int size = 12;  // the em height in picture units
    bool bold = false;
    Color color;
    Align align = Align::Center;
    std::string id;  // names the element in the SVG, for readers of it
};

// In picture units: one unit is one pixel of the PNG and of the BMP at scale 1.
struct Picture {
    int width = 0, height = 0;
    Color background{255, 255, 255};
    std::vector<Box> boxes;   // drawn first, in order
    std::vector<Text> texts;  // drawn over the boxes
};

// The whole picture as an SVG document in UTF-8.
std::string SvgText(const Picture& picture);

// A Windows-1251 text as UTF-8.
std::string Utf8FromCp1251(const std::string& text);

}  // namespace tastavia::picture
