#include "layout/LayoutChart.h"

#include <utility>

#include "text/Text.h"

namespace tastavia {

using picture::Box;
using picture::Color;
using picture::Rect;
using picture::Text;

const picture::Color kChartCapsMarkColor{200, 30, 30};

namespace {

constexpr int kPitch = 56;   // from one key to the next
constexpr int kKeySize = 52;
constexpr int kMargin = 16;
constexpr int kTitleHeight = 40;
constexpr int kLegendHeight = 28;
constexpr int kRowWidth = kPitch * 31 / 2;  // 15.5 keys: every row ends at the same place
constexpr int kMarkSize = 10;

const Color kInk{0, 0, 0};
const Color kGrey{110, 110, 110};
const Color kKeyFill{255, 255, 255};
const Color kOtherKeyFill{225, 225, 225};
const Color kOutline{80, 80, 80};

// A row of the 48 keys: its first and last key, where the first starts (in eighths of
// a key from the row's left end), and the key without characters before it.
struct Row {
    KeyNumber first, last;
    int indentEighths;
    const char* leftKey;
};
const Row kRows[] = {{1, 14, 0, nullptr}, {15, 26, 12, "Tab"}, {27, 37, 14, "Caps Lock"}, {38, 47, 18, "Shift"}};
const char* const kRightKeys[] = {"Backspace", "Enter", "Enter", "Shift"};

void AddBox(picture::Picture& chart, Rect rect, Color fill) { chart.boxes.push_back({rect, fill, kOutline, true, ""}); }
void AddMark(picture::Picture& chart, Rect rect, std::string id) {
    chart.boxes.push_back({rect, kChartCapsMarkColor, kChartCapsMarkColor, false, std::move(id)});
}

int RowTop(int row) { return kTitleHeight + kMargin + row * kPitch; }

void OtherKey(picture::Picture& chart, int left, int top, int width, const char* name) {
    const Rect rect{left, top, width, kKeySize};
    AddBox(chart, rect, kOtherKeyFill);
    chart.texts.push_back({rect, name, 11, false, kGrey, picture::Align::Center, ""});
}

void CharacterKey(picture::Picture& chart, const LayoutKeys& keys, KeyNumber key, Rect rect) {
    const KeyChars& chars = At(keys, key);
    AddBox(chart, rect, kKeyFill);
    const int half = rect.height / 2;
    const int inset = 4;
    chart.texts.push_back({{rect.left, rect.top + inset, rect.width, half - inset},
                           ChartCharText(chars.shifted), 20, false, kInk, picture::Align::Center,
                           ChartTextId(key, ShiftState::Shifted)});
    chart.texts.push_back({{rect.left, rect.top + half, rect.width, half - inset},
                           ChartCharText(chars.unshifted), 20, true, kInk, picture::Align::Center,
                           ChartTextId(key, ShiftState::Unshifted)});
    if (chars.caps)
        AddMark(chart, {rect.left + rect.width - kMarkSize - 3, rect.top + 3, kMarkSize, kMarkSize}, ChartMarkId(key));
}

}  // namespace

std::string ChartTextId(KeyNumber key, ShiftState shift) {
    return "k" + std::to_string(key) + (shift == ShiftState::Shifted ? "s" : "u");
}

std::string ChartMarkId(KeyNumber key) { return "k" + std::to_string(key) + "m"; }

std::string ChartCharText(std::uint8_t c) {
    if (c == 0 || c == ' ') return {};
    if (c == 0x98) return "?";
    return VisibleText(std::string(1, static_cast<char>(c)));
}

picture::Picture LayoutChart(const LayoutKeys& keys, const std::string& title) {
    picture::Picture chart;
    chart.width = 2 * kMargin + kRowWidth - (kPitch - kKeySize);
    chart.height = RowTop(5) + kLegendHeight + kMargin;
    const Rect titleRect{kMargin, 8, chart.width - 2 * kMargin, kTitleHeight - 8};
    chart.texts.push_back({titleRect, VisibleText(title), 22, true, kInk, picture::Align::Left, "title"});
    for (int r = 0; r < 4; ++r) {
        const Row& row = kRows[r];
        const int top = RowTop(r);
        const int indent = row.indentEighths * kPitch / 8;
        if (row.leftKey) OtherKey(chart, kMargin, top, indent - (kPitch - kKeySize), row.leftKey);
        int left = kMargin + indent;
        for (KeyNumber k = row.first; k <= row.last; ++k, left += kPitch)
            CharacterKey(chart, keys, k, {left, top, kKeySize, kKeySize});
        OtherKey(chart, left, top, kMargin + kRowWidth - (kPitch - kKeySize) - left, kRightKeys[r]);
    }
    // The space bar under the letters, as wide as seven keys.
    CharacterKey(chart, keys, kSpaceBar, {kMargin + 4 * kPitch, RowTop(4), 7 * kPitch - (kPitch - kKeySize), kKeySize});
    // The legend of the mark.
    const int legendTop = RowTop(5) + 4;
    AddMark(chart, {kMargin, legendTop + (kLegendHeight - kMarkSize) / 2 - 4, kMarkSize, kMarkSize}, "");
    chart.texts.push_back({{kMargin + kMarkSize + 8, legendTop - 4, 600, kLegendHeight}, "Caps Lock acts on the key",
                           13, false, kGrey, picture::Align::Left, "legend"});
    return chart;
}

}  // namespace tastavia
