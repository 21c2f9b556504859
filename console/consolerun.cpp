#include "console/consolerun.h"

#include "console/consent.h"
#include "console/consoletexts.h"
#include "console/controllerupdate.h"
#include "console/discovery.h"
#include "console/exitcodes.h"
#include "console/interruption.h"
#include "console/jsonevents.h"
#include "console/parallelupdate.h"
#include "console/progressoutput.h"
#include "console/summary.h"
#include "driver/devicelock.h"
#include "window/embeddedfirmware.h"
#include "window/firmwareversion.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

void printLine(std::FILE *stream, const QString &text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

//! The image for @a controller: the given file, or the updater's own one.
struct ImageChoice
{
    bool given = false;
    QByteArray bytes; //!< the given file's contents
    QString error;
};

ImageChoice readGivenImage(const QString &path)
{
    ImageChoice choice;
    if (path.isEmpty())
    {
        return choice;
    }
    choice.given = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
    {
        choice.error = QLatin1String(consoletexts::kImageUnreadable).arg(path, file.errorString());
        return choice;
    }
    choice.bytes = file.readAll();
    return choice;
}

QByteArray imageFor(const ImageChoice &choice, const FoundController &controller)
{
    return choice.given ? choice.bytes : embeddedfirmware::image(QLatin1String(controller.variant->vidPid));
}

//! The sink that shows a person what happens, and the summary's lines after.
std::unique_ptr<UpdateEventSink> progressSink(bool json)
{
    if (json)
    {
        return std::make_unique<JsonEventWriter>(stdout);
    }
    if (::isatty(STDOUT_FILENO))
    {
        return std::make_unique<LiveProgress>(stdout);
    }
    return std::make_unique<PlainProgress>(stdout);
}

int list(const std::vector<FoundController> &found, const ImageChoice &choice, bool json)
{
    using namespace consoletexts;
    JsonEventWriter writer(stdout);
    for (const FoundController &controller : found)
    {
        QString version;
        QString action;
        const QString offered = embeddedfirmware::versionOf(imageFor(choice, controller));
        std::string busy;
        if (auto lock = vorn::DeviceLock::tryLock(QFile::encodeName(controller.path).toStdString(), &busy))
        {
            const ControllerSteps::VersionRead read = ControllerSteps(controller.path).readVersion();
            version = read.version;
            const int comparison = firmwareversion::compare(offered, version);
            action = QLatin1String(!read.ok            ? kActionUnreadable
                                   : comparison > 0    ? kActionUpdate
                                   : comparison == 0   ? kActionUpToDate
                                                       : kActionNewer);
        }
        else
        {
            action = QLatin1String(kActionInUse);
        }
        UpdateEvent event = eventAbout(controller, UpdateEvent::Kind::Found);
        if (json)
        {
            writer.take(event);
            event.kind = UpdateEvent::Kind::Version;
            event.version = version;
            event.offered = offered;
            event.action = action;
            writer.take(event);
            continue;
        }
        printLine(stdout, QStringLiteral("%1\t%2\t%3\t%4\t%5")
                              .arg(controller.path, event.variant, controller.serial,
                                   version.isEmpty() ? QStringLiteral("-") : version, action));
    }
    return exitcodes::kDone;
}

//! The controllers the options ask for; empty with @a status set when none.
std::vector<FoundController> chosen(const ConsoleOptions &options, const std::vector<FoundController> &found,
                                    int &status)
{
    using namespace consoletexts;
    status = exitcodes::kDone;
    if (options.all)
    {
        return found;
    }
    if (!options.device.isEmpty())
    {
        for (const FoundController &controller : found)
        {
            if (controller.path == options.device)
            {
                return { controller };
            }
        }
        printLine(stderr, QLatin1String(kNotFoundAt).arg(options.device));
        status = exitcodes::kNoController;
        return {};
    }
    if (found.size() > 1)
    {
        printLine(stderr, QString::fromLatin1(kSeveralFound).arg(found.size()));
        status = exitcodes::kUsage;
        return {};
    }
    return found;
}

} // namespace

int runConsoleOptions(const ConsoleOptions &options)
{
    using namespace consoletexts;
    interruption::install(!options.json);
    interruption::setStopText(QByteArray(kResultStoppedBefore) + '\n', exitcodes::kFailure);

    const ImageChoice choice = readGivenImage(options.image);
    if (!choice.error.isEmpty())
    {
        printLine(stderr, choice.error);
        return exitcodes::kUsage;
    }

    const std::vector<FoundController> found = findControllers();
    if (found.empty())
    {
        printLine(stderr, QLatin1String(kNoneFound));
        return exitcodes::kNoController;
    }
    if (options.list)
    {
        return list(found, choice, options.json);
    }
    int status = exitcodes::kDone;
    const std::vector<FoundController> controllers = chosen(options, found, status);
    if (controllers.empty())
    {
        return status;
    }

    Summary summary;
    const std::unique_ptr<UpdateEventSink> shown = progressSink(options.json);
    EventFanOut events({ shown.get(), &summary });
    if (options.all)
    {
        const QString offered = embeddedfirmware::versionOf(imageFor(choice, controllers.front()));
        if (!askConsent(QString::fromLatin1(kAskAll).arg(controllers.size()).arg(offered), options.yes))
        {
            printLine(stderr, QLatin1String(kDeclined));
            return exitcodes::kRefused;
        }
        ParallelUpdate(controllers, events).run([&options](const QString &device) {
            return forwardedArguments(options, device);
        });
    }
    else
    {
        UpdatePlan plan;
        plan.controller = controllers.front();
        plan.image = imageFor(choice, plan.controller);
        plan.imageGiven = choice.given;
        plan.allowOlder = options.allowOlder;
        plan.verify = options.verify;
        const UpdateEvent stopped =
            resultAbout(plan.controller, UpdateEvent::Outcome::Stopped, QLatin1String(kResultStoppedBefore));
        interruption::setStopText(options.json ? jsonevents::toLine(stopped)
                                               : QByteArray(kResultStoppedBefore) + '\n',
                                  exitcodes::kFailure);
        ControllerUpdate update(plan, events, [&options](const QString &question) {
            return askConsent(question, options.yes);
        });
        update.run();
    }
    if (!options.json)
    {
        for (const QString &line : summary.lines())
        {
            printLine(stdout, line);
        }
    }
    return summary.exitStatus();
}

int runConsole(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvo-updater"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORN_VERSION));
    const ParsedOptions parsed = parseConsoleOptions(QCoreApplication::arguments());
    switch (parsed.next)
    {
    case ParsedOptions::Next::Help:
    case ParsedOptions::Next::Version:
        std::fputs(parsed.text.toLocal8Bit().constData(), stdout);
        return exitcodes::kDone;
    case ParsedOptions::Next::Usage:
        std::fputs(parsed.text.toLocal8Bit().constData(), stderr);
        return exitcodes::kUsage;
    case ParsedOptions::Next::Run:
        break;
    }
    return runConsoleOptions(parsed.options);
}
