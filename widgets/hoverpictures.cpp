#include "widgets/hoverpictures.h"

#include "widgets/picturesource.h"
#include "widgets/transparentstyle.h"

#include <QLabel>

namespace {

//! The picture from the source that suits the screen; a "@2x" twin keeps the
//! size of the picture it stands for.
QPixmap forScreen(const char *picture)
{
    const QString path = QString::fromLatin1(picture);
    const QString source = picturesource::forRatio(path, picturesource::screenRatio());
    QPixmap pixmap(source);
    if (source != path)
    {
        pixmap.setDevicePixelRatio(2.0);
    }
    return pixmap;
}

} // namespace

HoverPictures::HoverPictures(const char *normalPicture, const char *hoverPicture)
    : normal(forScreen(normalPicture))
    , hover(forScreen(hoverPicture))
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
