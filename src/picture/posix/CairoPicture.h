#pragma once
// Pictures drawn by cairo, for Linux: the PNG of the command line.
#include <cairo.h>

#include <string>

#include "picture/Picture.h"

namespace tastavia::picture {

// The font every text is drawn in: its Cyrillic is complete.
extern const char* const kCairoFontFamily;

// Draws the picture at the context's origin, one picture unit a user-space unit.
void DrawPicture(cairo_t* cairo, const Picture& picture);
// A text's baseline origin as DrawPicture places it, with the context's font set for it.
void PlaceText(cairo_t* cairo, const Text& text, double& x, double& y);

// The picture as a PNG file's bytes; empty when cairo failed.
std::string PngBytes(const Picture& picture);

}  // namespace tastavia::picture
