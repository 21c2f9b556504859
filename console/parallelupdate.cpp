#include "console/parallelupdate.h"

#include "console/consoletexts.h"
#include "console/interruption.h"
#include "console/jsonevents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>

#include <unistd.h>

#include <memory>

namespace {

//! A run in a process group of its own: a Ctrl-C on the terminal reaches
//! it only through this process, which decides what it means.
class ControllerProcess : public QProcess
{
protected:
    void setupChildProcess() override { ::setpgid(0, 0); }
};

} // namespace

ParallelUpdate::ParallelUpdate(std::vector<FoundController> controllers, UpdateEventSink &events)
    : m_controllers(std::move(controllers))
    , m_events(events)
{
}

void ParallelUpdate::run(const std::function<QStringList(const QString &device)> &arguments)
{
    QEventLoop loop;
    int running = 0;
    std::vector<std::unique_ptr<ControllerProcess>> processes;
    std::vector<pid_t> pids;
    for (const FoundController &controller : m_controllers)
    {
        auto process = std::make_unique<ControllerProcess>();
        ControllerProcess *raw = process.get();
        auto reported = std::make_shared<bool>(false);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        auto drain = [this, raw, reported] {
            while (raw->canReadLine())
            {
                UpdateEvent event;
                if (jsonevents::fromLine(raw->readLine(), event))
                {
                    *reported = *reported || event.kind == UpdateEvent::Kind::Result;
                    if (event.kind == UpdateEvent::Kind::StepStarted &&
                        event.step == QLatin1String(consoletexts::kStepErase))
                    {
                        interruption::setPhase(interruption::Phase::Critical);
                    }
                    m_events.take(event);
                }
            }
        };
        QObject::connect(raw, &QProcess::readyReadStandardOutput, raw, drain);
        QObject::connect(raw, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                         [this, drain, reported, controller, &running, &loop] {
                             drain();
                             if (!*reported)
                             {
                                 const bool stopped = interruption::count() > 0;
                                 m_events.take(resultAbout(
                                     controller,
                                     stopped ? UpdateEvent::Outcome::Stopped : UpdateEvent::Outcome::Failed,
                                     QLatin1String(stopped ? consoletexts::kResultStoppedBefore
                                                           : consoletexts::kResultLost)));
                             }
                             if (--running == 0)
                             {
                                 loop.quit();
                             }
                         });
        process->start(QCoreApplication::applicationFilePath(), arguments(controller.path));
        if (process->waitForStarted())
        {
            ++running;
            pids.push_back(static_cast<pid_t>(process->processId()));
        }
        else
        {
            m_events.take(resultAbout(controller, UpdateEvent::Outcome::Failed, process->errorString()));
        }
        processes.push_back(std::move(process));
    }
    interruption::setForwardTargets(pids.data(), static_cast<int>(pids.size()));
    if (running > 0)
    {
        loop.exec();
    }
    interruption::setForwardTargets(nullptr, 0);
}
