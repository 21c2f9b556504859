#pragma once

#include <QByteArray>

#include <sys/types.h>

//! Ctrl-C (SIGINT) and SIGTERM during a console run. Before the erase a run
//! stops at once; once the controller is being erased or written the first
//! signal only says that the step is being finished, a second one makes the
//! run stop after that step, and a third ends it at once.
namespace interruption {

enum class Phase
{
    Safe,     //!< nothing changed yet: stop at once
    Critical, //!< erasing or writing: finish the step
};

//! Installs the handlers. With @a speak the handler tells the user on
//! standard error what happens to the step.
void install(bool speak);
void setPhase(Phase phase);

//! What is written to standard output when a run stops in the safe phase;
//! it then ends with @a status at once.
void setStopText(const QByteArray &text, int status);

//! Processes that get every signal this process gets; they run in their
//! own process groups, so the terminal reaches them through this one only.
void setForwardTargets(const pid_t *pids, int count);

//! Signals since install().
int count();

} // namespace interruption
