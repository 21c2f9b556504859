#pragma once

#include "console/controllerlog.h"
#include "console/controllersteps.h"
#include "console/discovery.h"
#include "console/updateevent.h"

#include <QByteArray>
#include <QString>

#include <functional>

//! What to do with one controller.
struct UpdatePlan
{
    FoundController controller;
    QByteArray image; //!< what is written
    bool imageGiven = false; //!< --image: its trailer must name the controller's variant
    bool allowOlder = false;
    bool verify = false;
};

//! The update of one controller, with the window's safety: the device lock
//! held throughout, the version read first, the private image copy made and
//! checked before the erase and again before the write, then erase, write,
//! an optional read-back, reset. Every step is told to @a events, and from
//! the version read that led to an update on, kept in its log.
class ControllerUpdate
{
public:
    //! Asked before the erase with the question; true to go on.
    using Consent = std::function<bool(const QString &question)>;

    ControllerUpdate(const UpdatePlan &plan, UpdateEventSink &events, Consent consent);
    ControllerUpdate(const ControllerUpdate &) = delete;
    ControllerUpdate &operator=(const ControllerUpdate &) = delete;

    //! Runs the whole update; the result event has been sent when it returns.
    UpdateEvent::Outcome run();

private:
    UpdateEvent::Outcome finish(UpdateEvent::Outcome outcome, const QString &message);
    UpdateEvent event(UpdateEvent::Kind kind) const;
    void tell(const UpdateEvent &event);
    void startLog(const QString &controllerVersion);
    void stepStarted(const char *step);
    bool stepEnded(const char *step, bool ok);
    bool stopAsked(const char *afterStep, UpdateEvent::Outcome &outcome);

    UpdatePlan m_plan;
    UpdateEventSink &m_events;
    Consent m_consent;
    ControllerSteps m_steps;
    ControllerLog m_log;
    QString m_version;
    QString m_offered;
};
