#include "console/controllerupdate.h"

#include "console/consoletexts.h"
#include "console/imagecheck.h"
#include "console/interruption.h"
#include "console/progressoutput.h"
#include "driver/devicelock.h"
#include "window/embeddedfirmware.h"
#include "window/firmwareversion.h"
#include "window/privateimage.h"
#include "window/updatetexts.h"

#include <QFile>

using Outcome = UpdateEvent::Outcome;

ControllerUpdate::ControllerUpdate(const UpdatePlan &plan, UpdateEventSink &events, Consent consent)
    : m_plan(plan)
    , m_events(events)
    , m_consent(std::move(consent))
    , m_steps(plan.controller.path)
    , m_offered(embeddedfirmware::versionOf(plan.image))
{
    m_steps.setTextHook([this](const QString &text) { m_log.record(text); });
}

void ControllerUpdate::tell(const UpdateEvent &event)
{
    // The engine's own texts already give each percentage a line.
    if (event.kind != UpdateEvent::Kind::Progress)
    {
        m_log.note(progresstext::stateOf(event));
    }
    m_events.take(event);
}

void ControllerUpdate::startLog(const QString &controllerVersion)
{
    m_log.start(m_plan.controller,
                { QStringLiteral("kelvo-updater " VORN_VERSION), controllerVersion, m_offered });
}

UpdateEvent ControllerUpdate::event(UpdateEvent::Kind kind) const
{
    return eventAbout(m_plan.controller, kind);
}

UpdateEvent::Outcome ControllerUpdate::finish(Outcome outcome, const QString &message)
{
    interruption::setPhase(interruption::Phase::Safe);
    UpdateEvent result = resultAbout(m_plan.controller, outcome, message);
    result.version = m_version;
    result.offered = m_offered;
    m_log.note(message);
    result.log = m_log.finish();
    m_events.take(result);
    return outcome;
}

void ControllerUpdate::stepStarted(const char *step)
{
    UpdateEvent started = event(UpdateEvent::Kind::StepStarted);
    started.step = QLatin1String(step);
    tell(started);
}

bool ControllerUpdate::stepEnded(const char *step, bool ok)
{
    UpdateEvent ended = event(UpdateEvent::Kind::StepEnded);
    ended.step = QLatin1String(step);
    ended.ok = ok;
    tell(ended);
    return ok;
}

bool ControllerUpdate::stopAsked(const char *afterStep, Outcome &outcome)
{
    // The first signal only lets the step finish; a second one stops here.
    if (interruption::count() < 2)
    {
        return false;
    }
    outcome = finish(Outcome::Stopped, QLatin1String(consoletexts::kResultStoppedAfter).arg(QLatin1String(afterStep)));
    return true;
}

UpdateEvent::Outcome ControllerUpdate::run()
{
    using namespace consoletexts;
    tell(event(UpdateEvent::Kind::Found));

    // An image for another controller is refused before anything is sent.
    if (m_plan.imageGiven)
    {
        const QString why = imagecheck::mismatch(m_plan.image, *m_plan.controller.variant);
        if (!why.isEmpty())
        {
            return finish(Outcome::Refused, QLatin1String(kResultWrongImage).arg(why));
        }
    }

    std::string busy;
    const std::unique_ptr<vorn::DeviceLock> lock =
        vorn::DeviceLock::tryLock(QFile::encodeName(m_plan.controller.path).toStdString(), &busy);
    if (!lock)
    {
        return finish(Outcome::Refused, QLatin1String(kResultBusy).arg(QString::fromStdString(busy)));
    }

    stepStarted(kStepVersion);
    const ControllerSteps::VersionRead read = m_steps.readVersion();
    // A read that fails is a failed update: support needs its texts.
    if (!read.ok)
    {
        startLog(QLatin1String(kActionUnreadable));
    }
    if (!stepEnded(kStepVersion, read.ok))
    {
        return finish(Outcome::Failed, QLatin1String(kResultVersionUnread));
    }
    m_version = read.version;
    const int comparison = firmwareversion::compare(m_offered, m_version);
    UpdateEvent version = event(UpdateEvent::Kind::Version);
    version.version = m_version;
    version.offered = m_offered;
    const bool goesAhead = comparison > 0 || (comparison < 0 && m_plan.allowOlder);
    version.action = QLatin1String(goesAhead ? kActionUpdate : comparison == 0 ? kActionUpToDate : kActionNewer);
    tell(version);
    if (comparison == 0)
    {
        return finish(Outcome::UpToDate, QLatin1String(kResultUpToDate).arg(m_version));
    }
    if (comparison < 0 && !m_plan.allowOlder)
    {
        return finish(Outcome::Refused, QLatin1String(kResultNewer).arg(m_version, m_offered));
    }

    const QString name = m_plan.controller.serial.isEmpty() ? m_plan.controller.path : m_plan.controller.serial;
    if (!m_consent(QLatin1String(kAskOne).arg(name, m_version, m_offered)))
    {
        return finish(Outcome::Refused, QLatin1String(kDeclined));
    }
    startLog(m_version);

    // From here on a signal lets the step finish: nothing may be left half done.
    interruption::setPhase(interruption::Phase::Critical);
    if (interruption::count() > 0)
    {
        return finish(Outcome::Stopped, QLatin1String(kResultStoppedBefore));
    }
    PrivateImage copy;
    if (!copy.prepare(m_plan.image))
    {
        return finish(Outcome::Failed, QLatin1String(kResultImageNotReady));
    }

    Outcome outcome = Outcome::None;
    stepStarted(kStepErase);
    if (!stepEnded(kStepErase, m_steps.erase()))
    {
        return finish(Outcome::Failed, QStringLiteral("%1 %2").arg(QLatin1String(updatetexts::kEraseFailed),
                                                                    QLatin1String(kTryAgain)));
    }
    if (stopAsked(kStepErase, outcome))
    {
        return outcome;
    }
    // Only the image checked before the erase is ever sent.
    if (!copy.holds(m_plan.image))
    {
        return finish(Outcome::Failed, QStringLiteral("%1 %2").arg(QLatin1String(updatetexts::kImageChanged),
                                                                    QLatin1String(kTryAgain)));
    }

    stepStarted(kStepWrite);
    const bool written = m_steps.write(copy.enginePath(), [this](int percent) {
        UpdateEvent progress = event(UpdateEvent::Kind::Progress);
        progress.step = QLatin1String(kStepWrite);
        progress.percent = percent;
        tell(progress);
    });
    copy.remove();
    if (!stepEnded(kStepWrite, written))
    {
        return finish(Outcome::Failed, QStringLiteral("%1 %2").arg(QLatin1String(updatetexts::kWriteFailed),
                                                                    QLatin1String(kTryAgain)));
    }
    if (stopAsked(kStepWrite, outcome))
    {
        return outcome;
    }

    if (m_plan.verify)
    {
        stepStarted(kStepVerify);
        const QString readBack = copy.enginePathOf(QStringLiteral("readback.bin"));
        bool same = m_steps.readBack(readBack, m_plan.image.size());
        QFile file(readBack);
        same = same && file.open(QIODevice::ReadOnly) && file.readAll() == m_plan.image;
        file.remove();
        if (!stepEnded(kStepVerify, same))
        {
            return finish(Outcome::Failed, QStringLiteral("%1 %2").arg(QLatin1String(kResultVerifyFailed),
                                                                        QLatin1String(kTryAgain)));
        }
    }

    // The write was confirmed, so the firmware is in place even when the
    // controller restarts before its answer to the reset leaves it.
    stepStarted(kStepReset);
    stepEnded(kStepReset, m_steps.reset());
    return finish(Outcome::Updated, QLatin1String(kResultUpdated).arg(m_offered));
}
