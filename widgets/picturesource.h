#pragma once

#include <QImage>
#include <QSize>
#include <QString>

//! Pictures prepared for the screen's device pixel ratio. A picture may come
//! with a twin of twice its pixels named with "@2x" before the extension;
//! that twin is read whenever the screen has more than one device pixel per
//! pixel, so pictures stay sharp on high-density screens.
namespace picturesource {

//! The primary screen's device pixel ratio; 1 without a screen.
qreal screenRatio();
//! The file to read for @a path at @a ratio: its "@2x" twin when @a ratio is
//! above 1 and the twin exists, else @a path itself.
QString forRatio(const QString &path, qreal ratio);
//! The device pixels that @a size logical pixels cover at @a ratio, rounded
//! as a label rounds them when it scales its picture.
QSize devicePixels(const QSize &size, qreal ratio);
//! @a path read from its source for @a ratio and scaled smoothly to cover
//! @a size logical pixels, tagged with @a ratio; safe on any thread. A JPEG
//! is decoded at the smallest of its own scales that still covers them, so
//! a large twin is never held whole.
QImage prepared(const QString &path, const QSize &size, qreal ratio);

} // namespace picturesource
