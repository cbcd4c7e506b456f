#include "ui/Keyboard.h"

#include <climits>
#include <cstdlib>

#include "ui/Controls.h"
#include "ui/Form.h"

namespace tastavia::ui {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

void Flatten(Widget& parent, std::vector<Widget*>& out) {
    for (Widget* child : parent.Children()) {
        out.push_back(child);
        Flatten(*child, out);
    }
}

bool IsStop(Widget* w) { return w->TabStop() && w->Usable(); }

struct Centre {
    int x, y;
};
Centre CentreOf(const Rect& r) { return {r.left + r.width / 2, r.top + r.height / 2}; }

}  // namespace

char MnemonicOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return Upper(caption[i + 1]);
        ++i;  // "&&" is a plain "&"
    }
    return 0;
}

std::string PlainCaption(const std::string& caption) {
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

bool ShowsMnemonic(Widget& widget) {
    if (auto* label = dynamic_cast<Label*>(&widget)) return label->focusControl != nullptr;
    return dynamic_cast<Button*>(&widget) || dynamic_cast<CheckBox*>(&widget) || dynamic_cast<RadioButton*>(&widget) ||
           dynamic_cast<SpeedButton*>(&widget) || dynamic_cast<GroupBox*>(&widget);
}

std::vector<Widget*> TabOrder(Widget& root) {
    std::vector<Widget*> all, stops;
    Flatten(root, all);
    for (Widget* w : all)
        if (IsStop(w)) stops.push_back(w);
    return stops;
}

Widget* NextTabStop(Widget& root, Widget* from, bool backwards) {
    std::vector<Widget*> all;
    Flatten(root, all);
    const int count = static_cast<int>(all.size());
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (all[static_cast<std::size_t>(i)] == from) at = i;
    const int step = backwards ? -1 : 1;
    if (at < 0) at = backwards ? count : -1;
    for (int n = 1; n <= count; ++n) {
        Widget* w = all[static_cast<std::size_t>(((at + step * n) % count + count) % count)];
        if (IsStop(w)) return w;
    }
    return nullptr;
}

SpeedButton* ArrowNeighbour(SpeedButton& from, int keyCode) {
    if (from.GroupIndex() == 0 || !from.Parent()) return nullptr;
    const Rect a = from.Bounds();
    const Centre c = CentreOf(a);
    SpeedButton* best = nullptr;
    long bestScore = LONG_MAX;
    for (Widget* sibling : from.Parent()->Children()) {
        auto* other = dynamic_cast<SpeedButton*>(sibling);
        if (!other || other == &from || other->GroupIndex() != from.GroupIndex() || !other->Usable()) continue;
        const Rect b = other->Bounds();
        const Centre o = CentreOf(b);
        const bool sameRow = b.top < a.Bottom() && b.Bottom() > a.top;
        long along = 0, across = 0;  // distance in the arrow's direction, and aside of it
        switch (keyCode) {
            case kKeyLeft: along = c.x - o.x; break;
            case kKeyRight: along = o.x - c.x; break;
            case kKeyUp: along = a.top - b.Bottom(); break;
            case kKeyDown: along = b.top - a.Bottom(); break;
            default: return nullptr;
        }
        const bool horizontal = keyCode == kKeyLeft || keyCode == kKeyRight;
        if (horizontal ? (!sameRow || along <= 0) : (sameRow || along < 0)) continue;
        across = horizontal ? 0 : std::labs(static_cast<long>(o.x - c.x));
        // The nearest row first, then the key nearest straight ahead in it.
        const long score = along * 10000 + across;
        if (score < bestScore) {
            bestScore = score;
            best = other;
        }
    }
    return best;
}

bool PressMnemonic(Form& form, char letter) {
    letter = Upper(letter);
    if (letter == 0) return false;
    std::vector<Widget*> all;
    Flatten(form, all);
    for (Widget* w : all) {
        if (!w->Usable() || !ShowsMnemonic(*w) || MnemonicOf(w->Caption()) != letter) continue;
        if (auto* label = dynamic_cast<Label*>(w)) {
            Widget* target = label->focusControl;
            if (!target || !target->Usable()) continue;
            if (auto* edit = dynamic_cast<Edit*>(target)) edit->SelectAll();
            target->SetFocus();
            return true;
        }
        if (dynamic_cast<GroupBox*>(w)) {
            Widget* first = NextTabStop(*w, nullptr, false);
            if (!first) continue;
            first->SetFocus();
            return true;
        }
        w->SetFocus();
        if (auto* button = dynamic_cast<Button*>(w)) button->Click();
        if (auto* speed = dynamic_cast<SpeedButton*>(w)) speed->Click();
        if (auto* check = dynamic_cast<CheckBox*>(w)) check->Click();
        if (auto* radio = dynamic_cast<RadioButton*>(w)) radio->Click();
        return true;
    }
    return false;
}

}  // namespace tastavia::ui
