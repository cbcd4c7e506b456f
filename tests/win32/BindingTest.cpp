// The widget model on real windows: program changes show in the controls without extra
// events, user input reaches the model once, and the loops, keys and dialogs behave.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Win32TestSupport.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/ListView.h"
#include "ui/PageControl.h"
#include "ui/PopupMenu.h"
#include "ui/win32/Win32Backend.h"
#include "ui/win32/Win32Dialogs.h"

namespace tastavia::ui {
namespace {

class DemoForm : public Form {
public:
    explicit DemoForm(Application& app) : Form(app, "Demo") {
        SetCaption("Binding");
        SetClientSize(400, 300);
        ok.SetBounds(310, 265, 80, 25);
        ok.SetCaption("OK");
        ok.isDefault = true;
        cancel.SetBounds(220, 265, 80, 25);
        cancel.SetCaption("Cancel");
        cancel.isCancel = true;
        edit.SetBounds(10, 10, 150, 21);
        edit.SetTabStop(true);
        check.SetBounds(10, 40, 100, 20);
        radio1.SetBounds(10, 62, 60, 20);
        radio2.SetBounds(80, 62, 60, 20);
        key.SetBounds(170, 10, 31, 33);
        key.SetCaption("A");
        key.SetGroupIndex(1);
        key.SetAllowAllUp(true);
        key2.SetBounds(202, 10, 31, 33);
        key2.SetCaption("&&");
        key2.SetGroupIndex(1);
        key2.SetAllowAllUp(true);
        list.SetBounds(10, 100, 150, 104);  // 100 rows of 20 pixels inside the border
        list.showColumnHeaders = false;
        list.itemHeight = 20;
        list.AddColumn({"", 120, Alignment::Left});
        for (int i = 0; i < 20; ++i) list.AddItem("Item " + std::to_string(i));
        ok.onClick = [this] { Log("ok"); };
        cancel.onClick = [this] { Log("cancel"); };
        edit.onChange = [this] { Log("edit:" + edit.Text()); };
        check.onClick = [this] { Log(check.Checked() ? "check:on" : "check:off"); };
        radio2.onClick = [this] { Log("radio2"); };
        key.onClick = [this] { Log(key.Down() ? "key:down" : "key:up"); };
        key2.onClick = [this] { Log(key2.Down() ? "key2:down" : "key2:up"); };
        list.onSelectItem = [this](int item, bool selected) { Log(std::to_string(item) + (selected ? "+" : "-")); };
    }
    void Log(const std::string& event) { events.push_back(event); }
    std::vector<std::string> Take() { return std::exchange(events, {}); }

    std::vector<std::string> events;
    Button ok{this, "ok"};
    Button cancel{this, "cancel"};
    Edit edit{this, "edit"};
    CheckBox check{this, "check"};
    RadioButton radio1{this, "radio1"};
    RadioButton radio2{this, "radio2"};
    SpeedButton key{this, "key"};
    SpeedButton key2{this, "key2"};
    Label label{this, "label"};
    ListView list{this, "list"};
};

using Events = std::vector<std::string>;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Work for a timer to do while a modal loop of the system runs (a box, a menu).
std::function<bool()> g_soon;
void CALLBACK RunSoon(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_soon && g_soon()) {
        g_soon = nullptr;
        KillTimer(nullptr, id);
    }
}
void WhenReady(std::function<bool()> step) {
    g_soon = std::move(step);
    SetTimer(nullptr, 0, 50, RunSoon);
}

BOOL CALLBACK TakeDialogBox(HWND hwnd, LPARAM out) {
    char name[16] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(out) = hwnd;
    return FALSE;
}

HWND FindDialogBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeDialogBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK TakeTooltips(HWND hwnd, LPARAM out) {
    char name[32] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (std::string(name) == TOOLTIPS_CLASSA) *reinterpret_cast<HWND*>(out) = hwnd;
    return TRUE;
}

void CALLBACK Quit(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); }

std::string TextOf(HWND hwnd) {
    char text[256] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

// A 24-bit .bmp of one colour.
std::string SolidBmp(int width, int height, BYTE r, BYTE g, BYTE b) {
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[static_cast<std::size_t>(3 * x)] = static_cast<char>(b);
        row[static_cast<std::size_t>(3 * x + 1)] = static_cast<char>(g);
        row[static_cast<std::size_t>(3 * x + 2)] = static_cast<char>(r);
    }
    for (int y = 0; y < height; ++y) bytes += row;
    return bytes;
}

COLORREF PixelAt(HWND hwnd, int x, int y) {
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

class BindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        Pump();
        form.SetVisible(true);  // shown without a loop, so that the controls paint
        Pump();
    }
    void TearDown() override { KillTimer(nullptr, watchdog_); }
    HWND Window(Widget& widget) { return backend.WindowOf(widget); }
    // Ends a loop that a broken binding would never end.
    void Watchdog() { watchdog_ = SetTimer(nullptr, 0, 10000, Quit); }
    RECT ItemRect(int item) {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(Window(form.list), LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void ClickItem(int item, UINT down = WM_LBUTTONDOWN) {
        RECT r = ItemRect(item);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        // The release waits in the queue, for a list that tracks the mouse after a press.
        UINT up = down == WM_LBUTTONDBLCLK ? WM_LBUTTONUP : down + 1;
        PostMessageA(Window(form.list), up, 0, at);
        bool left = down == WM_LBUTTONDOWN || down == WM_LBUTTONDBLCLK;
        SendMessageA(Window(form.list), down, left ? MK_LBUTTON : MK_RBUTTON, at);
        Pump();
    }
    int NativeSelection() {
        return static_cast<int>(SendMessageA(Window(form.list), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }

    Win32Backend backend;
    Application app{backend};
    DemoForm form{app};
    UINT_PTR watchdog_ = 0;
};

TEST_F(BindingTest, ProgramChangesShowInTheControlsAndFireOnlyTheModelsEvents) {
    form.ok.SetCaption("Apply");
    form.cancel.SetEnabled(false);
    form.check.SetVisible(false);
    form.edit.SetReadOnly(true);
    EXPECT_EQ(TextOf(Window(form.ok)), "Apply");
    EXPECT_FALSE(IsWindowEnabled(Window(form.cancel)));
    EXPECT_FALSE(IsWindowVisible(Window(form.check)));
    EXPECT_TRUE(GetWindowLongA(Window(form.edit), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(Window(form.ok), GWL_STYLE) & BS_DEFPUSHBUTTON);
    form.edit.SetReadOnly(false);

    // The edit's own change report of the new text is not a second change.
    form.edit.SetText("typed by the program");
    EXPECT_EQ(TextOf(Window(form.edit)), "typed by the program");
    form.check.SetChecked(true);
    form.radio2.SetChecked(true);
    EXPECT_EQ(SendMessageA(Window(form.check), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Window(form.radio2), BM_GETCHECK, 0, 0), BST_CHECKED);
    form.radio1.SetChecked(true);
    EXPECT_EQ(SendMessageA(Window(form.radio2), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    form.list.SetSelected(4);
    form.list.SetSelected(6);
    Pump();
    EXPECT_EQ(NativeSelection(), 6);
    EXPECT_EQ(form.Take(), (Events{"edit:typed by the program", "check:on", "radio2", "4+", "4-", "6+"}));
    form.list.SetSelected(-1);
    EXPECT_EQ(NativeSelection(), -1);

    form.label.SetCaption("A longer caption than before");
    RECT r;
    GetWindowRect(Window(form.label), &r);
    EXPECT_GT(r.right - r.left, 100);  // sized to its text
}

TEST_F(BindingTest, ListItemsAndTheirTextsComeFromTheModel) {
    HWND list = Window(form.list);
    char text[64] = "";
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Item 3");
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 20);

    form.list.SetItemCaption(3, "Renamed");
    SendMessageA(list, LVM_GETITEMTEXTA, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "Renamed");

    form.list.BeginUpdate();
    form.list.Clear();
    for (int i = 0; i < 5; ++i) form.list.AddItem("New " + std::to_string(i));
    form.list.EndUpdate();
    form.list.AddItem("Last");
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 6);
    SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, "New 0");
}

TEST_F(BindingTest, ListGeometryAndScrollingAgreeWithTheControl) {
    HWND list = Window(form.list);
    RECT row = ItemRect(0);
    EXPECT_EQ(row.bottom - row.top, 20);
    EXPECT_EQ(form.list.VisibleRows(), SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_EQ(form.list.VisibleRows(), 5);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(form.list.ClientWidth(), client.right);

    form.list.MakeVisible(12);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), form.list.TopIndex());
    EXPECT_EQ(form.list.TopIndex(), 8);
    form.list.SetTopIndex(0);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);

    // The user scrolls: the model learns where the list stands.
    SendMessageA(list, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(form.list.TopIndex(), SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    EXPECT_GT(form.list.TopIndex(), 0);

    int drawn = 0;
    form.list.onCustomDraw = [&] { ++drawn; };
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    EXPECT_GT(drawn, 0);
}

TEST_F(BindingTest, TheBackgroundBitmapShowsBehindTheRows) {
    form.list.SetBackground(SolidBmp(8, 8, 255, 0, 0));
    HWND list = Window(form.list);
    RECT row = ItemRect(1);
    // Between the text and the right edge of a row, and below the rows of a short list.
    EXPECT_EQ(PixelAt(list, row.right - 3, row.top + 2), RGB(255, 0, 0));
    form.list.SetSelected(1);
    EXPECT_EQ(PixelAt(list, row.right - 3, row.top + 2), GetSysColor(COLOR_HIGHLIGHT));

    // A broken file leaves the plain window colour.
    form.list.SetBackground(SolidBmp(8, 8, 255, 0, 0).substr(0, 80));
    EXPECT_EQ(PixelAt(list, row.right - 3, ItemRect(2).top + 2), GetSysColor(COLOR_WINDOW));
}

TEST_F(BindingTest, SpeedButtonsDrawTheirStateAndCaptionColour) {
    HWND key = Window(form.key);
    EXPECT_EQ(PixelAt(key, 3, 3), GetSysColor(COLOR_BTNFACE));
    form.key.SetDown(true);
    // The chequered face of a button that stays down.
    COLORREF a = PixelAt(key, 3, 3), b = PixelAt(key, 4, 3);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a == GetSysColor(COLOR_BTNHIGHLIGHT) || b == GetSysColor(COLOR_BTNHIGHLIGHT));
    form.key.SetDown(false);

    form.key.SetFont(Font{"Courier New", 16, true, kDefaultCharset});
    form.key.SetCaptionColor(Rgb(255, 0, 0));
    UpdateWindow(key);
    int red = 0;
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 31; ++x) red += PixelAt(key, x, y) == RGB(255, 0, 0);
    EXPECT_GT(red, 5);
    EXPECT_TRUE(form.Take().empty());  // none of that is a click
}

TEST_F(BindingTest, KeysTakeTheFocusFromTheKeyboardWithAMarkAndSpacePressesThem) {
    auto pixels = [](HWND hwnd) {
        std::vector<COLORREF> all;
        for (int y = 0; y < 33; ++y)
            for (int x = 0; x < 31; ++x) all.push_back(PixelAt(hwnd, x, y));
        return all;
    };
    HWND key = Window(form.key), key2 = Window(form.key2);
    const std::vector<COLORREF> plain = pixels(key);
    form.SetShowing(true);
    form.key.SetTabStop(true);
    form.key.SetFocus();
    ASSERT_EQ(GetFocus(), key);
    EXPECT_NE(pixels(key), plain);  // the focus mark
    SendMessageA(key, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(GetFocus(), key2);
    EXPECT_TRUE(form.key2.TabStop() && !form.key.TabStop());  // Tab comes back to it
    EXPECT_NE(GetWindowLongA(key2, GWL_STYLE) & WS_TABSTOP, 0);
    EXPECT_EQ(pixels(key), plain);
    SendMessageA(key2, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(form.Take(), (Events{"key2:down"}));
    form.SetShowing(false);
}

TEST_F(BindingTest, UserInputReachesTheModelOnce) {
    SendMessageA(Window(form.ok), BM_CLICK, 0, 0);
    SendMessageA(Window(form.check), BM_CLICK, 0, 0);
    SendMessageA(Window(form.radio2), BM_CLICK, 0, 0);
    HWND key = Window(form.key);
    SendMessageA(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(key, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(form.key.Down());
    EXPECT_NE(GetFocus(), key);  // a speed button leaves the focus where it was
    SendMessageA(key, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(key, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));  // released outside: no click
    SendMessageA(Window(form.edit), WM_CHAR, 'x', 0);
    Pump();
    EXPECT_EQ(form.Take(), (Events{"ok", "check:on", "radio2", "key:down", "edit:x"}));
    EXPECT_TRUE(form.check.Checked());
    EXPECT_EQ(SendMessageA(Window(form.check), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(form.edit.Text(), "x");

    // Disabled in the model: a click that still arrives does nothing.
    form.ok.SetEnabled(false);
    SendMessageA(GetParent(Window(form.ok)), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Window(form.ok)), BN_CLICKED),
                 reinterpret_cast<LPARAM>(Window(form.ok)));
    EXPECT_TRUE(form.Take().empty());
}

TEST_F(BindingTest, ListSelectionByMouseAndKeyboardFiresEachChangeOnce) {
    ClickItem(3);
    EXPECT_EQ(form.list.Selected(), 3);
    ClickItem(1);
    SendMessageA(Window(form.list), WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(form.list.Selected(), 2);
    EXPECT_EQ(NativeSelection(), 2);
    EXPECT_EQ(form.Take(), (Events{"3+", "3-", "1+", "1-", "2+"}));
}

TEST_F(BindingTest, TheMouseFilterDropsPressesWhileClosed) {
    bool open = false;
    std::vector<MouseButton> asked;
    form.list.mouseFilter = [&](MouseButton button) {
        asked.push_back(button);
        return open;
    };
    ClickItem(3);
    ClickItem(4, WM_RBUTTONDOWN);
    ClickItem(5, WM_LBUTTONDBLCLK);  // a double click's second press
    EXPECT_EQ(form.list.Selected(), -1);
    EXPECT_EQ(NativeSelection(), -1);
    EXPECT_EQ(asked, (std::vector<MouseButton>{MouseButton::Left, MouseButton::Right, MouseButton::Left}));

    // The keyboard is not filtered.
    SendMessageA(Window(form.list), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(form.list.Selected(), 0);

    open = true;
    ClickItem(3);
    EXPECT_EQ(form.list.Selected(), 3);
    EXPECT_EQ(form.Take(), (Events{"0+", "0-", "3+"}));
}

TEST_F(BindingTest, FormsHaveTheModelsClientSizeCaptionAndTips) {
    HWND window = Window(form);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 300);
    EXPECT_EQ(TextOf(window), "Binding");
    form.SetClientSize(320, 200);
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 320);

    form.edit.SetHint("Where the name goes");
    HWND tips = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeTooltips, reinterpret_cast<LPARAM>(&tips));
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(GetWindow(tips, GW_OWNER), window);
    EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(BindingTest, EnterAndEscapePressTheFormsButtons) {
    Watchdog();
    form.SetVisible(false);
    form.ok.onClick = [this] {
        form.Log("ok");
        form.SetModalResult(ModalResult::Ok);
        form.Close();
    };
    HWND edit = Window(form.edit);
    form.edit.SetFocus();
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(form.ShowModal(), ModalResult::Ok);
    EXPECT_EQ(form.Take(), (Events{"cancel", "ok"}));

    // Without a usable cancel button, Escape closes a modal form.
    form.cancel.SetEnabled(false);
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(form.ShowModal(), ModalResult::Cancel);
    EXPECT_FALSE(IsWindowVisible(Window(form)));
}

TEST_F(BindingTest, PostedMessagesReachTheFormInTheMainLoop) {
    Watchdog();
    form.SetVisible(false);
    DemoForm dialog(app);
    std::vector<std::string> seen;
    bool ownerDisabled = false;
    dialog.onMessage = [&](std::uint32_t, std::intptr_t, std::intptr_t) {
        ownerDisabled = !IsWindowEnabled(Window(form));
        dialog.SetModalResult(ModalResult::Ok);
        dialog.Close();
    };
    form.onMessage = [&](std::uint32_t message, std::intptr_t w, std::intptr_t l) {
        seen.push_back(std::to_string(message - WM_USER) + ":" + std::to_string(w) + ":" + std::to_string(l));
        if (w == 7) {
            // A modal form in the middle: its owner is disabled until it closes.
            app.Post(dialog, WM_USER + 1);
            EXPECT_EQ(dialog.ShowModal(), ModalResult::Ok);
            EXPECT_TRUE(IsWindowEnabled(Window(form)));
            EXPECT_EQ(GetFocus(), Window(form.edit));
            app.Post(form, WM_USER + 1, 8, 0);
        } else {
            form.Close();
        }
    };
    form.edit.SetFocus();
    // Posted before the main window was ever shown.
    app.Post(form, WM_USER + 1, 7, 9);
    app.Run(form);
    EXPECT_EQ(seen, (std::vector<std::string>{"1:7:9", "1:8:0"}));
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(form.Showing());
}

TEST_F(BindingTest, MessageBoxesHaveTheirTitleButtonsAndOwner) {
    Watchdog();
    std::vector<Answer> answers;
    std::vector<std::string> seen;
    auto answer = [&](int button) {
        WhenReady([&seen, button, this] {
            HWND box = FindDialogBox();
            if (!box) return false;
            seen.push_back(TextOf(box) + (GetWindow(box, GW_OWNER) == Window(form) ? " owned" : " alone"));
            if (button)
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
            else
                PostMessageA(box, WM_CLOSE, 0, 0);
            return true;
        });
    };
    form.onMessage = [&](std::uint32_t, std::intptr_t, std::intptr_t) {
        Dialogs& dialogs = app.GetDialogs();
        answer(IDNO);
        answers.push_back(dialogs.ShowMessage(MessageKind::Confirmation, MessageButtons::YesNoCancel, "Save?"));
        answer(0);
        answers.push_back(dialogs.ShowMessage(MessageKind::Warning, MessageButtons::OkCancel, "Careful"));
        answer(IDOK);
        answers.push_back(dialogs.ShowMessage(MessageKind::Error, MessageButtons::Ok, "Failed"));
        form.Close();
    };
    app.Post(form, WM_USER + 2);
    app.Run(form);
    EXPECT_EQ(answers, (std::vector<Answer>{Answer::No, Answer::Cancel, Answer::Ok}));
    EXPECT_EQ(seen, (std::vector<std::string>{"Confirm owned", "Warning owned", "Error owned"}));
}

TEST_F(BindingTest, FileDialogsTakeNamesOfFilesThatDoNotExistAndOverwriteWithoutAsking) {
    Watchdog();
    test::Win32Folder folder("binding");
    std::string missing = folder.path() + "new.ini";
    std::string existing = folder.path() + "old.ini";
    folder.files().WriteAll(existing, "[x]\n");
    auto type = [](const std::string& path) {
        WhenReady([path] {
            HWND dialog = FindDialogBox();
            if (!dialog) return false;
            SendMessageA(dialog, CDM_SETCONTROLTEXT, 0x47c, reinterpret_cast<LPARAM>(path.c_str()));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return true;
        });
    };
    FileDialogOptions options{"Load From", "Ini Files|*.ini|All Files|*", "ini"};
    type(missing);
    EXPECT_EQ(app.GetDialogs().OpenFile(options), missing);
    type(existing);
    EXPECT_EQ(app.GetDialogs().SaveFile(options), existing);
    EXPECT_EQ(Win32Dialogs::NativeFilter("A|*.a|B|*"), std::string("A\0*.a\0B\0*\0\0", 11));
}

TEST_F(BindingTest, PopupMenusRunTheChosenItem) {
    std::vector<std::string> chosen;
    PopupMenu menu("menu");
    menu.alignment = MenuAlignment::Right;
    menu.items = {{"First", [&] { chosen.push_back("first"); }}, {"Second", [&] { chosen.push_back("second"); }}};
    RECT shown{};
    WhenReady([&shown] {
        HWND popup = FindWindowA("#32768", nullptr);
        if (!popup || !IsWindowVisible(popup)) return false;
        GetWindowRect(popup, &shown);
        // The menu's loop reads the keys of the whole thread.
        HWND owner = GetWindow(popup, GW_OWNER) ? GetWindow(popup, GW_OWNER) : GetActiveWindow();
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(owner, WM_KEYDOWN, key, 0);
        return true;
    });
    menu.PopupBelow(form.ok);
    EXPECT_EQ(chosen, (std::vector<std::string>{"second"}));
    POINT corner{form.ok.Bounds().Right(), form.ok.Bounds().Bottom()};
    ClientToScreen(Window(form), &corner);
    EXPECT_EQ(shown.right, corner.x);  // right-aligned below the button
}

TEST_F(BindingTest, PageControlsShowOnePageAtATime) {
    PageControl pages(&form, "pages");
    pages.SetBounds(170, 100, 200, 150);
    TabSheet& first = pages.AddPage("first", "One");
    TabSheet& second = pages.AddPage("second", "Two");
    Edit inside(&second, "inside");
    inside.SetBounds(5, 5, 100, 21);
    HWND tabs = Window(pages);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_TRUE(IsWindowVisible(Window(first)));
    EXPECT_FALSE(IsWindowVisible(Window(second)));
    EXPECT_EQ(GetParent(Window(inside)), Window(second));

    // The user picks the second tab.
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR change{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(GetParent(tabs), WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(pages.ActivePage(), 1);
    EXPECT_TRUE(IsWindowVisible(Window(second)));
    EXPECT_FALSE(IsWindowVisible(Window(first)));
    pages.SetActivePage(0);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
}

TEST_F(BindingTest, PagesWithoutTabsCoverTheControl) {
    PageControl pages(&form, "pages");
    pages.showTabs = false;
    pages.SetBounds(170, 100, 200, 150);
    TabSheet& page = pages.AddPage("only", "");
    HWND tabs = Window(pages);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 0);
    RECT r;
    GetWindowRect(Window(page), &r);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 150);
    EXPECT_LE(r.top, 4);
}

}  // namespace
}  // namespace tastavia::ui
