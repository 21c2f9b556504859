#include "vornprogressbar.h"

#include "widgets/picturesource.h"
#include "widgets/transparentstyle.h"

#include <QAccessible>
#include <QString>

namespace
{
const int kFrameCount = 101;

QString framePath(int percent)
{
    return QString(":/img/pb%1.png").arg(percent);
}
} // namespace

vornProgressBar::vornProgressBar()
    : QLabel(nullptr)
    , shownPercent(0)
{
    setPixmap(QPixmap(framePath(0)));
    setStyleSheet(QLatin1String(kTransparentStyle));
}

vornProgressBar::~vornProgressBar() = default;

void vornProgressBar::setProgress(unsigned char percent)
{
    // The style sheet never changes, so it is not set again: that would
    // re-polish the widget for every percentage.
    if (percent == shownPercent && !pixmap(Qt::ReturnByValue).isNull())
    {
        return;
    }
    shownPercent = percent;
    QAccessibleValueChangeEvent changed(this, static_cast<int>(percent));
    QAccessible::updateAccessibility(&changed);
    if (percent < frames.size())
    {
        setPixmap(frames.at(percent));
    }
    else
    {
        setPixmap(QPixmap(framePath(percent)));
    }
}

QVector<QImage> vornProgressBar::scaledFrames(const QSize &size, qreal ratio)
{
    QVector<QImage> scaled;
    scaled.reserve(kFrameCount);
    for (int percent = 0; percent < kFrameCount; ++percent)
    {
        scaled.append(picturesource::prepared(framePath(percent), size, ratio));
    }
    return scaled;
}

void vornProgressBar::setFrames(const QVector<QImage> &scaled)
{
    frames.clear();
    frames.reserve(scaled.size());
    for (const QImage &frame : scaled)
    {
        frames.append(QPixmap::fromImage(frame));
    }
    if (shownPercent < frames.size())
    {
        setPixmap(frames.at(shownPercent));
    }
}
