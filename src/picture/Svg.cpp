#include <cstdio>

#include "picture/Picture.h"
#include "platform/portable/CodePage1251.h"

namespace tastavia::picture {

namespace {

std::string Hex(const Color& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

void AppendUtf8(std::string& out, std::uint32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// XML 1.0 allows no control characters but tab, CR and LF, not even as references: they
// are shown as the control pictures of U+2400, which is what a reader of a chart needs.
std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        const std::uint16_t u = Cp1251ToUnicode(c);
        switch (u) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default:
                if (u < 0x20) AppendUtf8(out, 0x2400 + u);
                else if (u == 0x7F) AppendUtf8(out, 0x2421);
                else if (u >= 0x80 && u < 0xA0) AppendUtf8(out, 0xFFFD);  // the one unassigned byte
                else AppendUtf8(out, u);
        }
    }
    return out;
}

}  // namespace

std::string Utf8FromCp1251(const std::string& text) {
    std::string out;
    for (unsigned char c : text) AppendUtf8(out, Cp1251ToUnicode(c));
    return out;
}

std::string SvgText(const Picture& picture) {
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(picture.width) + "\" height=\"" +
           std::to_string(picture.height) + "\" viewBox=\"0 0 " + std::to_string(picture.width) + " " +
           std::to_string(picture.height) + "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"" + Hex(picture.background) + "\"/>\n";
    for (const Box& box : picture.boxes) {
        svg += "<rect";
        if (!box.id.empty()) svg += " id=\"" + Escaped(box.id) + "\"";
        svg += " x=\"" + std::to_string(box.rect.left) + "\" y=\"" + std::to_string(box.rect.top) + "\" width=\"" +
               std::to_string(box.rect.width) + "\" height=\"" + std::to_string(box.rect.height) + "\" fill=\"" +
               Hex(box.fill) + "\"";
        if (box.outlined) svg += " stroke=\"" + Hex(box.outline) + "\"";
        svg += "/>\n";
    }
    for (const Text& text : picture.texts) {
        const bool centred = text.align == Align::Center;
        const int x = centred ? text.rect.left + text.rect.width / 2 : text.rect.left;
        const int y = text.rect.top + text.rect.height / 2;
        svg += "<text";
        if (!text.id.empty()) svg += " id=\"" + Escaped(text.id) + "\"";
        svg += " x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" font-size=\"" +
               std::to_string(text.size) + "\" dominant-baseline=\"central\"";
        if (centred) svg += " text-anchor=\"middle\"";
        if (text.bold) svg += " font-weight=\"bold\"";
        svg += " fill=\"" + Hex(text.color) + "\" xml:space=\"preserve\">" + Escaped(text.text) + "</text>\n";
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace tastavia::picture
