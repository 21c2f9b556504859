#pragma once

#include "console/discovery.h"
#include "console/updateevent.h"

#include <QStringList>

#include <functional>

#include <vector>

//! Updates several controllers at once, each in a process of its own: this
//! program again, for that controller's device path alone, telling its
//! events as JSON lines. The engine keeps one logger per process, so the
//! controllers' runs never share one; each has its own private image copy
//! and device lock, and one failing leaves the others running.
class ParallelUpdate
{
public:
    //! Every event of every run goes to @a events, as it comes.
    ParallelUpdate(std::vector<FoundController> controllers, UpdateEventSink &events);

    //! Starts every run, each with the command line that @a arguments makes
    //! for its device path, and returns once all have ended.
    void run(const std::function<QStringList(const QString &device)> &arguments);

private:
    std::vector<FoundController> m_controllers;
    UpdateEventSink &m_events;
};
