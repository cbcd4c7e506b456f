#pragma once
// Small value types of the widget model.
#include <cstdint>
#include <string>

namespace tastavia::ui {

// 0x00BBGGRR, as Windows stores colours; kSystemTextColor stands for the system's
// window-text colour, whatever it is.
using Color = std::uint32_t;
constexpr Color kSystemTextColor = 0xFF000000u;
constexpr Color Rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

struct Point {
    int x = 0, y = 0;
};

constexpr int kDefaultCharset = 1;
constexpr int kCyrillicCharset = 204;

struct Font {
    std::string face;  // empty: the system's dialog font
    int height = 0;    // pixels; 0: the face's default
    bool bold = false;
    int charset = kDefaultCharset;
};

enum class MouseButton { Left, Right, Middle };

// A key pressed on the physical keyboard: which key, by its place, and the modifiers.
struct KeyEvent {
    std::uint8_t scanCode = 0;  // set 1, without the E0 prefix
    bool extended = false;      // the E0 prefix: the cursor block, the keypad's / and Enter, right Ctrl
    int keyCode = 0;            // what the key means in the system's own layout (kKey...)
    bool shift = false;         // held
    bool capsLock = false;      // toggled on
    bool control = false;       // held
    bool alt = false;           // held
};

// Key codes the windows tell apart; they are the platform's (Windows virtual keys).
constexpr int kKeyBackspace = 0x08;
constexpr int kKeyEnter = 0x0D;
constexpr int kKeyEnd = 0x23;
constexpr int kKeyHome = 0x24;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyInsert = 0x2D;
constexpr int kKeyDelete = 0x2E;

enum class Alignment { Left, Right };

// What changed in a widget, for its peer to mirror.
enum class Change {
    Caption,
    Enabled,
    Visible,
    Bounds,
    Hint,
    TabStop,
    Font,
    Focus,
    Down,       // speed button
    Color,      // speed button caption colour
    Checked,    // check box, radio button
    Text,       // edit
    ReadOnly,   // edit
    Items,      // list view: items or columns were rebuilt or added
    ItemText,   // list view: one item's caption or sub-item
    Selection,  // list view
    Scroll,     // list view: top item
    Columns,    // list view: column widths
    Picture,    // image, list view background
    Page,       // page control
};

}  // namespace tastavia::ui
