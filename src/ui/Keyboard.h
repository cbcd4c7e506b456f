#pragma once
// Working a form with the keyboard alone: mnemonics (the letter after a caption's "&",
// pressed with Alt, or alone where the focused control takes no characters), the order
// in which Tab visits the controls, the arrow keys within a group of speed buttons, and
// where the focus goes when its control becomes unusable.
#include <string>
#include <vector>

namespace tastavia::ui {

class Form;
class SpeedButton;
class Widget;

// The letter after the single "&" of a caption, upper-cased; 0 when there is none.
char MnemonicOf(const std::string& caption);
// The caption as it reads: without the mark of its mnemonic, "&&" as one "&".
std::string PlainCaption(const std::string& caption);
// The caption of a widget shows its "&" as an underline: the controls that are pressed
// by a mnemonic, and labels that stand for a control. Other labels show text as it is.
bool ShowsMnemonic(Widget& widget);

// The controls Tab visits from the top of the form, in order: the usable tab stops. A
// group of speed buttons has one tab stop, which moves to the member that has the focus.
std::vector<Widget*> TabOrder(Widget& root);
// The tab stop Tab (or Shift+Tab) goes to from a widget, which need not be usable or a
// tab stop itself; wraps around. Null when there is none.
Widget* NextTabStop(Widget& root, Widget* from, bool backwards);

// An arrow key (kKeyLeft..kKeyDown) on a speed button of a group: the nearest usable
// member of the group in the arrow's direction, or null at the edge.
SpeedButton* ArrowNeighbour(SpeedButton& from, int keyCode);

// The user pressed a mnemonic letter: the button, check box, radio button or speed button
// of that letter takes the focus and is pressed; a label's letter focuses its control,
// an edit with its text selected. False when no usable control has the letter.
bool PressMnemonic(Form& form, char letter);

}  // namespace tastavia::ui
