#include "console/summary.h"

#include "console/consoletexts.h"
#include "console/exitcodes.h"

void Summary::take(const UpdateEvent &event)
{
    if (event.kind == UpdateEvent::Kind::Result)
    {
        m_results.push_back(event);
    }
}

int Summary::exitStatus() const
{
    bool refused = false;
    for (const UpdateEvent &result : m_results)
    {
        if (result.outcome == UpdateEvent::Outcome::Failed || result.outcome == UpdateEvent::Outcome::Stopped)
        {
            return exitcodes::kFailure;
        }
        refused = refused || result.outcome == UpdateEvent::Outcome::Refused;
    }
    return refused ? exitcodes::kRefused : exitcodes::kDone;
}

QStringList Summary::lines() const
{
    QStringList lines{ QLatin1String(consoletexts::kSummaryTitle) };
    for (const UpdateEvent &result : m_results)
    {
        lines << QLatin1String(consoletexts::kSummaryLine).arg(result.device, result.serial, result.message);
        const bool failed =
            result.outcome == UpdateEvent::Outcome::Failed || result.outcome == UpdateEvent::Outcome::Stopped;
        if (failed && !result.log.isEmpty())
        {
            lines << QLatin1String(consoletexts::kLogKept).arg(result.log);
        }
    }
    return lines;
}

EventFanOut::EventFanOut(std::vector<UpdateEventSink *> sinks)
    : m_sinks(std::move(sinks))
{
}

void EventFanOut::take(const UpdateEvent &event)
{
    for (UpdateEventSink *sink : m_sinks)
    {
        sink->take(event);
    }
}
