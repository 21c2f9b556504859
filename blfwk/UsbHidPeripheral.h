#pragma once

#include "blfwk/Peripheral.h"

#include <hidapi.h>

#include <cstdint>
#include <string>

namespace blfwk {

//! How the text of every open failure begins; callers that read the log
//! recognise the failure by it.
extern const char kUsbHidOpenFailure[];

//! One HID device, opened by vendor/product ID (and serial number) or by path,
//! that moves whole reports through hidapi. Owns the hidapi device handle.
class UsbHidPeripheral : public Peripheral
{
public:
    //! Opens the device; throws std::runtime_error with an "Error: ..." text
    //! when it cannot. An empty @a serial_number matches any device, an empty
    //! @a path means open by IDs.
    UsbHidPeripheral(uint16_t vendor_id, uint16_t product_id, const std::string &serial_number,
                     const std::string &path);
    ~UsbHidPeripheral() override;

    UsbHidPeripheral(const UsbHidPeripheral &) = delete;
    UsbHidPeripheral &operator=(const UsbHidPeripheral &) = delete;

    //! One input report, waiting at most @a timeout ms. Success when at least
    //! a whole report header arrived, kStatus_Timeout for less, kStatus_Fail
    //! when the device failed (then @a actualBytes holds -1 as unsigned).
    status_t read(uint8_t *buffer, uint32_t requestedBytes, uint32_t *actualBytes, uint32_t timeout) override;

    //! Sends nothing: reports go through the three-argument write.
    status_t write(const uint8_t *buffer, uint32_t byteCount) override;

    //! One output report, first byte the report ID. @a timeoutMS is not
    //! applied: the write waits until the device has taken the report.
    status_t write(const uint8_t *buffer, uint32_t byteCount, uint32_t timeoutMS);

    _host_peripheral_types get_type() override { return kHostPeripheralType_USB_HID; }

    uint16_t getVendorId() const { return m_vendor_id; }
    uint16_t getProductId() const { return m_product_id; }
    const std::wstring &getSerialNumber() const { return m_serial_number; }

    //! Opens the device; true when one is open.
    bool init();

    //! The Windows HID interface path for a user-given path: prefix "\\.\"
    //! when it has none, backslashes after the prefix turned into '#', and
    //! the HID interface class identifier at the end.
    static std::string windowsInterfacePath(const std::string &path);

    //! The path handed to hid_open_path: Windows-form paths are normalised,
    //! any other (a Linux "/dev/hidraw3") passes unchanged.
    static std::string devicePath(const std::string &path);

protected:
    uint16_t m_vendor_id;
    uint16_t m_product_id;
    std::wstring m_serial_number;
    std::string m_path;
    hid_device *m_device;
};

} // namespace blfwk
