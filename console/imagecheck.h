#pragma once

#include "product/controller_variants.h"

#include <QByteArray>
#include <QString>

//! Whether a firmware image is made for a controller: its trailer names the
//! vendor and the two product IDs of one colour variant, as the updater's
//! own images do.
namespace imagecheck {

struct Trailer
{
    bool present = false;
    quint16 vendorId = 0;
    quint16 firmwarePid = 0;
    quint16 updatePid = 0;
};

Trailer trailerOf(const QByteArray &image);

//! Empty when @a image fits @a variant, otherwise what does not fit.
QString mismatch(const QByteArray &image, const vorn::ControllerVariant &variant);

} // namespace imagecheck
