#include "ui/win32/WidgetPeer.h"

#include <commctrl.h>
#include <windowsx.h>

#include <unordered_map>

namespace tastavia::ui::win32 {

namespace {

constexpr const char* kOwnClass = "Tastavia.Window";

// Which peer owns which window. Every message of every control looks its peer up here:
// a window property would cost a trip to the window server each time under Wine.
std::unordered_map<HWND, WidgetPeer*>& PeerTable() {
    static std::unordered_map<HWND, WidgetPeer*> peers;
    return peers;
}

void Register(HWND hwnd, WidgetPeer* peer) { PeerTable()[hwnd] = peer; }

// Only the peer's own entry: its handle may already belong to a newer window.
void Unregister(HWND hwnd, const WidgetPeer* peer) {
    auto& peers = PeerTable();
    auto found = peers.find(hwnd);
    if (found != peers.end() && found->second == peer) peers.erase(found);
}

BOOL CALLBACK TakeFirstIcon(HMODULE module, LPCSTR, LPSTR name, LONG_PTR found) {
    *reinterpret_cast<HICON*>(found) = LoadIconA(module, name);
    return FALSE;
}

// The program's own icon for the title bars: the first icon group it carries, if any.
HICON ProgramIcon(HINSTANCE instance) {
    HICON icon = nullptr;
    EnumResourceNamesA(instance, RT_GROUP_ICON, TakeFirstIcon, reinterpret_cast<LONG_PTR>(&icon));
    return icon;
}

}  // namespace

Binding::Binding() : instance_(GetModuleHandleA(nullptr)) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WidgetPeer::OwnProc;
    wc.hInstance = instance_;
    wc.hIcon = ProgramIcon(instance_);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kOwnClass;
    RegisterClassA(&wc);  // fails harmlessly when an earlier binding registered it
}

void Binding::UseCommonControls() {
    if (commonControls_) return;
    commonControls_ = std::make_unique<Library>("comctl32.dll");
    // InitCommonControlsEx came with Internet Explorer 3; the first Windows 95 has only
    // the call that registers every class.
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using Init = void(WINAPI*)();
    if (InitEx initEx = commonControls_->Find<InitEx>("InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        initEx(&controls);
    } else if (Init init = commonControls_->Find<Init>("InitCommonControls")) {
        init();
    }
}

HFONT Binding::FontFor(const ui::Font& font) {
    auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (font.face.empty() && font.height <= 0 && !font.bold && font.charset == kDefaultCharset) return stock;
    auto key = std::make_tuple(font.face, font.height, font.bold, font.charset);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second.Get();
    // Whatever the model leaves open stays as in the dialog font.
    LOGFONTA lf{};
    GetObjectA(stock, sizeof lf, &lf);
    if (!font.face.empty()) {
        lstrcpynA(lf.lfFaceName, font.face.c_str(), LF_FACESIZE);
        lf.lfWidth = 0;
    }
    if (!font.face.empty() || font.charset != kDefaultCharset) lf.lfCharSet = static_cast<BYTE>(font.charset);
    // A height is the font's cell height, leading included, so that the character
    // list's 20-pixel font stays within its 17-pixel rows as far as it can.
    if (font.height > 0) lf.lfHeight = font.height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    HFONT created = CreateFontIndirectA(&lf);
    if (!created) return stock;
    fonts_.emplace(key, win32::Font(created));
    return created;
}

HBRUSH Binding::DownBrush() {
    if (!downBrush_) {
        static const WORD kChequer[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
        downPattern_.Reset(CreateBitmap(8, 8, 1, 1, kChequer));
        downBrush_.Reset(CreatePatternBrush(downPattern_.Get()));
    }
    return downBrush_.Get();
}

void Binding::FocusQuietly(HWND hwnd) {
    ++focusing_;
    SetFocus(hwnd);
    --focusing_;
}

HWND RootWindow(HWND hwnd) {
    // A child's GetParent is its parent; a top-level window's is its owner: stop there.
    while (hwnd && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(hwnd);
        if (!parent) break;
        hwnd = parent;
    }
    return hwnd;
}

WidgetPeer* WidgetPeer::Of(HWND hwnd) {
    if (!hwnd) return nullptr;
    const auto& peers = PeerTable();
    auto found = peers.find(hwnd);
    return found == peers.end() ? nullptr : found->second;
}

const char* WidgetPeer::OwnClassName() { return kOwnClass; }

void WidgetPeer::Create(HWND parent) {
    DWORD common = WS_CHILD | WS_CLIPSIBLINGS | (widget_.Visible() ? WS_VISIBLE : 0) |
                   (widget_.Enabled() ? 0 : WS_DISABLED) | (widget_.TabStop() ? WS_TABSTOP : 0);
    WidgetPeer* outer = binding_.creating;
    binding_.creating = this;
    HWND created = CreateNative(parent, common);
    binding_.creating = outer;
    if (!created) return;
    hwnd_ = created;
    Register(hwnd_, this);
    EchoScope echo(*this);
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(binding_.FontFor(widget_.GetFont())), FALSE);
    Initialise();
    if (!widget_.Hint().empty()) Mirror(Change::Hint);
}

void WidgetPeer::Detach() {
    if (!hwnd_) return;
    if (oldProc_) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    oldProc_ = nullptr;
    Unregister(hwnd_, this);
}

void WidgetPeer::Changed(Change what) {
    if (!hwnd_) return;
    EchoScope echo(*this);
    Mirror(what);
}

void WidgetPeer::Mirror(Change what) {
    switch (what) {
        case Change::Caption: SetWindowTextA(hwnd_, widget_.Caption().c_str()); break;
        case Change::Enabled: EnableWindow(hwnd_, widget_.Enabled()); break;
        case Change::Visible: ShowWindow(hwnd_, widget_.Visible() ? SW_SHOWNA : SW_HIDE); break;
        case Change::Bounds: {
            Rect r = widget_.Bounds();
            SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        case Change::Hint:
            if (WidgetPeer* root = Of(RootWindow(hwnd_))) root->UpdateTip(*this);
            break;
        case Change::TabStop: SetStyleBit(WS_TABSTOP, widget_.TabStop()); break;
        case Change::Font:
            SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(binding_.FontFor(widget_.GetFont())), TRUE);
            break;
        default: break;
    }
}

LRESULT WidgetPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The binding's own windows draw in the widget's font; they tell it as controls do.
    if (msg == WM_GETFONT && !oldProc_) return reinterpret_cast<LRESULT>(CurrentFont());
    LRESULT result = 0;
    if (Reflect(msg, wParam, lParam, result)) return result;
    return Default(msg, wParam, lParam);
}

LRESULT WidgetPeer::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    return oldProc_ ? CallWindowProcA(oldProc_, hwnd_, msg, wParam, lParam) : DefWindowProcA(hwnd_, msg, wParam, lParam);
}

bool WidgetPeer::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND: {
            WidgetPeer* child = Of(reinterpret_cast<HWND>(lParam));
            if (child && child != this && child->OnCommand(HIWORD(wParam))) {
                result = 0;
                return true;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            WidgetPeer* child = header ? Of(header->hwndFrom) : nullptr;
            if (child && child != this) return child->OnNotify(*header, result);
            break;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            WidgetPeer* child = item && item->CtlType != ODT_MENU ? Of(item->hwndItem) : nullptr;
            if (child && child->OnDrawItem(*item)) {
                result = TRUE;
                return true;
            }
            break;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (!item || item->CtlType == ODT_MENU) break;
            WidgetPeer* child = Of(GetDlgItem(hwnd_, static_cast<int>(item->CtlID)));
            if (!child) child = binding_.creating;  // asked while its window is being made
            if (child && child != this && child->OnMeasureItem(*item)) {
                result = TRUE;
                return true;
            }
            break;
        }
        case WM_NOTIFYFORMAT:
            // Our controls under a subclassed system control would otherwise talk
            // Unicode; the system's own parts (a list's header) keep their format.
            if (lParam == NF_QUERY && Of(reinterpret_cast<HWND>(wParam))) {
                result = NFR_ANSI;
                return true;
            }
            break;
        case WM_CONTEXTMENU: {
            WidgetPeer* target = Of(reinterpret_cast<HWND>(wParam));
            if (!target || !target->widget_.contextMenu || !binding_.openMenu) break;
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (lParam == -1) {  // from the keyboard: below the control
                RECT r;
                GetWindowRect(target->hwnd_, &r);
                at = POINT{r.left, r.bottom};
            }
            binding_.openMenu(*target->widget_.contextMenu, target->widget_, at);
            result = 0;
            return true;
        }
        default: break;
    }
    return false;
}

HWND WidgetPeer::MakeControl(const char* className, const std::string& text, DWORD style, DWORD exStyle,
                             HWND parent) {
    Rect r = widget_.Bounds();
    return CreateWindowExA(exStyle, className, text.c_str(), style, r.left, r.top, r.width, r.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(binding_.NextControlId())),
                           binding_.Instance(), nullptr);
}

HWND WidgetPeer::MakeOwn(DWORD style, DWORD exStyle, HWND parent) {
    Rect r = widget_.Bounds();
    return CreateWindowExA(exStyle, kOwnClass, widget_.Caption().c_str(), style, r.left, r.top, r.width, r.height,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(binding_.NextControlId())),
                           binding_.Instance(), this);
}

void WidgetPeer::Subclass() {
    oldProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WidgetPeer::SubclassProc)));
}

void WidgetPeer::SetStyleBit(DWORD bit, bool on) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE));
    SetWindowLongA(hwnd_, GWL_STYLE, static_cast<LONG>(on ? style | bit : style & ~bit));
}

HFONT WidgetPeer::CurrentFont() const { return binding_.FontFor(widget_.GetFont()); }

LRESULT WidgetPeer::Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WidgetPeer* peer = Of(hwnd);
    if (!peer) return DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    Safely([&] { result = peer->Message(msg, wParam, lParam); });
    // A window the system destroyed before its peer let go must not be found by its
    // handle, which a new window may get.
    if (msg == WM_NCDESTROY) Unregister(hwnd, peer);
    return result;
}

LRESULT CALLBACK WidgetPeer::OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (auto* peer = static_cast<WidgetPeer*>(create->lpCreateParams)) {
            peer->hwnd_ = hwnd;
            Register(hwnd, peer);
        }
    }
    return Dispatch(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WidgetPeer::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Dispatch(hwnd, msg, wParam, lParam);
}

}  // namespace tastavia::ui::win32
