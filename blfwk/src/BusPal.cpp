#include "blfwk/BusPal.h"

#include "blfwk/Logging.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace blfwk {

namespace {

bool beginsWith(const std::string &word, const char *prefix)
{
    return word.rfind(prefix, 0) == 0;
}

//! Signed decimal from the word's leading digits, 0 without any; values
//! beyond 32 bits are held at the nearest limit.
int32_t decimalWord(const std::string &word)
{
    long value = std::strtol(word.c_str(), nullptr, 10);
    if (value > INT32_MAX)
    {
        return INT32_MAX;
    }
    if (value < INT32_MIN)
    {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

//! Unsigned hexadecimal from the word's leading hex digits, "0x" allowed.
//! strtoul alone would also take blanks and a sign and negate the value.
uint32_t hexWord(const std::string &word)
{
    if (word.empty() || !std::isxdigit(static_cast<unsigned char>(word[0])))
    {
        return 0;
    }
    return static_cast<uint32_t>(std::strtoul(word.c_str(), nullptr, 16));
}

const uint32_t kMaxCanSpeedCode = 4;
const uint32_t kCanIdMask = 0x7ff;
const uint32_t kI2cAddressMask = 0x7f;

bool parseSpi(const string_vector_t &params, BusPalConfigData &config)
{
    config.function = kBusPalFunction_SPI;
    if (params.size() < 2)
    {
        return true;
    }
    int32_t speed = decimalWord(params[1]);
    if (speed < 1)
    {
        return false;
    }
    config.spiSpeedKHz = static_cast<uint32_t>(speed);

    if (params.size() < 3)
    {
        return true;
    }
    config.spiPolarity = static_cast<spi_clock_polarity_t>(decimalWord(params[2]));

    if (params.size() < 4)
    {
        return true;
    }
    config.spiPhase = static_cast<spi_clock_phase_t>(decimalWord(params[3]));

    if (params.size() < 5)
    {
        return true;
    }
    if (params[4] == "lsb")
    {
        config.spiDirection = kSpiLsbFirst;
    }
    else if (params[4] == "msb")
    {
        config.spiDirection = kSpiMsbFirst;
    }
    return true;
}

bool parseI2c(const string_vector_t &params, BusPalConfigData &config)
{
    config.function = kBusPalFunction_I2C;
    if (params.size() < 2)
    {
        return true;
    }
    uint32_t address = hexWord(params[1]);
    if (address > kI2cAddressMask)
    {
        address &= kI2cAddressMask;
        Log::info("Only 7-bit i2c address is supported, so the effective value is 0x%x\n", address);
    }
    config.i2cAddress = static_cast<uint8_t>(address);

    if (params.size() < 3)
    {
        return true;
    }
    int32_t speed = decimalWord(params[2]);
    if (speed < 1)
    {
        return false;
    }
    config.i2cSpeedKHz = static_cast<uint32_t>(speed);
    return true;
}

bool parseCan(const string_vector_t &params, BusPalConfigData &config)
{
    config.function = kBusPalFunction_CAN;
    if (params.size() < 2)
    {
        return true;
    }
    uint32_t speed = static_cast<uint32_t>(decimalWord(params[1]));
    if (speed > kMaxCanSpeedCode)
    {
        return false;
    }
    config.canSpeed = speed;

    if (params.size() < 3)
    {
        return true;
    }
    config.canTxid = hexWord(params[2]) & kCanIdMask;

    if (params.size() < 4)
    {
        return true;
    }
    config.canRxid = hexWord(params[3]) & kCanIdMask;
    return true;
}

bool parseSai(const string_vector_t &params, BusPalConfigData &config)
{
    config.function = kBusPalFunction_SAI;
    if (params.size() < 2)
    {
        return true;
    }
    int32_t rate = decimalWord(params[1]);
    if (rate < 1)
    {
        return false;
    }
    config.saiSpeedHz = static_cast<uint32_t>(rate);
    return true;
}

bool parseGpio(const string_vector_t &params, BusPalConfigData &config)
{
    if (params.size() != 5)
    {
        return false;
    }
    bool configure = beginsWith(params[1], "config");
    if (!configure && !beginsWith(params[1], "set"))
    {
        return false;
    }
    config.function = configure ? kBusPalFunction_GPIO_CONFIG : kBusPalFunction_GPIO_SET;
    config.gpioPort = static_cast<uint8_t>(params[2].empty() ? 0 : params[2][0]);
    config.gpioPinNum = static_cast<uint8_t>(decimalWord(params[3]));
    if (configure)
    {
        config.gpioMux = static_cast<uint8_t>(decimalWord(params[4]));
    }
    else
    {
        config.gpioLevel = static_cast<uint8_t>(decimalWord(params[4]));
    }
    return true;
}

bool parseClock(const string_vector_t &params, BusPalConfigData &config)
{
    if (params.size() != 2)
    {
        return false;
    }
    config.function = kBusPalFunction_FPGA_CLOCK_SET;
    config.fpgaClockMhz = static_cast<uint32_t>(decimalWord(params[1]));
    return true;
}

} // namespace

bool BusPal::parse(const string_vector_t &params, BusPalConfigData &config)
{
    if (params.empty())
    {
        return false;
    }
    const std::string &function = params[0];
    if (beginsWith(function, "spi"))
    {
        return parseSpi(params, config);
    }
    if (beginsWith(function, "i2c"))
    {
        return parseI2c(params, config);
    }
    if (beginsWith(function, "can"))
    {
        return parseCan(params, config);
    }
    if (beginsWith(function, "sai"))
    {
        return parseSai(params, config);
    }
    if (beginsWith(function, "gpio"))
    {
        return parseGpio(params, config);
    }
    if (beginsWith(function, "clock"))
    {
        return parseClock(params, config);
    }
    return false;
}

} // namespace blfwk
