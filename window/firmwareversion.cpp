#include "window/firmwareversion.h"

#include "window/updatetexts.h"

#include <QStringList>
#include <QVector>

#include <algorithm>

namespace firmwareversion {

namespace {

const int kParts = 3;
const uint kErasedField = 0xFFFF;

//! The three numbers, or none when the text is not a firmware version.
QVector<uint> numbers(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() != kParts)
    {
        return {};
    }
    QVector<uint> values;
    for (const QString &part : parts)
    {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || value >= kErasedField)
        {
            return {};
        }
        values.append(value);
    }
    return values;
}

} // namespace

bool readable(const QString &version)
{
    return !numbers(version).isEmpty();
}

int compare(const QString &offered, const QString &current)
{
    const QVector<uint> have = numbers(current);
    const QVector<uint> offer = numbers(offered);
    if (have.isEmpty())
    {
        return 1;
    }
    if (offer.isEmpty())
    {
        return -1;
    }
    // Lexicographic over major, minor, patch.
    if (offer == have)
    {
        return 0;
    }
    return std::lexicographical_compare(have.begin(), have.end(), offer.begin(), offer.end()) ? 1 : -1;
}

bool offerUpdate(const QString &controller, const QString &carried)
{
    return compare(carried, controller) > 0;
}

QString shown(const QString &version)
{
    return readable(version) ? version : updatetexts::text(updatetexts::kNoFirmware);
}

} // namespace firmwareversion
