#pragma once

#include <QByteArray>
#include <QString>

//! The firmware images the updater carries: which one a colour variant gets,
//! and the version they carry.
namespace embeddedfirmware {

//! Six byte fields ("14 00 05 00 00 00") to a version text ("0.5.20").
QString versionFromFields(const QString &fields);

//! The image resource for an engine "-u" argument of a colour variant; the
//! black variant's for any other text.
QString imageResource(const QString &vidPid);
//! The contents of that image; empty when it cannot be read.
QByteArray image(const QString &vidPid);

//! The version stored in @a image; a byte beyond its end counts as 0.
QString versionOf(const QByteArray &image);

struct CarriedVersion
{
    QString version;
    //! Why the image could not be read; empty when it was. The version then
    //! comes from no bytes at all.
    QString error;
};

//! The version in the black variant's image, which all images share.
CarriedVersion carriedVersion();

} // namespace embeddedfirmware
