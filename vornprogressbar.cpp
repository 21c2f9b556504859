#include "vornprogressbar.h"

#include <QPixmap>
#include <QString>

namespace
{
const char *const kStyle = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch";
} // namespace

vornProgressBar::vornProgressBar()
    : QLabel(nullptr)
{
    setPixmap(QPixmap(":/img/pb0.png"));
    setStyleSheet(kStyle);
}

vornProgressBar::~vornProgressBar() = default;

void vornProgressBar::setProgress(unsigned char percent)
{
    // The style was set once: setting it again re-polishes the widget, which
    // costs tens of milliseconds per frame.
    setPixmap(QPixmap(QString(":/img/pb%1.png").arg(static_cast<unsigned int>(percent))));
}
