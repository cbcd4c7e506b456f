// The peers the binding paints itself: containers and panels, images, speed buttons.
#include <windowsx.h>

#include "ui/Controls.h"
#include "ui/Keyboard.h"
#include "ui/win32/Peers.h"

namespace tastavia::ui::win32 {

HWND ContainerPeer::CreateNative(HWND parent, DWORD commonStyle) {
    // Containers take no focus themselves; Tab walks into their children.
    return MakeOwn((commonStyle & ~WS_TABSTOP) | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent);
}

LRESULT ContainerPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        Painting paint(hwnd_);
        RECT client;
        GetClientRect(hwnd_, &client);
        Paint(paint.Get(), client);
        return 0;
    }
    return WidgetPeer::Message(msg, wParam, lParam);
}

void ContainerPeer::Mirror(Change what) {
    WidgetPeer::Mirror(what);
    if (what == Change::Caption || what == Change::Font) InvalidateRect(hwnd_, nullptr, TRUE);
}

void PanelPeer::Paint(HDC dc, const RECT& client) {
    auto& panel = static_cast<Panel&>(widget_);
    RECT r = client;
    for (Bevel bevel : {panel.bevelOuter, panel.bevelInner}) {
        if (bevel == Bevel::Raised) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        if (bevel == Bevel::Lowered) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    const std::string& caption = panel.Caption();
    if (caption.empty()) return;
    Selected font(dc, CurrentFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ImagePeer::Convert() {
    const Picture& picture = static_cast<Image&>(widget_).GetPicture();
    bottomUp_.clear();
    if (picture.Empty()) return;
    auto width = static_cast<std::size_t>(picture.width);
    auto height = static_cast<std::size_t>(picture.height);
    if (picture.rgb.size() < width * height * 3) return;
    std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
    bottomUp_.assign(stride * height, 0);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* from = &picture.rgb[y * width * 3];
        BYTE* to = &bottomUp_[(height - 1 - y) * stride];
        for (std::size_t x = 0; x < width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
}

void ImagePeer::Mirror(Change what) {
    if (what == Change::Picture) {
        Convert();
        InvalidateRect(hwnd_, nullptr, TRUE);
    } else {
        ContainerPeer::Mirror(what);
    }
}

void ImagePeer::Paint(HDC dc, const RECT&) {
    if (bottomUp_.empty()) return;
    const Picture& picture = static_cast<Image&>(widget_).GetPicture();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height), 0, 0, 0,
                      static_cast<UINT>(picture.height), bottomUp_.data(), &info, DIB_RGB_COLORS);
}

HWND SpeedButtonPeer::CreateNative(HWND parent, DWORD commonStyle) {
    // A group of its own for the dialog manager's arrow keys: the peer moves between the
    // buttons of its model group itself, by their places.
    return MakeOwn(commonStyle | WS_GROUP, 0, parent);
}

void SpeedButtonPeer::Mirror(Change what) {
    WidgetPeer::Mirror(what);
    switch (what) {
        case Change::Caption:
        case Change::Enabled:
        case Change::Font:
        case Change::Down:
        case Change::Color: InvalidateRect(hwnd_, nullptr, FALSE); break;
        default: break;
    }
}

void SpeedButtonPeer::Press() { static_cast<SpeedButton&>(widget_).Click(); }

LRESULT SpeedButtonPeer::DialogCode(const MSG* msg) {
    // Enter and Space press the focused button rather than the form's default button.
    LRESULT code = DLGC_BUTTON | DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE))
        code |= DLGC_WANTMESSAGE;
    return code;
}

bool SpeedButtonPeer::KeyDown(WPARAM key) {
    auto& button = static_cast<SpeedButton&>(widget_);
    switch (key) {
        case VK_SPACE:
        case VK_RETURN: button.PressKey(); return true;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (SpeedButton* next = ArrowNeighbour(button, static_cast<int>(key))) next->SetFocus();
            return true;
        default: return false;
    }
}

LRESULT SpeedButtonPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            Painting paint(hwnd_);
            RECT client;
            GetClientRect(hwnd_, &client);
            Paint(paint.Get(), client);
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // Paint covers every pixel
        case WM_GETDLGCODE: return DialogCode(reinterpret_cast<const MSG*>(lParam));
        case WM_KEYDOWN:
            if (KeyDown(wParam)) return 0;
            break;
        case WM_CHAR:
            if (wParam == ' ' || wParam == '\r') return 0;  // pressed already on the key down
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS: InvalidateRect(hwnd_, nullptr, FALSE); return 0;
        case WM_LBUTTONDOWN:
            SetCapture(hwnd_);
            tracking_ = pressed_ = true;
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            if (tracking_) {
                RECT client;
                GetClientRect(hwnd_, &client);
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                bool inside = PtInRect(&client, at) != FALSE;
                if (inside != pressed_) {
                    pressed_ = inside;
                    InvalidateRect(hwnd_, nullptr, FALSE);
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (tracking_) {
                RECT client;
                GetClientRect(hwnd_, &client);
                POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ReleaseCapture();
                if (PtInRect(&client, at)) Press();  // released outside: the user changed their mind
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (tracking_) {
                tracking_ = pressed_ = false;
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            return 0;
        case BM_CLICK: Press(); return 0;
        default: break;
    }
    return WidgetPeer::Message(msg, wParam, lParam);
}

void SpeedButtonPeer::Paint(HDC dc, const RECT& client) {
    auto& button = static_cast<SpeedButton&>(widget_);
    bool sunken = pressed_ || button.Down();
    RECT r = client;
    if (button.Down() && !pressed_) {
        // A chequer of face and highlight, as a tool bar shows a button that stays down.
        SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
        SetBkColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        FillRect(dc, &r, binding_.DownBrush());
    } else {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    }
    DrawEdge(dc, &r, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (sunken) OffsetRect(&r, 1, 1);

    if (GetFocus() == hwnd_) {
        RECT mark{client.left + 3, client.top + 3, client.right - 3, client.bottom - 3};
        DrawFocusRect(dc, &mark);
    }
    const std::string& text = button.Caption();
    if (text.empty()) return;
    Selected font(dc, CurrentFont());
    SetBkMode(dc, TRANSPARENT);
    // "&" marks a mnemonic, "&&" shows one "&", as on the system's buttons.
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    auto draw = [&](RECT at, COLORREF colour) {
        SetTextColor(dc, colour);
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &at, format);
    };
    if (IsWindowEnabled(hwnd_)) {
        Color colour = button.CaptionColor();
        draw(r, colour == kSystemTextColor ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(colour));
    } else {
        RECT embossed = r;
        OffsetRect(&embossed, 1, 1);
        draw(embossed, GetSysColor(COLOR_BTNHIGHLIGHT));
        draw(r, GetSysColor(COLOR_BTNSHADOW));
    }
}

}  // namespace tastavia::ui::win32
