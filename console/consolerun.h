#pragma once

#include "console/consoleoptions.h"

//! One console run with its options read: lists, updates the one controller
//! or the one named, or all of them at once. Returns the exit status.
int runConsoleOptions(const ConsoleOptions &options);

//! The console updater's entry: "kelvo-updater --cli ...". Makes no GUI
//! application, so it runs without a display.
int runConsole(int argc, char **argv);
