#include "console/controllersteps.h"

#include "console/enginerun.h"
#include "window/logreading.h"
#include "blfwk/log_texts.h"

#include <QFile>

#include <vector>

using logreading::Outcome;

ControllerSteps::ControllerSteps(const QString &devicePath)
    : m_path(devicePath)
{
}

void ControllerSteps::setTextHook(TextHook hook)
{
    m_hook = std::move(hook);
}

int ControllerSteps::run(std::initializer_list<QString> command, const std::function<void(const QString &)> &read)
{
    std::vector<std::string> arguments = { "-u", QFile::encodeName(m_path).toStdString(), "--" };
    for (const QString &word : command)
    {
        arguments.push_back(QFile::encodeName(word).toStdString());
    }
    return runEngine(arguments, [this, &read](const QString &text) {
        if (m_hook)
        {
            m_hook(text);
        }
        read(text);
    });
}

ControllerSteps::VersionRead ControllerSteps::readVersion()
{
    VersionRead result;
    bool failed = false;
    // Into no file: the texts carry the bytes, and standard output stays the console's.
    run({ QStringLiteral("read-memory"), QStringLiteral("0x70006"), QStringLiteral("6"), QStringLiteral("/dev/null") },
        [&result, &failed](const QString &text) {
            const logreading::Reading reading = logreading::readVersionText(text);
            if (reading.outcome == Outcome::Version || reading.outcome == Outcome::ReadAborted)
            {
                result.version = reading.version;
            }
            failed = failed || reading.outcome == Outcome::OpenFailed || reading.outcome == Outcome::Failed;
        });
    result.ok = !failed && !result.version.isEmpty();
    return result;
}

bool ControllerSteps::erase()
{
    // The last text of the step decides, as in the window.
    bool confirmed = false;
    const int result =
        run({ QStringLiteral("flash-erase-region"), QStringLiteral("0x00"), QStringLiteral("0x71000") },
            [&confirmed](const QString &text) {
                confirmed = logreading::readEraseText(text).outcome == Outcome::Confirmed;
            });
    return result == 0 && confirmed;
}

bool ControllerSteps::write(const QString &imagePath, const std::function<void(int)> &onPercent)
{
    int last = -1;
    bool refused = false;
    const int result = run({ QStringLiteral("write-memory"), QStringLiteral("0x0"), imagePath },
                           [&](const QString &text) {
                               const logreading::Reading reading = logreading::readWriteText(text);
                               refused = refused || reading.outcome == Outcome::Refused;
                               if (reading.outcome == Outcome::Progress && reading.percent != last)
                               {
                                   last = reading.percent;
                                   onPercent(last);
                               }
                           });
    // 100 % only says that the host sent everything; the target's final
    // answer must not be a failure.
    return result == 0 && last == 100 && !refused;
}

bool ControllerSteps::readBack(const QString &filePath, int byteCount)
{
    bool failed = false;
    const int result = run({ QStringLiteral("read-memory"), QStringLiteral("0x0"), QString::number(byteCount),
                             filePath },
                           [&failed](const QString &text) {
                               const Outcome outcome = logreading::readVersionText(text).outcome;
                               failed = failed || outcome == Outcome::Failed || outcome == Outcome::OpenFailed ||
                                        outcome == Outcome::ReadAborted ||
                                        blfwk::isFailedStatus(text.toStdString());
                           });
    return result == 0 && !failed;
}

bool ControllerSteps::reset()
{
    bool confirmed = false;
    run({ QStringLiteral("reset") }, [&confirmed](const QString &text) {
        confirmed = confirmed || logreading::readResetText(text).outcome == Outcome::Confirmed;
    });
    return confirmed;
}
