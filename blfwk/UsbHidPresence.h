#pragma once

#include <cstdint>

namespace blfwk {

//! True when hidapi lists a HID device with these IDs. Listing opens
//! nothing, so a device that this user may not open is listed as well: a
//! caller whose open failed tells "nothing plugged in" from "plugged in but
//! not allowed" with it.
bool isUsbHidDevicePresent(uint16_t vendorId, uint16_t productId);

} // namespace blfwk
