#include "window/localization.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

namespace localization {

namespace {

const char kTranslations[] = ":/translations";

bool installFile(QCoreApplication &application, const QString &file, const QString &folder)
{
    auto *translator = new QTranslator(&application);
    // "name_de_AT" falls back to "name_de".
    if (!translator->load(file, folder))
    {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace

void install(QCoreApplication &application, const QLocale &locale)
{
    // The user's languages, most wanted first: the first one we speak wins,
    // and English, the texts as written, ends the search.
    for (const QString &language : locale.uiLanguages())
    {
        const QLocale wanted(language);
        if (wanted.language() == QLocale::English || wanted.language() == QLocale::C)
        {
            return;
        }
        const QString suffix = QLatin1Char('_') + wanted.name();
        if (installFile(application, QStringLiteral("kelvo-updater") + suffix, QLatin1String(kTranslations)))
        {
            installFile(application, QStringLiteral("qtbase") + suffix,
                        QLibraryInfo::location(QLibraryInfo::TranslationsPath));
            return;
        }
    }
}

} // namespace localization
