#pragma once
// A layout as a picture to look at and print: the keyboard with both characters of each
// of the 48 keys (shifted above, unshifted below), a mark on the keys Caps Lock acts on,
// the layout's name as the title.
#include <string>

#include "layout/LayoutKeys.h"
#include "picture/Picture.h"

namespace tastavia {

// The ids of a key's texts in the picture: "k15s" and "k15u" for key 15's shifted and
// unshifted characters, "k15m" for its Caps Lock mark; "title" for the title.
std::string ChartTextId(KeyNumber key, ShiftState shift);
std::string ChartMarkId(KeyNumber key);

// The title is Windows-1251, as the layout's characters.
picture::Picture LayoutChart(const LayoutKeys& keys, const std::string& title);

// What the chart shows for a character: nothing for none or the space, a control
// character as ^ and a letter, the byte Windows-1251 leaves unassigned as "?".
std::string ChartCharText(std::uint8_t c);

// The colour of the Caps Lock mark, for readers of the chart's pixels.
extern const picture::Color kChartCapsMarkColor;

}  // namespace tastavia
