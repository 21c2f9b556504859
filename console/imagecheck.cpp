#include "console/imagecheck.h"

namespace imagecheck {

namespace {

//! The identity words of the trailer, 16-bit little-endian each.
const int kTrailerOffset = 0x70000;
const int kIdentityBytes = 6;

quint16 word(const QByteArray &image, int at)
{
    return static_cast<quint16>(static_cast<unsigned char>(image.at(at)) |
                                static_cast<unsigned char>(image.at(at + 1)) << 8);
}

QString hex(quint16 value)
{
    return QStringLiteral("0x%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

Trailer trailerOf(const QByteArray &image)
{
    Trailer trailer;
    if (image.size() >= kTrailerOffset + kIdentityBytes)
    {
        trailer.present = true;
        trailer.vendorId = word(image, kTrailerOffset);
        trailer.firmwarePid = word(image, kTrailerOffset + 2);
        trailer.updatePid = word(image, kTrailerOffset + 4);
    }
    return trailer;
}

QString mismatch(const QByteArray &image, const vorn::ControllerVariant &variant)
{
    const Trailer trailer = trailerOf(image);
    if (!trailer.present)
    {
        return QStringLiteral("no identity at 0x70000");
    }
    if (trailer.vendorId != vorn::kVendorId || trailer.firmwarePid != variant.firmwarePid ||
        trailer.updatePid != variant.updatePid)
    {
        return QStringLiteral("image for %1:%2/%3, controller %4:%5/%6")
            .arg(hex(trailer.vendorId), hex(trailer.firmwarePid), hex(trailer.updatePid), hex(vorn::kVendorId),
                 hex(variant.firmwarePid), hex(variant.updatePid));
    }
    return QString();
}

} // namespace imagecheck
