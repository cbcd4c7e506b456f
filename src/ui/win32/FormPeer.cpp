#include "ui/win32/FormPeer.h"

#include <commctrl.h>

#include "ui/Controls.h"
#include "ui/ListView.h"
#include "ui/win32/ListViewPeer.h"
#include "ui/win32/PageControlPeer.h"
#include "ui/win32/Peers.h"

namespace tastavia::ui::win32 {

namespace {
constexpr UINT_PTR kTipTimer = 1;
constexpr UINT kTipDelayMs = 100;  // well within the time a tip waits before it shows
}  // namespace

std::unique_ptr<WidgetPeer> MakePeer(Binding& binding, Widget& widget) {
    Widget* w = &widget;
    if (dynamic_cast<SpeedButton*>(w)) return std::make_unique<SpeedButtonPeer>(binding, widget);
    if (dynamic_cast<Button*>(w)) return std::make_unique<ButtonPeer>(binding, widget);
    if (dynamic_cast<Edit*>(w)) return std::make_unique<EditPeer>(binding, widget);
    if (dynamic_cast<Label*>(w)) return std::make_unique<LabelPeer>(binding, widget);
    if (dynamic_cast<CheckBox*>(w) || dynamic_cast<RadioButton*>(w)) return std::make_unique<CheckPeer>(binding, widget);
    if (dynamic_cast<GroupBox*>(w)) return std::make_unique<GroupBoxPeer>(binding, widget);
    if (dynamic_cast<Panel*>(w)) return std::make_unique<PanelPeer>(binding, widget);
    if (dynamic_cast<Image*>(w)) return std::make_unique<ImagePeer>(binding, widget);
    if (dynamic_cast<ListView*>(w)) return std::make_unique<ListViewPeer>(binding, widget);
    if (dynamic_cast<PageControl*>(w)) return std::make_unique<PageControlPeer>(binding, widget);
    if (dynamic_cast<TabSheet*>(w)) return std::make_unique<TabSheetPeer>(binding, widget);
    return std::make_unique<ContainerPeer>(binding, widget);
}

FormPeer::~FormPeer() { Destroy(false); }

void FormPeer::Build() {
    if (!hwnd_) {
        Create(nullptr);
        if (!hwnd_) return;
        window_.Reset(hwnd_);
        widget_.AttachPeer(this);
        BuildChildren(widget_, hwnd_);
        // The model may have shown the form before it had a window.
        if (widget_.Visible()) ShowWindow(hwnd_, SW_SHOW);
        return;
    }
    BuildChildren(widget_, hwnd_);
}

void FormPeer::BuildChildren(Widget& parent, HWND parentWindow) {
    for (Widget* child : parent.Children()) {
        auto* peer = dynamic_cast<WidgetPeer*>(child->GetPeer());
        if (!peer) {
            std::unique_ptr<WidgetPeer> made = MakePeer(binding_, *child);
            made->Create(parentWindow);
            if (!made->Handle()) continue;
            peer = made.get();
            child->AttachPeer(peer);
            children_.push_back(std::move(made));
        }
        BuildChildren(*child, peer->ChildParent());
    }
}

void FormPeer::Destroy(bool widgetsAlive) {
    if (!hwnd_) return;
    // The tooltips subclassed the controls after the binding did: they let go first.
    tooltip_.Reset();
    for (auto& child : children_) {
        child->Detach();
        if (widgetsAlive) child->Model().AttachPeer(nullptr);
    }
    Detach();
    if (widgetsAlive) widget_.AttachPeer(nullptr);
    window_.Reset();
    children_.clear();
    hwnd_ = nullptr;
    tipTimer_ = 0;
}

RECT FormPeer::Placement(DWORD style, DWORD exStyle) {
    Form& form = GetForm();
    RECT r{0, 0, form.ClientWidth(), form.ClientHeight()};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int width = r.right - r.left, height = r.bottom - r.top;
    POINT at{form.Bounds().left, form.Bounds().top};
    if (form.centred) at = POINT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
    return RECT{at.x, at.y, at.x + width, at.y + height};
}

HWND FormPeer::CreateNative(HWND, DWORD) {
    Form& form = GetForm();
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (form.minimizeButton ? WS_MINIMIZEBOX : 0);
    DWORD exStyle = WS_EX_CONTROLPARENT | (form.borderStyle == BorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0);
    RECT r = Placement(style, exStyle);
    return CreateWindowExA(exStyle, OwnClassName(), form.Caption().c_str(), style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, binding_.Instance(), this);
}

// The tooltip window comes when a hint is first wanted: when the mouse first comes over
// the form, or a hint changes while the form is on the screen. A form that only shows
// itself does not wait for it.
void FormPeer::MakeTooltip() {
    if (tooltip_.Get() || !hwnd_ || !GetForm().showHint) return;
    binding_.UseCommonControls();
    tooltip_.Reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   binding_.Instance(), nullptr));
    if (!tooltip_.Get()) return;
    // A width makes long hints wrap instead of running off the screen.
    SendMessageA(tooltip_.Get(), TTM_SETMAXTIPWIDTH, 0, 300);
    for (auto& child : children_) UpdateTip(*child);
}

void FormPeer::UpdateTip(WidgetPeer& control) {
    if (!tooltip_.Get()) {
        if (control.Model().Hint().empty() || !IsWindowVisible(hwnd_)) return;
        MakeTooltip();
        if (!tooltip_.Get()) return;
    }
    if (!control.Handle()) return;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;  // what the oldest common controls accept
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
    SendMessageA(tooltip_.Get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    const std::string& hint = control.Model().Hint();
    if (hint.empty()) return;
    tool.lpszText = const_cast<char*>(hint.c_str());
    SendMessageA(tooltip_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void FormPeer::Mirror(Change what) {
    switch (what) {
        case Change::Caption: SetWindowTextA(hwnd_, widget_.Caption().c_str()); break;
        case Change::Visible: ShowWindow(hwnd_, widget_.Visible() ? SW_SHOW : SW_HIDE); break;
        case Change::Enabled: EnableWindow(hwnd_, widget_.Enabled()); break;
        case Change::Bounds: {
            RECT r = Placement(static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
            SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        default: break;
    }
}

void FormPeer::FocusFirst() {
    if (Widget* focused = GetForm().FocusedWidget()) {
        auto* peer = dynamic_cast<WidgetPeer*>(focused->GetPeer());
        HWND h = peer ? peer->Handle() : nullptr;
        if (h && IsWindowVisible(h) && IsWindowEnabled(h)) {
            binding_.FocusQuietly(h);
            auto* edit = dynamic_cast<Edit*>(focused);
            if (edit && edit->AllSelected()) SendMessageA(h, EM_SETSEL, 0, -1);
            return;
        }
    }
    HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    binding_.FocusQuietly(first && first != hwnd_ ? first : hwnd_);
}

void FormPeer::RestoreFocus() {
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) &&
        IsWindowEnabled(lastFocus_))
        binding_.FocusQuietly(lastFocus_);
    else
        FocusFirst();
}

LRESULT FormPeer::DefaultButtonId() {
    for (auto& child : children_) {
        auto* button = dynamic_cast<Button*>(&child->Model());
        if (button && button->isDefault && button->Usable())
            return MAKELONG(GetDlgCtrlID(child->Handle()), DC_HASDEFID);
    }
    return 0;
}

LRESULT FormPeer::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE: GetForm().ClosedByUser(); return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
                return 0;
            }
            if (!HIWORD(wParam)) RestoreFocus();  // not while minimised
            return 0;
        case WM_SETFOCUS: RestoreFocus(); return 0;
        case WM_SETCURSOR:
            // A moment later: a form that just appeared under the mouse shows first.
            if (!tooltip_.Get() && !tipTimer_) tipTimer_ = SetTimer(hwnd_, kTipTimer, kTipDelayMs, nullptr);
            return WidgetPeer::Message(msg, wParam, lParam);
        case WM_TIMER:
            if (wParam != kTipTimer) return WidgetPeer::Message(msg, wParam, lParam);
            KillTimer(hwnd_, kTipTimer);
            MakeTooltip();
            return 0;
        // The dialog manager asks these while Tab moves between buttons.
        case DM_GETDEFID: return DefaultButtonId();
        case WM_NEXTDLGCTL: {
            HWND next = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
            if (!next) return 0;
            SetFocus(next);
            // Tab into an edit selects its text, as in every dialog.
            if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(next, EM_SETSEL, 0, -1);
            return 0;
        }
        default:
            if (msg >= WM_USER) {
                GetForm().Deliver(msg, static_cast<std::intptr_t>(wParam), static_cast<std::intptr_t>(lParam));
                return 0;
            }
            return WidgetPeer::Message(msg, wParam, lParam);
    }
}

}  // namespace tastavia::ui::win32
