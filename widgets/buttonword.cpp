#include "widgets/buttonword.h"

#include <QColor>
#include <QLabel>
#include <QPainter>
#include <QtGlobal>

namespace buttonword {

namespace {

const QColor kWordColour(255, 143, 28);
const QColor kHoveredWordColour(22, 22, 26);
//! The art's letters are 0.42 of the button's height, spaced by 3 of its 63 pixels.
constexpr qreal kSize = 0.42;
constexpr qreal kTracking = 3.0 / 63.0;
//! Each round end gives up 0.3 of the height: its outer part is too narrow for a letter.
constexpr qreal kEndShare = 0.3;

} // namespace

QFont font(int buttonHeight)
{
    QFont font(QStringLiteral("DIN Next W1G"));
    font.setPixelSize(qMax(1, qRound(buttonHeight * kSize)));
    font.setLetterSpacing(QFont::AbsoluteSpacing, buttonHeight * kTracking);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QRect room(const QSize &size)
{
    const int end = qRound(size.height() * kEndShare);
    return QRect(end, 0, size.width() - 2 * end, size.height());
}

void paint(QLabel &button, const QString &word, bool hovered)
{
    if (word.isEmpty())
    {
        return;
    }
    QPainter painter(&button);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QFont face = font(button.height());
    painter.setFont(face);
    painter.setPen(hovered ? kHoveredWordColour : kWordColour);
    // The spacing follows the last letter too: half of it moves back so that the word stays centred.
    const QRectF place = QRectF(room(button.size())).translated(face.letterSpacing() / 2, 0);
    painter.drawText(place, Qt::AlignCenter | Qt::TextSingleLine, word);
}

} // namespace buttonword
