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

//! @a english, one of the texts here, in the user's language.
inline QString text(const char *english)
{
    return QCoreApplication::translate(kContext, english);
}

//! A controller version that cannot be read as firmware (erased flash).
constexpr char kNoFirmware[] = QT_TRANSLATE_NOOP("MainWindow", "none");

//! The words of the pages, set over their pictures.
constexpr char kConnectStepHold[] = QT_TRANSLATE_NOOP("MainWindow", "1  HOLD THE LEFT STICK DOWN");
constexpr char kConnectStepPlug[] = QT_TRANSLATE_NOOP("MainWindow", "2  PLUG IN THE USB CABLE");
constexpr char kConnectWaiting[] = QT_TRANSLATE_NOOP("MainWindow", "WAITING FOR THE CONTROLLER");
constexpr char kSameHeading[] = QT_TRANSLATE_NOOP("MainWindow", "YOUR CONTROLLER IS UP TO DATE");
constexpr char kProductCaption[] = QT_TRANSLATE_NOOP("MainWindow", "PRODUCT");
constexpr char kSameNoUpdate[] = QT_TRANSLATE_NOOP("MainWindow", "No update is needed. You can unplug the controller.");
constexpr char kOfferHeading[] = QT_TRANSLATE_NOOP("MainWindow", "FIRMWARE UPDATE AVAILABLE");
constexpr char kOfferCurrent[] = QT_TRANSLATE_NOOP("MainWindow", "Current firmware version:");
constexpr char kOfferNew[] = QT_TRANSLATE_NOOP("MainWindow", "New firmware version:");
constexpr char kUpdatingHeading[] = QT_TRANSLATE_NOOP("MainWindow", "UPDATING FIRMWARE");
constexpr char kUpdatingWriting[] = QT_TRANSLATE_NOOP("MainWindow", "Writing the new firmware to the controller");
constexpr char kUpdatingDoNotUnplug[] = QT_TRANSLATE_NOOP("MainWindow", "DO NOT UNPLUG THE CONTROLLER");
constexpr char kFinishedHeading[] = QT_TRANSLATE_NOOP("MainWindow", "UPDATE COMPLETE");
constexpr char kFinishedUnplug[] = QT_TRANSLATE_NOOP("MainWindow", "You can now unplug the controller.");
constexpr char kFinishedVersion[] = QT_TRANSLATE_NOOP("MainWindow", "Firmware version:");
//! The words on the two buttons; the messages that name a button use the same word.
constexpr char kUpdateButtonWord[] = QT_TRANSLATE_NOOP("MainWindow", "UPDATE");
constexpr char kCloseButtonWord[] = QT_TRANSLATE_NOOP("MainWindow", "CLOSE");

//! What a screen reader says of the picture widgets.
constexpr char kUpdateButtonName[] = QT_TRANSLATE_NOOP("MainWindow", "Update");
constexpr char kUpdateButtonDescription[] =
    QT_TRANSLATE_NOOP("MainWindow", "Erases the controller's firmware and writes the new version to it.");
constexpr char kCloseButtonName[] = QT_TRANSLATE_NOOP("MainWindow", "Close");
constexpr char kCloseButtonDescription[] = QT_TRANSLATE_NOOP("MainWindow", "Ends the updater.");
constexpr char kProgressName[] = QT_TRANSLATE_NOOP("MainWindow", "Update progress");
constexpr char kProgressDescription[] =
    QT_TRANSLATE_NOOP("MainWindow", "How much of the new firmware the controller has received.");
constexpr char kLoaderName[] = QT_TRANSLATE_NOOP("MainWindow", "Waiting for the controller");

} // namespace updatetexts
