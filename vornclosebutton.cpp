#include "vornclosebutton.h"

#include <QEvent>
#include <QPixmap>

namespace
{
const char *const kNormalPicture = ":/img/btnClose.png";
const char *const kHoverPicture = ":/img/btnCloseHover.png";
const char *const kStyle = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch";
} // namespace

vornCloseButton::vornCloseButton()
    : QLabel(nullptr)
    , hover(false)
    , normalPicture(kNormalPicture)
    , hoverPicture(kHoverPicture)
{
    setAttribute(Qt::WA_Hover);
    setPixmap(normalPicture);
    setStyleSheet(kStyle);
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
    if (!hover)
    {
        hover = true;
        setPixmap(hoverPicture);
        setStyleSheet(kStyle);
    }
    QLabel::enterEvent(e);
}

void vornCloseButton::leaveEvent(QEvent *e)
{
    if (hover)
    {
        hover = false;
        setPixmap(normalPicture);
        setStyleSheet(kStyle);
    }
    QLabel::leaveEvent(e);
}
