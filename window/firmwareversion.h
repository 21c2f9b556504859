#pragma once

#include <QString>

//! Versions as the window reads them ("0.5.20"): which ones are firmware at
//! all, which is newer, and how one is shown.
namespace firmwareversion {

//! False for a text that is not three numbers, and for one read from erased
//! flash: an erased version field reads 0xFFFF, which no firmware carries.
bool readable(const QString &version);

//! How @a offered stands to @a current: positive when it is newer or
//! @a current is no firmware (erased flash needs some), 0 when equal, negative
//! when it is older or is itself no readable version.
int compare(const QString &offered, const QString &current);

//! Whether @a controller should be offered @a carried: only when it is older,
//! or carries no readable version. An equal or newer one is up to date and is
//! never erased.
bool offerUpdate(const QString &controller, const QString &carried);

//! The version as the user reads it: the text itself, or the word for no
//! firmware when it cannot be read.
QString shown(const QString &version);

} // namespace firmwareversion
