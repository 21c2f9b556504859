#pragma once

#include "console/discovery.h"
#include "support/updatelog.h"

#include <QDateTime>
#include <QString>

#include <utility>
#include <vector>

//! The log of one controller's console update. The version read comes
//! before it is known whether there is an update at all: its texts and the
//! console's lines are kept with their times, and reach a file only when the
//! update goes ahead or the read itself fails. A controller found up to date
//! or newer leaves none.
class ControllerLog
{
public:
    //! A text of the engine: kept until start(), then written.
    void record(const QString &engineText);
    //! Starts the file for @a controller, the kept texts first. A log that
    //! cannot be made is said on standard error; the update goes on.
    void start(const FoundController &controller, const UpdateLog::Versions &versions);
    //! A line of the console's own: kept until start(), then written.
    void note(const QString &line);
    //! Ends the file and returns its path; empty when none was started.
    QString finish();

private:
    UpdateLog m_log;
    bool m_started = false;
    std::vector<std::pair<QDateTime, QString>> m_early;
};
