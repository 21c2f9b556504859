#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornsim {

//! Who the emulated controller says it is: what a model announces, and
//! what the kernel would show in sysfs for it.
struct HidrawIdentity
{
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string serialNumber;
    std::string manufacturer; //!< empty for a model that does not say
    std::string product;      //!< empty for a model that does not say
};

//! Bytes after the report ID in every report: padding byte, 16-bit length
//! and the largest packet.
constexpr uint32_t kReportPayloadBytes = 1 + 2 + 8192;

//! The report descriptor of the bootloader interface: vendor page 0xFF00,
//! usage 1, output reports 1 (command) and 2 (data), input reports 3
//! (response) and 4 (data), each kReportPayloadBytes long.
std::vector<uint8_t> bootloaderReportDescriptor();

//! The name the kernel gives the HID device: manufacturer and product, or
//! "HID vvvv:pppp" when the device names neither.
std::string hidName(const HidrawIdentity &identity);

//! Where the devices of one plug-in live in sysfs (paths without "/sys").
//! Plug-ins count from 1; each gets a new USB device number, HID instance
//! and hidraw node, so that a handle still open on an earlier one never
//! meets a later one.
struct HidrawPlacement
{
    //! @a port: the hub port the controller is plugged into, from 1; each
    //! controller of several has its own.
    HidrawPlacement(const HidrawIdentity &identity, unsigned plug, unsigned port = 1);

    unsigned plug;
    std::string usbDevice;    //!< the USB device
    std::string usbInterface; //!< its HID interface
    std::string hidInstance;  //!< bus:vendor:product.instance, as the kernel names it
    std::string hidDevice;    //!< the HID device on that interface
    std::string hidraw;       //!< the hidraw class device
    std::string nodeName;     //!< hidrawN, as under /dev
};

//! The four devices in umockdev's text form: USB device (IDs, strings),
//! interface, HID device (uevent with HID_ID, HID_NAME, HID_UNIQ, HID_PHYS,
//! and the report descriptor) and the hidraw class device with its device
//! link and DEVNAME. The node itself under /dev is the caller's to make.
std::string umockdevDescription(const HidrawIdentity &identity, const HidrawPlacement &placement);

} // namespace vornsim
