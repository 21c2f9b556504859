#pragma once

#include <QString>

//! Whether the user agrees to the erase: always with --yes; otherwise asked
//! on the terminal, and refused at once when there is none to ask on.
bool askConsent(const QString &question, bool yes);
