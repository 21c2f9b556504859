#include "vornclosebutton.h"

#include <QEvent>

vornCloseButton::vornCloseButton()
    : QLabel(nullptr)
    , hover(false)
    , pictures(":/img/btnClose.png", ":/img/btnCloseHover.png")
{
    pictures.showNormal(*this);
}

vornCloseButton::~vornCloseButton() = default;

bool vornCloseButton::event(QEvent *e)
{
    if (e->type() == QEvent::MouseButtonRelease)
    {
        emit vornCloseClicked();
    }
    // The label's own handler is skipped on purpose: the button has no text interaction.
    return QWidget::event(e);
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
