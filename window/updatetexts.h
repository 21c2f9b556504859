#pragma once

//! What the window tells the user beyond its pages: when a controller may not
//! be opened, and when an update cannot go on or needs a hand.
namespace updatetexts {

constexpr char kAccessHint[] = "The controller is plugged in, but this user may not open it. Install the "
                               "updater's udev rule, then plug the controller in again.";
constexpr char kImageNotReady[] =
    "The firmware image could not be prepared, so nothing on the controller was changed. Make sure the "
    "temporary folder has free space, then click UPDATE to try again.";
constexpr char kEraseFailed[] = "The controller did not confirm that its old firmware was erased.";
constexpr char kWriteFailed[] = "The controller did not confirm that it received the whole new firmware.";
constexpr char kImageChanged[] = "The firmware image changed before it could be written, so it was not sent.";
//! Follows each of the three above.
constexpr char kTryAgain[] =
    "The update did not finish. Unplug the controller, hold the left stick, plug it in again, then click UPDATE.";
constexpr char kRestart[] = "The new firmware is written. Unplug the controller and plug it in again to start it.";

} // namespace updatetexts
