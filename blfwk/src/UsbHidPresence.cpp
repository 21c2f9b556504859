#include "blfwk/UsbHidPresence.h"

#include <hidapi.h>

namespace blfwk {

bool isUsbHidDevicePresent(uint16_t vendorId, uint16_t productId)
{
    // Both IDs are given, so the list holds only devices that match; a zero
    // ID would widen the filter to any device.
    if (vendorId == 0 || productId == 0)
    {
        return false;
    }
    hid_device_info *devices = hid_enumerate(vendorId, productId);
    const bool present = devices != nullptr;
    hid_free_enumeration(devices);
    return present;
}

} // namespace blfwk
