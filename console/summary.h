#pragma once

#include "console/updateevent.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <vector>

//! Collects each controller's result and makes the run's exit status and
//! the closing lines from them.
class Summary : public UpdateEventSink
{
public:
    void take(const UpdateEvent &event) override;

    //! 0 when every controller was updated or already up to date, 1 when one
    //! failed or was stopped, else 4 when one was refused.
    int exitStatus() const;
    //! The title and one line per controller, in the order they ended; a
    //! failed or stopped one's is followed by the line naming its log.
    QStringList lines() const;

private:
    std::vector<UpdateEvent> m_results;
};

//! Passes every event to several sinks in turn.
class EventFanOut : public UpdateEventSink
{
public:
    explicit EventFanOut(std::vector<UpdateEventSink *> sinks);
    void take(const UpdateEvent &event) override;

private:
    std::vector<UpdateEventSink *> m_sinks;
};
