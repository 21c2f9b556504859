#include "widgets/picturesource.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>

namespace picturesource {

qreal screenRatio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

namespace {

QString twinOf(const QString &path)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString twin = dot < 0 ? path + QLatin1String("@2x")
                                 : path.left(dot) + QLatin1String("@2x") + path.mid(dot);
    return QFileInfo::exists(twin) ? twin : path;
}

} // namespace

QString forRatio(const QString &path, qreal ratio)
{
    return ratio <= 1.0 ? path : twinOf(path);
}


QSize devicePixels(const QSize &size, qreal ratio)
{
    return size * ratio;
}

QImage prepared(const QString &path, const QSize &size, qreal ratio)
{
    const QSize target = devicePixels(size, ratio);
    QImageReader reader(forRatio(path, ratio));
    // A reader that can scale while it decodes (JPEG) never holds the whole
    // large picture: only the smallest scale of it that still covers target.
    if (reader.format() == "jpeg")
    {
        reader.setScaledSize(target);
    }
    QImage source = reader.read();
    // In the format a label's own picture would have, so that its scaling
    // gives the same pixels.
    source = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    QImage scaled = source.size() == target
                        ? source
                        : source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

} // namespace picturesource
