#include "console/consoleoptions.h"

#include "console/consoletexts.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

struct Options
{
    QCommandLineOption cli{ QStringLiteral("cli"), QString() };
    QCommandLineOption list{ QStringLiteral("list"), QLatin1String(consoletexts::kOptionList) };
    QCommandLineOption device{ QStringLiteral("device"), QLatin1String(consoletexts::kOptionDevice),
                               QStringLiteral("PATH") };
    QCommandLineOption all{ QStringLiteral("all"), QLatin1String(consoletexts::kOptionAll) };
    QCommandLineOption yes{ QStringLiteral("yes"), QLatin1String(consoletexts::kOptionYes) };
    QCommandLineOption allowOlder{ QStringLiteral("allow-older"), QLatin1String(consoletexts::kOptionAllowOlder) };
    QCommandLineOption image{ QStringLiteral("image"), QLatin1String(consoletexts::kOptionImage),
                              QStringLiteral("FILE") };
    QCommandLineOption verify{ QStringLiteral("verify"), QLatin1String(consoletexts::kOptionVerify) };
    QCommandLineOption json{ QStringLiteral("json"), QLatin1String(consoletexts::kOptionJson) };
};

QString usage(const QString &problem)
{
    return problem + QLatin1Char('\n') + QLatin1String(consoletexts::kUsageHint) + QLatin1Char('\n');
}

} // namespace

ParsedOptions parseConsoleOptions(const QStringList &arguments)
{
    Options o;
    o.cli.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(consoletexts::kDescription));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({ o.cli, o.list, o.device, o.all, o.yes, o.allowOlder, o.image, o.verify, o.json });

    ParsedOptions parsed;
    if (!parser.parse(arguments))
    {
        parsed.next = ParsedOptions::Next::Usage;
        parsed.text = usage(parser.errorText());
        return parsed;
    }
    if (parser.isSet(help))
    {
        parsed.next = ParsedOptions::Next::Help;
        parsed.text = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version))
    {
        parsed.next = ParsedOptions::Next::Version;
        parsed.text = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                     QCoreApplication::applicationVersion());
        return parsed;
    }

    ConsoleOptions &options = parsed.options;
    options.list = parser.isSet(o.list);
    options.all = parser.isSet(o.all);
    options.device = parser.value(o.device);
    options.yes = parser.isSet(o.yes);
    options.allowOlder = parser.isSet(o.allowOlder);
    options.image = parser.value(o.image);
    options.verify = parser.isSet(o.verify);
    options.json = parser.isSet(o.json);

    QString problem;
    if (!parser.positionalArguments().isEmpty())
    {
        problem = QLatin1String(consoletexts::kUnexpectedArgument).arg(parser.positionalArguments().first());
    }
    else if (options.all && !options.device.isEmpty())
    {
        problem = QLatin1String(consoletexts::kDeviceAndAll);
    }
    else if (options.list && (options.all || !options.device.isEmpty() || options.yes || options.allowOlder ||
                              options.verify))
    {
        problem = QLatin1String(consoletexts::kListAndUpdate);
    }
    if (!problem.isEmpty())
    {
        parsed.next = ParsedOptions::Next::Usage;
        parsed.text = usage(problem);
    }
    return parsed;
}

QStringList forwardedArguments(const ConsoleOptions &options, const QString &device)
{
    QStringList arguments{ QStringLiteral("--cli"), QStringLiteral("--device"), device, QStringLiteral("--yes"),
                           QStringLiteral("--json") };
    if (options.allowOlder)
    {
        arguments << QStringLiteral("--allow-older");
    }
    if (options.verify)
    {
        arguments << QStringLiteral("--verify");
    }
    if (!options.image.isEmpty())
    {
        arguments << QStringLiteral("--image") << options.image;
    }
    return arguments;
}
