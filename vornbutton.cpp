#include "vornbutton.h"

#include <QDebug>
#include <QEvent>
#include <QPixmap>

namespace
{
const char *const kNormalPicture = ":/img/btnUpdate.PNG";
const char *const kHoverPicture = ":/img/btnUpdateHover.png";
const char *const kStyle = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch";
} // namespace

vornButton::vornButton()
    : QLabel(nullptr)
    , hover(false)
    , normalPicture(kNormalPicture)
    , hoverPicture(kHoverPicture)
{
    setAttribute(Qt::WA_Hover);
    setPixmap(normalPicture);
    setStyleSheet(kStyle);
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
    if (!hover)
    {
        hover = true;
        setPixmap(hoverPicture);
        setStyleSheet(kStyle);
    }
    QLabel::enterEvent(e);
}

void vornButton::leaveEvent(QEvent *e)
{
    if (hover)
    {
        hover = false;
        setPixmap(normalPicture);
        setStyleSheet(kStyle);
    }
    QLabel::leaveEvent(e);
}
