#include "widgets/buttonkeys.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QtGlobal>

namespace buttonkeys {

namespace {

const QColor kMarkColour(255, 255, 255);
//! Ring width as a share of the button's height: about twice the art's own
//! outline, so that it stands out from it.
const qreal kMarkWidth = 0.075;

} // namespace

void makeFocusable(QLabel &button)
{
    button.setFocusPolicy(Qt::StrongFocus);
}

bool presses(const QEvent &event)
{
    if (event.type() != QEvent::KeyPress)
    {
        return false;
    }
    const auto &key = static_cast<const QKeyEvent &>(event);
    if (key.isAutoRepeat() || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    {
        return false;
    }
    return key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

void paintFocusMark(QLabel &button)
{
    QPainter painter(&button);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal width = qMax<qreal>(2.0, button.height() * kMarkWidth);
    painter.setPen(QPen(kMarkColour, width));
    const QRectF ring = QRectF(button.rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    const qreal radius = ring.height() / 2;
    painter.drawRoundedRect(ring, radius, radius);
}

} // namespace buttonkeys
