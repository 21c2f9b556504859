#pragma once

#include "blfwk/BusPal.h"
#include "blfwk/status_codes.h"

#include <cstdint>
#include <string>

namespace blfwk {

//! Kind of transport.
enum _host_peripheral_types
{
    kHostPeripheralType_None = 0,
    kHostPeripheralType_UART = 1,
    kHostPeripheralType_BUSPAL_UART = 2,
    kHostPeripheralType_USBSIO = 3,
    kHostPeripheralType_USB_HID = 4,
    kHostPeripheralType_SIM = 5,
    kHostPeripheralType_I2C = 6,
    kHostPeripheralType_SPI = 7
};

//! Abstract byte transport under a packetizer.
class Peripheral
{
public:
    //! Connection record that the driver fills and the session consumes.
    struct PeripheralConfigData
    {
        _host_peripheral_types peripheralType = kHostPeripheralType_None;
        bool ping = true;
        std::string comPortName;
        int32_t comPortSpeed = 0;
        uint32_t packetTimeoutMs = 0;
        uint16_t usbHidVid = 0;
        uint16_t usbHidPid = 0;
        std::string usbHidSerialNumber;
        std::string usbPath;
        BusPalConfigData busPalConfig;
        UsbSioConfigData usbSioConfig;
    };

    virtual ~Peripheral() {}

    //! Reads one transfer of up to @a requestedBytes, waiting at most
    //! @a timeout ms; @a actualBytes (may be null) receives the count.
    virtual status_t read(uint8_t *buffer, uint32_t requestedBytes, uint32_t *actualBytes, uint32_t timeout) = 0;

    //! Writes @a byteCount bytes.
    virtual status_t write(const uint8_t *buffer, uint32_t byteCount) = 0;

    virtual _host_peripheral_types get_type() = 0;
};

} // namespace blfwk
