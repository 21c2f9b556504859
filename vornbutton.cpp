#include "vornbutton.h"

#include <QDebug>
#include <QEvent>

vornButton::vornButton()
    : QLabel(nullptr)
    , hover(false)
    , pictures(":/img/btnUpdate.PNG", ":/img/btnUpdateHover.png")
{
    pictures.showNormal(*this);
}

vornButton::~vornButton() = default;

void vornButton::slotVornButtonClicked()
{
    qDebug() << "Clicked Label";
}

bool vornButton::event(QEvent *e)
{
    if (e->type() == QEvent::MouseButtonRelease)
    {
        emit vornButtonClicked();
    }
    // The label's own handler is skipped on purpose: the button has no text interaction.
    return QWidget::event(e);
}

void vornButton::enterEvent(QEvent *e)
{
    pictures.follow(*this, hover, true);
    QLabel::enterEvent(e);
}

void vornButton::leaveEvent(QEvent *e)
{
    pictures.follow(*this, hover, false);
    QLabel::leaveEvent(e);
}
