#include "vornclosebutton.h"

#include "widgets/buttonkeys.h"
#include "widgets/buttonword.h"

#include <QEvent>

vornCloseButton::vornCloseButton()
    : QLabel(nullptr)
    , hover(false)
    , pictures(":/img/btnClose.png", ":/img/btnCloseHover.png")
{
    pictures.showNormal(*this);
    buttonkeys::makeFocusable(*this);
}

vornCloseButton::~vornCloseButton() = default;

void vornCloseButton::setWord(const QString &word)
{
    shownWord = word;
    update();
}

QString vornCloseButton::word() const
{
    return shownWord;
}

bool vornCloseButton::event(QEvent *e)
{
    if (e->type() == QEvent::MouseButtonRelease)
    {
        emit vornCloseClicked();
    }
    // A focused button is pressed by a key as by a click; the key goes no further.
    if (buttonkeys::presses(*e))
    {
        e->accept();
        emit vornCloseClicked();
        return true;
    }
    // The label's own handler is skipped on purpose: the button has no text interaction.
    const bool handled = QWidget::event(e);
    if (e->type() == QEvent::Paint)
    {
        buttonword::paint(*this, shownWord, hover);
        if (hasFocus())
        {
            buttonkeys::paintFocusMark(*this);
        }
    }
    return handled;
}

void vornCloseButton::enterEvent(QEvent *e)
{
    pictures.follow(*this, hover, true);
    QLabel::enterEvent(e);
}

void vornCloseButton::leaveEvent(QEvent *e)
{
    pictures.follow(*this, hover, false);
    QLabel::leaveEvent(e);
}
