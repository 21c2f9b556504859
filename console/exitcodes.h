#pragma once

//! What the console updater's exit status tells a script.
namespace exitcodes {

constexpr int kDone = 0;        //!< every controller asked for was updated or already up to date
constexpr int kFailure = 1;     //!< an update failed or was stopped
constexpr int kUsage = 2;       //!< the command line was not understood
constexpr int kNoController = 3; //!< no controller in update mode was found
constexpr int kRefused = 4;     //!< refused: newer firmware, a wrong image, a device in use, no consent

} // namespace exitcodes
