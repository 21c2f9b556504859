#pragma once

#include "blfwk/host_types.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vorn {
class DeviceLock;
}

// Readers of the values of the driver's connection options. Each returns the
// option's error text, or an empty text when it took the value.

//! -p <name>[,<speed>]: the name must begin with c or C; a speed, when given,
//! must be at least 1. @a port and @a speed are set even when the speed is
//! refused.
std::string readPortArgument(const std::string &value, std::string &port, int32_t &speed);

//! -u <arg>: one part is a product ID below 0x10000 or else a device path; two
//! parts are vendor and product ID, each at most 0xffff, both taken or
//! neither (an empty product ID after the comma is refused). @a path becomes
//! the path given, otherwise empty. Three or more parts are refused: they name
//! no device, and the defaults would open one the user did not name.
std::string readUsbArgument(const std::string &value, uint16_t &vid, uint16_t &pid, std::string &path);

//! -t <ms>: the packet time-out, an unsigned number.
std::string readTimeoutArgument(const std::string &value, uint32_t &timeoutMs);

//! -b <words>: replaces @a words by the comma-separated words of @a value,
//! whose first must name a bridge-board function (spi, i2c, can, sai, gpio or
//! clock).
std::string readBusPalArgument(const std::string &value, string_vector_t &words);

//! The lock of the USB HID device that a run opens (@a path when given, else
//! the first listed device of @a vid : @a pid), taken before anything is
//! sent; null when no such device is listed, for the open then fails anyway.
//! Raises the run's error, naming the reason, when another program holds it
//! or it cannot be taken.
std::unique_ptr<vorn::DeviceLock> reserveUsbDevice(uint16_t vid, uint16_t pid, const std::string &path);
