#include "widgets/hoverpictures.h"

#include "widgets/transparentstyle.h"

#include <QLabel>

HoverPictures::HoverPictures(const char *normalPicture, const char *hoverPicture)
    : normal(QString::fromLatin1(normalPicture))
    , hover(QString::fromLatin1(hoverPicture))
{
}

void HoverPictures::showNormal(QLabel &button) const
{
    button.setAttribute(Qt::WA_Hover);
    button.setPixmap(normal);
    button.setStyleSheet(QLatin1String(kTransparentStyle));
}

void HoverPictures::follow(QLabel &button, bool &hovered, bool over) const
{
    if (hovered == over)
    {
        return;
    }
    hovered = over;
    button.setPixmap(over ? hover : normal);
    button.setStyleSheet(QLatin1String(kTransparentStyle));
}
