#pragma once

#include <QImage>
#include <QSize>
#include <QString>

//! Pictures prepared for the screen's device pixel ratio. A picture may come
//! with a twin of twice its pixels named with "@2x" before the extension;
//! the twin is read where the picture itself has too few pixels for the
//! device pixels it covers, so pictures stay sharp on high-density screens
//! and no larger picture is decoded than needed.
namespace picturesource {

//! The primary screen's device pixel ratio; 1 without a screen.
qreal screenRatio();
//! The file to read for @a path at @a ratio: its "@2x" twin when @a ratio is
//! above 1 and the twin exists, else @a path itself.
QString forRatio(const QString &path, qreal ratio);
//! The file to read to cover @a devicePixels: @a path when it has enough
//! pixels or no twin, else its "@2x" twin.
QString sourceFor(const QString &path, const QSize &devicePixels);
//! The device pixels that @a size logical pixels cover at @a ratio, rounded
//! as a label rounds them when it scales its picture.
QSize devicePixels(const QSize &size, qreal ratio);
//! @a path read from its source for that many pixels and scaled smoothly to cover
//! @a size logical pixels, tagged with @a ratio; safe on any thread.
QImage prepared(const QString &path, const QSize &size, qreal ratio);

} // namespace picturesource
