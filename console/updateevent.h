#pragma once

#include <QString>

//! One thing that happened to one controller during a console run: what the
//! output, the JSON stream and the summary are made from.
struct UpdateEvent
{
    enum class Kind
    {
        Found,       //!< a controller in update mode: path, variant, serial
        Version,     //!< its version was read: version, offered, action
        StepStarted, //!< step
        Progress,    //!< step, percent
        StepEnded,   //!< step, ok
        Result,      //!< outcome, message, log
    };

    enum class Outcome
    {
        None,
        Updated,
        UpToDate,
        Refused, //!< newer firmware, wrong image, in use, no consent
        Failed,
        Stopped,
    };

    Kind kind = Kind::Found;
    QString device;  //!< device path: names the controller in every event
    QString variant;
    QString serial;
    QString version; //!< the controller's
    QString offered; //!< the image's
    QString action;
    QString step;
    int percent = -1;
    bool ok = false;
    Outcome outcome = Outcome::None;
    QString message;
    QString log; //!< with the result: the file of this update's log, if one was made
};

//! Receives the events of a run as they happen.
class UpdateEventSink
{
public:
    virtual ~UpdateEventSink() = default;
    virtual void take(const UpdateEvent &event) = 0;
};
