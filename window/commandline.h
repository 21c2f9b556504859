#pragma once

#include <QStringList>

class QTextStream;

//! The program's own options, read before any window system is touched, so
//! that --help and --version work without a display.
namespace commandline {

//! What the program does after reading its options.
struct Decision
{
    bool openWindow = false;
    //! The program's exit status when it opens no window.
    int exitCode = 0;
    //! The walkthrough's options as given, each empty when absent.
    QString walkthroughDir;
    QString walkthroughLimit;
    QString walkthroughHold;
    //! A window of its own even beside another one.
    bool newInstance = false;
};

//! Reads @a arguments (program name first). --help and --version print to
//! @a out; an unknown option or a missing value prints the reason and the
//! usage to @a err and ends with 2. The walkthrough's options, Qt's own
//! window-system options and "--cli" are accepted and left to those who read
//! them. Needs an application object for the program's name.
Decision read(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace commandline
