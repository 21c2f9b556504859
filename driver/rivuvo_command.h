#pragma once

#include "blfwk/host_types.h"

#include <memory>

namespace blfwk {
class Bootloader;
class Command;
} // namespace blfwk

// The driver's handling of one command: making it from the command words,
// checking its image file before the device is opened, and running it.

//! The command that @a words name; raises "Error: invalid command or
//! arguments '...'" with every word quoted when the factory refuses them.
std::unique_ptr<blfwk::Command> createCommand(const string_vector_t &words);

//! Refuses a write-memory whose source file is not a regular file (a
//! directory would be measured as -1 bytes, a FIFO would block with the
//! device open) or whose size cannot be sent as the command's 32-bit count.
//! A missing file is left to the data producer, which reports that it
//! cannot open it.
void checkImageFile(const string_vector_t &words);

//! Announces @a command with @a announcement, runs it on the open session and
//! logs its responses; returns kStatus_NoResponse when the target did not
//! answer, otherwise @a result unchanged.
int injectAndReport(blfwk::Bootloader &bootloader, blfwk::Command &command, const char *announcement, int result);
