#pragma once

class QEvent;
class QLabel;

//! What the two picture buttons share beyond their pictures: reaching them by
//! keyboard, pressing them with a key, and the mark that shows their focus.
namespace buttonkeys {

//! Lets Tab and a click give @a button the keyboard focus.
void makeFocusable(QLabel &button);
//! Whether @a event presses a focused button: Space, Return or Enter. A held
//! key's repeats press nothing, so a button is never pressed by accident.
bool presses(const QEvent &event);
//! Draws the focus mark over the picture of @a button, which has the focus:
//! a light ring that follows the pill shape of the button pictures, inside
//! the widget so that it fits any size.
void paintFocusMark(QLabel &button);

} // namespace buttonkeys
