#include "window/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace commandline {

namespace {

const char kContext[] = "CommandLine";

QString text(const char *english)
{
    return QCoreApplication::translate(kContext, english);
}

//! Qt's own options, which the application object takes out later.
void acceptToolkitOptions(QCommandLineParser &parser)
{
    for (const char *name : { "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                              "qwindowicon", "qwindowtitle", "style", "stylesheet", "display", "geometry", "title",
                              "session", "qmljsdebugger" })
    {
        QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : { "reverse", "widgetcount", "nograb", "dograb", "sync" })
    {
        QCommandLineOption option{ QLatin1String(name) };
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

Decision read(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    // Qt's options come with one dash ("-platform offscreen").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        text(QT_TRANSLATE_NOOP("CommandLine", "Updates the firmware of a VORN Kelvo Pro Wired controller.")));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        { QStringLiteral("walkthrough"),
          text(QT_TRANSLATE_NOOP("CommandLine",
                                 "Runs one update without a user and saves a picture of every page into <dir>.")),
          QStringLiteral("dir") },
        { QStringLiteral("walkthrough-limit"),
          text(QT_TRANSLATE_NOOP("CommandLine",
                                 "Seconds the walkthrough may take to reach the finished page (default 180).")),
          QStringLiteral("seconds") },
        { QStringLiteral("walkthrough-hold"),
          text(QT_TRANSLATE_NOOP("CommandLine", "Seconds the finished page stays before the walkthrough ends.")),
          QStringLiteral("seconds") },
        { QStringLiteral("new-instance"),
          text(QT_TRANSLATE_NOOP("CommandLine",
                                 "Opens a window of its own even when one is already open in this session.")) },
        { QStringLiteral("cli"),
          text(QT_TRANSLATE_NOOP("CommandLine", "Updates from a terminal; see kelvo-updater --cli --help.")) },
    });
    acceptToolkitOptions(parser);

    Decision decision;
    if (!parser.parse(arguments))
    {
        err << parser.errorText() << "\n\n" << parser.helpText();
        err.flush();
        decision.exitCode = 2;
        return decision;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
    {
        out << parser.helpText();
        out.flush();
        return decision;
    }
    if (parser.isSet(version))
    {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
        out.flush();
        return decision;
    }
    if (!parser.positionalArguments().isEmpty())
    {
        err << text(QT_TRANSLATE_NOOP("CommandLine", "Unexpected argument: %1"))
                   .arg(parser.positionalArguments().constFirst())
            << "\n\n"
            << parser.helpText();
        err.flush();
        decision.exitCode = 2;
        return decision;
    }
    decision.openWindow = true;
    decision.walkthroughDir = parser.value(QStringLiteral("walkthrough"));
    decision.walkthroughLimit = parser.value(QStringLiteral("walkthrough-limit"));
    decision.walkthroughHold = parser.value(QStringLiteral("walkthrough-hold"));
    decision.newInstance = parser.isSet(QStringLiteral("new-instance"));
    return decision;
}

} // namespace commandline
