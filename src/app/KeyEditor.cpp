// TForm1's key editor: selecting a key, choosing its characters from the list, the
// Shift and Caps-Lock views and the Caps Sens toggles. Everything shown is read back
// from the working layout file.
#include "app/main.h"

#include "app/GuardScope.h"

namespace tastavia {

namespace {

constexpr int kFirstListChar = 32;

}  // namespace

ShiftState TForm1::EditorShift() const {
    return SpeedButton49.Down() ? ShiftState::Shifted : ShiftState::Unshifted;
}

void TForm1::RefreshKeyCaptions(ShiftState shift) {
    for (KeyNumber k = 1; k <= kKeyCount; ++k) {
        std::uint8_t c = layout_.ReadKeyChar(k, shift);
        // A lone & would mark an accelerator.
        KeyButton(k).SetCaption(c == '&' ? "&&" : std::string(1, static_cast<char>(c)));
    }
}

void TForm1::HighlightKeyChar(KeyNumber key) {
    int c = layout_.ReadKeyChar(key, EditorShift());
    if (c < kFirstListChar) {
        // Characters below the list's first entry have no entry to show.
        ListView1.SetSelected(-1);
    } else {
        int index = c - kFirstListChar;
        ListView1.SetSelected(index);
        ListView1.MakeVisible(index);
    }
    ListView1.SetFocus();
}

void TForm1::KeyButtonClick(KeyNumber key) {
    if (!KeyButton(key).Down()) {  // the click released the current key
        ClearKeySelection();
        return;
    }
    GuardScope guard(charListGuard_);
    HighlightKeyChar(key);
    currentKey_ = key;
    UpdateEnabling();
    bool sensitive = layout_.ReadCapsFlag(key);
    SpeedButton51.SetDown(sensitive);
    SpeedButton52.SetDown(sensitive);
}

void TForm1::ClearKeySelection() {
    KeyButton(currentKey_).SetDown(false);
    currentKey_ = 0;
    {
        GuardScope guard(charListGuard_);
        if (ListView1.Selected() >= 0) ListView1.SetSelected(-1);
        ListView1.SetTopIndex(0);
    }
    UpdateEnabling();
}

void TForm1::UpdateEnabling() {
    bool editable = currentKey_ >= 1 && currentKey_ < kSpaceBar;
    SpeedButton51.SetEnabled(editable);
    SpeedButton52.SetEnabled(editable);
    listMouseGate_ = editable;
    ListView1.SetTabStop(editable);
}

void TForm1::ListView1SelectItem(int index, bool selected) {
    if (charListGuard_ || currentKey_ == 0 || !selected) return;
    layout_.WriteKeyChar(currentKey_, EditorShift(), static_cast<std::uint8_t>(index + kFirstListChar));
    ShiftRefresh();
}

void TForm1::ShiftRefresh() {
    RefreshKeyCaptions(EditorShift());
    if (currentKey_ != 0) {
        GuardScope guard(charListGuard_);
        HighlightKeyChar(currentKey_);
    }
}

void TForm1::SpeedButton49Click() {
    SpeedButton53.SetDown(SpeedButton49.Down());
    ShiftRefresh();
}

void TForm1::SpeedButton53Click() {
    SpeedButton49.SetDown(!SpeedButton49.Down());
    ShiftRefresh();
}

void TForm1::RecolourCapsView() {
    bool show = SpeedButton50.Down();
    for (KeyNumber k = 1; k <= kKeyCount; ++k)
        KeyButton(k).SetCaptionColor(show && layout_.ReadCapsFlag(k) ? kCapsSensitiveColor : ui::kSystemTextColor);
}

void TForm1::SpeedButton50Click() { RecolourCapsView(); }

void TForm1::ApplyCapsSens() {
    if (currentKey_ != 0) layout_.WriteCapsFlag(currentKey_, SpeedButton51.Down());
    if (SpeedButton50.Down()) RecolourCapsView();
    SpeedButton52.SetDown(SpeedButton51.Down());
}

void TForm1::SpeedButton51Click() { ApplyCapsSens(); }

void TForm1::SpeedButton52Click() {
    SpeedButton51.SetDown(!SpeedButton51.Down());
    ApplyCapsSens();
}

void TForm1::ResetViewAfterImport() {
    SpeedButton49.SetDown(false);
    SpeedButton53.SetDown(false);
    RefreshKeyCaptions(ShiftState::Unshifted);
    RecolourCapsView();
    ClearKeySelection();
}

void TForm1::RefreshViewAfterExport() {
    SpeedButton49.SetDown(false);
    SpeedButton53.SetDown(false);
    ShiftRefresh();
}

}  // namespace tastavia
