#pragma once

#include <QLocale>

class QCoreApplication;

//! The program speaks the user's language: its own texts from the
//! translations built into it, and Qt's own (message box buttons, the
//! command-line parser) from the system's Qt translations where they exist.
namespace localization {

//! Installs the translators for @a locale (by default the system's, which
//! follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG) on @a application; they go
//! with it. Call before any text is built. English needs none.
void install(QCoreApplication &application, const QLocale &locale = QLocale::system());

} // namespace localization
