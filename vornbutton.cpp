#include "vornbutton.h"

#include "widgets/buttonkeys.h"
#include "widgets/buttonword.h"

#include <QDebug>
#include <QEvent>

vornButton::vornButton()
    : QLabel(nullptr)
    , hover(false)
    , pictures(":/img/btnUpdate.PNG", ":/img/btnUpdateHover.png")
{
    pictures.showNormal(*this);
    buttonkeys::makeFocusable(*this);
}

vornButton::~vornButton() = default;

void vornButton::setWord(const QString &word)
{
    shownWord = word;
    update();
}

QString vornButton::word() const
{
    return shownWord;
}

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
    // A focused button is pressed by a key as by a click; the key goes no further.
    if (buttonkeys::presses(*e))
    {
        e->accept();
        emit vornButtonClicked();
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
