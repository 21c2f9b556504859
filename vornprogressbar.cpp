#include "vornprogressbar.h"

#include "widgets/transparentstyle.h"

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
    if (percent < frames.size())
    {
        setPixmap(frames.at(percent));
    }
    else
    {
        setPixmap(QPixmap(framePath(percent)));
    }
}

QVector<QImage> vornProgressBar::scaledFrames(const QSize &size)
{
    QVector<QImage> scaled;
    scaled.reserve(kFrameCount);
    for (int percent = 0; percent < kFrameCount; ++percent)
    {
        // In the format the label's own pixmap would have, so that scaling
        // gives the same pixels as the label scaling its contents.
        QImage frame(framePath(percent));
        frame = frame.convertToFormat(frame.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
        scaled.append(frame.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
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
