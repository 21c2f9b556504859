#pragma once

//! Everything the console updater says to its user, defined once.
namespace consoletexts {

constexpr char kDescription[] =
    "Updates the firmware of VORN Kelvo Pro Wired controllers in update mode without a window.\n"
    "Hold the left stick while plugging a controller in to put it in update mode.\n"
    "\n"
    "Exit status:\n"
    "  0  every controller asked for was updated or is already up to date\n"
    "  1  an update failed or was stopped\n"
    "  2  the command line was not understood\n"
    "  3  no controller in update mode was found\n"
    "  4  refused: newer firmware on the controller, an image for another controller,\n"
    "     a controller in use by another program, or no consent to erase";

constexpr char kOptionList[] = "List every controller in update mode and what an update would do.";
constexpr char kOptionDevice[] = "Update the controller at device path PATH (see --list).";
constexpr char kOptionAll[] = "Update every controller found, all at once.";
constexpr char kOptionYes[] = "Erase without asking first.";
constexpr char kOptionAllowOlder[] = "Also write firmware older than the controller's.";
constexpr char kOptionImage[] = "Write FILE instead of the updater's own firmware.";
constexpr char kOptionVerify[] = "Read the firmware back after the write and compare it before the reset.";
constexpr char kOptionJson[] = "Print one JSON object per line for every event.";

constexpr char kUsageHint[] = "Run 'kelvo-updater --cli --help' for the options.";
constexpr char kDeviceAndAll[] = "--device and --all cannot be used together.";
constexpr char kListAndUpdate[] = "--list only lists: leave out the update options.";
constexpr char kUnexpectedArgument[] = "Unexpected argument '%1'.";

constexpr char kNoneFound[] =
    "No controller in update mode was found. Unplug the controller, hold the left stick, plug it in again, "
    "then run this again.";
constexpr char kNotFoundAt[] =
    "No controller in update mode is at %1. Run with --list to see the device paths.";
constexpr char kSeveralFound[] =
    "%1 controllers in update mode were found: name one with --device PATH, or update them all with --all.";
constexpr char kImageUnreadable[] = "The image %1 cannot be read: %2. Give a readable firmware image with --image.";

constexpr char kActionUpdate[] = "update";
constexpr char kActionUpToDate[] = "up to date";
constexpr char kActionNewer[] = "newer: not offered";
constexpr char kActionInUse[] = "in use by another program";
constexpr char kActionUnreadable[] = "version unreadable";

constexpr char kAskOne[] = "Erase the firmware of %1 (%2) and write %3? [y/N] ";
constexpr char kAskAll[] = "Erase the firmware of %1 controllers and write %2? [y/N] ";
constexpr char kNoTerminal[] =
    "Not erasing without consent: there is no terminal to ask on. Add --yes to update without asking.";
constexpr char kDeclined[] = "Nothing was changed.";

constexpr char kStepVersion[] = "version";
constexpr char kStepErase[] = "erase";
constexpr char kStepWrite[] = "write";
constexpr char kStepVerify[] = "verify";
constexpr char kStepReset[] = "reset";

constexpr char kLine[] = "%1: %2";
constexpr char kStateFound[] = "found at %1 (%2)";
constexpr char kStateVersion[] = "firmware %1, this updater has %2: %3";
constexpr char kStateDone[] = "%1 done";
constexpr char kStateFailed[] = "%1 failed";
constexpr char kStateReading[] = "reading the version";
constexpr char kStateErasing[] = "erasing";
constexpr char kStateWriting[] = "writing %1 %";
constexpr char kStateVerifying[] = "verifying";
constexpr char kStateResetting[] = "resetting";

constexpr char kResultUpdated[] = "updated to %1. Unplug the controller and plug it in again to start it.";
constexpr char kResultUpToDate[] = "already up to date (%1); left alone.";
constexpr char kResultNewer[] =
    "has firmware %1, newer than %2; not changed. Add --allow-older to write the older firmware.";
constexpr char kResultWrongImage[] =
    "the image is not made for this controller (%1); nothing was sent. Give the image of this colour variant.";
//! Followed by the lock's own sentence of who holds the controller.
constexpr char kResultBusy[] = "nothing was sent. %1";
constexpr char kResultVersionUnread[] =
    "did not answer the version read; nothing was changed. Unplug it, hold the left stick, plug it in again, "
    "then run this again.";
constexpr char kResultImageNotReady[] =
    "the firmware image could not be prepared; nothing was changed. Make sure the temporary folder has free "
    "space, then run this again.";
constexpr char kResultVerifyFailed[] =
    "the firmware read back differs from the image; the controller was not reset.";
//! Follows each failure after the erase (the window's texts say what failed).
constexpr char kTryAgain[] =
    "Unplug the controller, hold the left stick, plug it in again, then run this again.";
constexpr char kResultStoppedBefore[] = "stopped before the erase; nothing was changed.";
constexpr char kResultStoppedAfter[] =
    "stopped after the %1 step as asked; the controller has no working firmware now. Run this again to "
    "finish the update.";
constexpr char kResultLost[] =
    "its update ended without a result. Unplug the controller, hold the left stick, plug it in again, then "
    "run this again.";

//! Written from the signal handler: plain bytes.
constexpr char kInterruptFinishing[] =
    "\nThe controller is being erased or written: the step is being finished. Press Ctrl-C again to stop after "
    "it.\n";
constexpr char kInterruptStopping[] =
    "\nStopping after the current step. A third Ctrl-C ends the updater at once.\n";
constexpr char kInterruptAbandoned[] =
    "\nEnded in the middle of a step: the controller has no working firmware. Unplug it, hold the left stick, "
    "plug it in again, then run this again.\n";

constexpr char kSummaryTitle[] = "Summary:";
constexpr char kSummaryLine[] = "  %1 (%2): %3";
//! Follows the summary line of a controller whose update failed or stopped.
constexpr char kLogKept[] = "    What happened is kept in %1. Send that file to support.";
constexpr char kNoLog[] = "No log of this update is kept (%1); the update goes on.";

} // namespace consoletexts
