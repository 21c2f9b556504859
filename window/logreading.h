#pragma once

#include <QString>

//! How the window reads one log text of the step it started: plain functions
//! of the text, one per step, that say what the text tells the sequence.
namespace logreading {

enum class Outcome
{
    Nothing,     //!< nothing for this step
    Version,     //!< version read: the controller's version is in Reading::version
    ReadAborted, //!< version read: the controller ended the read; counts as version "0.0.0"
    OpenFailed,  //!< version read: no controller of the variant tried could be opened
    Failed,      //!< version read: any other error
    Confirmed,   //!< erase or reset: the target reported success
    Unconfirmed, //!< erase: any other text; the last text of the step decides
    Progress,    //!< write: a percentage from 0 to 100 is in Reading::percent
    Refused,     //!< write: the target answered with a status other than success
};

struct Reading
{
    Outcome outcome = Outcome::Nothing;
    QString version;
    int percent = -1;
};

Reading readVersionText(const QString &text);
Reading readEraseText(const QString &text);
Reading readWriteText(const QString &text);
Reading readResetText(const QString &text);

} // namespace logreading
