#pragma once

#include "blfwk/host_types.h"

#include <cstdint>

namespace blfwk {

//! What the bridge board is configured for.
enum bus_pal_function_t
{
    kBusPalFunction_None = 0,
    kBusPalFunction_SPI = 1,
    kBusPalFunction_I2C = 2,
    kBusPalFunction_CAN = 3,
    kBusPalFunction_SAI = 4,
    kBusPalFunction_GPIO_CONFIG = 5,
    kBusPalFunction_GPIO_SET = 6,
    kBusPalFunction_FPGA_CLOCK_SET = 7
};

// Polarity and phase hold the number given, whatever it is; a fixed
// underlying type makes every such number a value of the enumeration.
enum spi_clock_polarity_t : int32_t
{
    kSpiClockPolarity_ActiveHigh = 0,
    kSpiClockPolarity_ActiveLow = 1
};

enum spi_clock_phase_t : int32_t
{
    kSpiClockPhase_FirstEdge = 0,
    kSpiClockPhase_SecondEdge = 1
};

enum spi_shift_direction_t
{
    kSpiMsbFirst = 0,
    kSpiLsbFirst = 1
};

enum sai_protocol_t
{
    kSaiProtocol_BusLeftJustified = 0,
    kSaiProtocol_BusRightJustified = 1,
    kSaiProtocol_BusI2S = 2,
    kSaiProtocol_BusPCMA = 3,
    kSaiProtocol_BusPCMB = 4
};

enum sai_mono_stereo_t
{
    kSaiMonoStereo_Stereo = 0,
    kSaiMonoStereo_MonoRight = 1,
    kSaiMonoStereo_MonoLeft = 2
};

//! Bridge-board settings, parsed and validated although no session uses them.
struct BusPalConfigData
{
    bus_pal_function_t function;
    uint32_t spiSpeedKHz;
    spi_clock_polarity_t spiPolarity;
    spi_clock_phase_t spiPhase;
    spi_shift_direction_t spiDirection;
    uint8_t i2cAddress;
    uint32_t i2cSpeedKHz;
    uint32_t canSpeed;
    uint32_t canTxid;
    uint32_t canRxid;
    uint32_t saiSpeedHz;
    sai_protocol_t saiProtocol;
    sai_mono_stereo_t saiStereo;
    uint8_t reserved0[2];
    uint8_t gpioPort;
    uint8_t gpioPinNum;
    uint8_t gpioLevel;
    uint8_t gpioMux;
    uint32_t fpgaClockMhz;

    BusPalConfigData()
        : function(kBusPalFunction_None)
        , spiSpeedKHz(100)
        , spiPolarity(kSpiClockPolarity_ActiveLow)
        , spiPhase(kSpiClockPhase_SecondEdge)
        , spiDirection(kSpiMsbFirst)
        , i2cAddress(0x10)
        , i2cSpeedKHz(100)
        , canSpeed(4)
        , canTxid(0x321)
        , canRxid(0x123)
        , saiSpeedHz(8000)
        , saiProtocol(kSaiProtocol_BusI2S)
        , saiStereo(kSaiMonoStereo_Stereo)
        , reserved0{ 0, 0 }
        , gpioPort(0)
        , gpioPinNum(0)
        , gpioLevel(0)
        , gpioMux(0)
        , fpgaClockMhz(0)
    {
    }
};

//! Settings of a USB serial I/O bridge; carried in the connection record,
//! never filled or read.
struct UsbSioConfigData
{
    enum usbsio_function_t
    {
        kFunction_None = 0,
        kFunction_SPI = 1,
        kFunction_I2C = 2,
        kFunction_GPIO = 3
    };

    struct PortConfig
    {
        uint32_t port = 0;
        uint32_t pin = 0;
    };
    struct SpiConfig
    {
        uint32_t speedKHz = 100;
        uint32_t polarity = 1;
        uint32_t phase = 1;
    };
    struct I2cConfig
    {
        uint8_t address = 0x10;
        uint32_t speedKHz = 100;
    };

    usbsio_function_t function = kFunction_None;
    PortConfig portConfig;
    SpiConfig spiConfig;
    I2cConfig i2cConfig;
};

//! The bridge board. Only its word parser exists in this system.
class BusPal
{
public:
    //! Fills @a config from the comma-separated words of the -b option;
    //! false when the words are refused.
    static bool parse(const string_vector_t &params, BusPalConfigData &config);
};

} // namespace blfwk
