#pragma once

#include <QCoreApplication>
#include <QString>

//! What the window tells the user beyond its pages: when a controller may not
//! be opened, and when an update cannot go on or needs a hand. Each text is
//! written here in English and shown through text(), in the user's language.
namespace updatetexts {

constexpr char kContext[] = "MainWindow";

//! The rule's file name has a line of its own: wrapped at its hyphens it could not be read.
constexpr char kAccessHint[] =
    QT_TRANSLATE_NOOP("MainWindow", "The controller is plugged in, but this user may not open it. Install the "
                                    "updater's udev rule, then plug the controller in again:\n60-kelvo-updater.rules");
//! %1: each folder tried and what was wrong there.
constexpr char kImageNotReady[] = QT_TRANSLATE_NOOP(
    "MainWindow", "The firmware image could not be prepared, so nothing on the controller was changed. Tried: %1. "
                  "Free some space there, or set TMPDIR to a folder of your own that has free space, then click "
                  "UPDATE to try again.");
constexpr char kControllerBusy[] =
    QT_TRANSLATE_NOOP("MainWindow", "Another program is using the controller. Close the other updater, or wait "
                                    "until it has finished: the update is offered here once the controller is free.");
constexpr char kClosingAfterUpdate[] =
    QT_TRANSLATE_NOOP("MainWindow", "The update is being finished. Keep the controller plugged in: the updater "
                                    "closes by itself once the controller has restarted.");
constexpr char kEraseFailed[] =
    QT_TRANSLATE_NOOP("MainWindow", "The controller did not confirm that its old firmware was erased.");
constexpr char kWriteFailed[] =
    QT_TRANSLATE_NOOP("MainWindow", "The controller did not confirm that it received the whole new firmware.");
constexpr char kImageChanged[] =
    QT_TRANSLATE_NOOP("MainWindow", "The firmware image changed before it could be written, so it was not sent.");
//! Follows each of the three above.
constexpr char kTryAgain[] = QT_TRANSLATE_NOOP(
    "MainWindow",
    "The update did not finish. Unplug the controller, hold the left stick, plug it in again, then click UPDATE.");
constexpr char kRestart[] = QT_TRANSLATE_NOOP(
    "MainWindow", "The new firmware is written. Unplug the controller and plug it in again to start it.");
//! Follows every failure; %1 is the log file.
constexpr char kLogKept[] =
    QT_TRANSLATE_NOOP("MainWindow", "What happened is kept in %1. Send that file, or the details below, to support.");
//! Title of the message when the carried firmware cannot be read.
constexpr char kErrorTitle[] = QT_TRANSLATE_NOOP("MainWindow", "error");
//! The window's own version, %1, on its title.
constexpr char kProgramVersion[] = QT_TRANSLATE_NOOP("MainWindow", "Kelvo Updater version %1");

inline QString text(const char *english)
{
    return QCoreApplication::translate(kContext, english);
}

} // namespace updatetexts
