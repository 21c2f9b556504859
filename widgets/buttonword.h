#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QLabel;

//! The word on a picture button. The button pictures carry the pill only; the
//! word is set over it as text in the pictures' typeface, at the size and
//! spacing the art used, so that it is sharp at every scale and can be
//! translated.
namespace buttonword {

//! The typeface of the word on a button @a buttonHeight logical pixels high.
QFont font(int buttonHeight);
//! The part of a button of @a size that its word may take: the pill without
//! the outer part of its round ends.
QRect room(const QSize &size);
//! Draws @a word centred over the picture of @a button, in the art's orange,
//! or dark on the bright picture shown while the mouse is over it.
void paint(QLabel &button, const QString &word, bool hovered);

} // namespace buttonword
