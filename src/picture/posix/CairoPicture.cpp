#include "picture/posix/CairoPicture.h"

#include <memory>

namespace tastavia::picture {

const char* const kCairoFontFamily = "DejaVu Sans";

namespace {

void SetColor(cairo_t* cairo, const Color& c) { cairo_set_source_rgb(cairo, c.r / 255.0, c.g / 255.0, c.b / 255.0); }

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void PlaceText(cairo_t* cairo, const Text& text, double& x, double& y) {
    cairo_select_font_face(cairo, kCairoFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           text.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, text.size);
    const std::string utf8 = Utf8FromCp1251(text.text);
    cairo_text_extents_t extents;
    cairo_text_extents(cairo, utf8.c_str(), &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cairo, &font);
    // As SVG's text-anchor "middle" and baseline "central": the advance centred, the
    // middle between ascent and descent on the rectangle's middle.
    x = text.align == Align::Center ? text.rect.left + (text.rect.width - extents.x_advance) / 2.0 : text.rect.left;
    y = text.rect.top + text.rect.height / 2.0 + (font.ascent - font.descent) / 2.0;
}

void DrawPicture(cairo_t* cairo, const Picture& picture) {
    SetColor(cairo, picture.background);
    cairo_paint(cairo);
    cairo_set_line_width(cairo, 1.0);
    for (const Box& box : picture.boxes) {
        const Rect& r = box.rect;
        SetColor(cairo, box.fill);
        cairo_rectangle(cairo, r.left, r.top, r.width, r.height);
        cairo_fill(cairo);
        if (box.outlined) {
            // Half a unit in, so the one-unit line covers whole pixels.
            SetColor(cairo, box.outline);
            cairo_rectangle(cairo, r.left + 0.5, r.top + 0.5, r.width - 1, r.height - 1);
            cairo_stroke(cairo);
        }
    }
    for (const Text& text : picture.texts) {
        if (text.text.empty()) continue;
        double x = 0, y = 0;
        PlaceText(cairo, text, x, y);
        SetColor(cairo, text.color);
        cairo_move_to(cairo, x, y);
        cairo_show_text(cairo, Utf8FromCp1251(text.text).c_str());
    }
}

std::string PngBytes(const Picture& picture) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cairo(cairo_create(surface.get()), cairo_destroy);
    DrawPicture(cairo.get(), picture);
    if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) return {};
    cairo_surface_flush(surface.get());
    std::string bytes;
    if (cairo_surface_write_to_png_stream(surface.get(), Append, &bytes) != CAIRO_STATUS_SUCCESS) return {};
    return bytes;
}

}  // namespace tastavia::picture
