#pragma once

//! What the window tells the user beyond its pages: when a controller may not
//! be opened, and when an update cannot go on or needs a hand.
namespace updatetexts {

constexpr char kAccessHint[] = "The controller is plugged in, but this user may not open it. Install the "
                               "updater's udev rule, then plug the controller in again.";
//! %1: each folder tried and what was wrong there.
constexpr char kImageNotReady[] =
    "The firmware image could not be prepared, so nothing on the controller was changed. Tried: %1. Free some "
    "space there, or set TMPDIR to a folder of your own that has free space, then click UPDATE to try again.";
constexpr char kControllerBusy[] = "Another program is using the controller. Close the other updater, or wait "
                                   "until it has finished: the update is offered here once the controller is free.";
constexpr char kClosingAfterUpdate[] = "The update is being finished. Keep the controller plugged in: the updater "
                                       "closes by itself once the controller has restarted.";
constexpr char kEraseFailed[] = "The controller did not confirm that its old firmware was erased.";
constexpr char kWriteFailed[] = "The controller did not confirm that it received the whole new firmware.";
constexpr char kImageChanged[] = "The firmware image changed before it could be written, so it was not sent.";
//! Follows each of the three above.
constexpr char kTryAgain[] =
    "The update did not finish. Unplug the controller, hold the left stick, plug it in again, then click UPDATE.";
constexpr char kRestart[] = "The new firmware is written. Unplug the controller and plug it in again to start it.";

} // namespace updatetexts
