#include "window/embeddedfirmware.h"

#include "product/controller_variants.h"

#include <QFile>
#include <QStringList>

namespace embeddedfirmware {

namespace {

//! Where the images store their version: six bytes after the identity.
const qint64 kVersionOffset = 0x70006;
const int kVersionBytes = 6;

QString resourceOf(const vorn::ControllerVariant &variant)
{
    return QStringLiteral(":/binaries/vorn_tarsel_v_0.5.20_%1.bin").arg(QLatin1String(variant.name));
}

} // namespace

QString versionFromFields(const QString &fields)
{
    const QStringList parts = fields.split(QLatin1Char(' '));
    // A missing field is empty and a pair that does not convert gives 0.
    auto number = [&parts](int high, int low) { return (parts.value(high) + parts.value(low)).toUShort(nullptr, 16); };
    const quint16 major = number(5, 4);
    const quint16 minor = number(3, 2);
    const quint16 patch = number(1, 0);

    // Images store minor and patch the other way round when the minor number
    // looks like a patch number.
    const bool swapped = minor > 50;
    return QStringLiteral("%1.%2.%3").arg(major).arg(swapped ? patch : minor).arg(swapped ? minor : patch);
}

QString imageResource(const QString &vidPid)
{
    for (const vorn::ControllerVariant &variant : vorn::kVariants)
    {
        if (vidPid == QLatin1String(variant.vidPid))
        {
            return resourceOf(variant);
        }
    }
    return resourceOf(vorn::kBlackVariant);
}

QByteArray image(const QString &vidPid)
{
    QFile resource(imageResource(vidPid));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

namespace {

//! The version's six bytes to a version; a missing byte counts as 0.
QString versionFromBytes(const QByteArray &bytes)
{
    QStringList fields;
    for (int i = 0; i < kVersionBytes; ++i)
    {
        const auto value = static_cast<unsigned char>(i < bytes.size() ? bytes.at(i) : 0);
        fields << QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
    }
    return versionFromFields(fields.join(QLatin1Char(' ')));
}

} // namespace

QString versionOf(const QByteArray &image)
{
    return versionFromBytes(image.size() > kVersionOffset ? image.mid(static_cast<int>(kVersionOffset), kVersionBytes)
                                                         : QByteArray());
}

CarriedVersion carriedVersion()
{
    CarriedVersion carried;
    QFile file(resourceOf(vorn::kBlackVariant));
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly))
    {
        carried.error = file.errorString();
    }
    else if (file.size() > kVersionOffset && file.seek(kVersionOffset))
    {
        bytes = file.read(kVersionBytes);
    }
    carried.version = versionFromBytes(bytes);
    return carried;
}

} // namespace embeddedfirmware
