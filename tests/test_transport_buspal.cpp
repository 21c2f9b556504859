#include "blfwk/BusPal.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace blfwk;

namespace {

//! Every field a parse may set, for comparing whole records.
auto fieldsOf(const BusPalConfigData &c)
{
    return std::make_tuple(c.function, c.spiSpeedKHz, int(c.spiPolarity), int(c.spiPhase), c.spiDirection,
                           int(c.i2cAddress), c.i2cSpeedKHz, c.canSpeed, c.canTxid, c.canRxid, c.saiSpeedHz,
                           int(c.gpioPort), int(c.gpioPinNum), int(c.gpioLevel), int(c.gpioMux), c.fpgaClockMhz);
}

TEST(BusPalParseTest, RefusedWordsLeaveOnlyTheFunctionsSetBeforeTheCheck)
{
    // spi, i2c, can and sai name their function before examining the words;
    // gpio and clock check the word count first and change nothing.
    const std::pair<string_vector_t, bus_pal_function_t> refused[] = {
        { { "spi", "0" }, kBusPalFunction_SPI },
        { { "spi", "-5" }, kBusPalFunction_SPI },
        { { "spi", "fast" }, kBusPalFunction_SPI },
        { { "i2c", "10", "0" }, kBusPalFunction_I2C },
        { { "can", "5" }, kBusPalFunction_CAN },
        { { "can", "-1" }, kBusPalFunction_CAN },
        { { "sai", "0" }, kBusPalFunction_SAI },
        { { "gpio", "set", "c", "5" }, kBusPalFunction_None },
        { { "gpio" }, kBusPalFunction_None },
        { { "gpio", "toggle", "c", "5", "1" }, kBusPalFunction_None },
        { { "clock" }, kBusPalFunction_None },
        { { "clock", "48", "1" }, kBusPalFunction_None },
        { { "SPI", "1000" }, kBusPalFunction_None },
        { {}, kBusPalFunction_None },
    };
    for (const auto &[words, function] : refused)
    {
        BusPalConfigData config, expected;
        expected.function = function;
        EXPECT_FALSE(BusPal::parse(words, config)) << ::testing::PrintToString(words);
        EXPECT_EQ(fieldsOf(config), fieldsOf(expected)) << ::testing::PrintToString(words);
    }
}

TEST(BusPalParseTest, AcceptedWordsFillTheirFunctionsFieldsInOrder)
{
    struct Case
    {
        string_vector_t words;
        void (*expect)(BusPalConfigData &);
    };
    const Case cases[] = {
        { { "spi", "1000", "0", "1" },
          [](BusPalConfigData &c) {
              c.function = kBusPalFunction_SPI, c.spiSpeedKHz = 1000, c.spiPolarity = kSpiClockPolarity_ActiveHigh;
          } },
        // An unknown direction word stops the fields there.
        { { "spi", "1000", "0", "1", "xyz" },
          [](BusPalConfigData &c) {
              c.function = kBusPalFunction_SPI, c.spiSpeedKHz = 1000, c.spiPolarity = kSpiClockPolarity_ActiveHigh;
          } },
        { { "spiX", "250kHz", "1", "0", "lsb" },
          [](BusPalConfigData &c) {
              c.function = kBusPalFunction_SPI, c.spiSpeedKHz = 250, c.spiPhase = kSpiClockPhase_FirstEdge,
              c.spiDirection = kSpiLsbFirst;
          } },
        // Only the speed is checked; polarity and phase keep the number given.
        { { "spi", "400", "2", "-1" },
          [](BusPalConfigData &c) {
              c.function = kBusPalFunction_SPI, c.spiSpeedKHz = 400, c.spiPolarity = spi_clock_polarity_t(2),
              c.spiPhase = spi_clock_phase_t(-1);
          } },
        { { "i2c", "0x3a", "400" },
          [](BusPalConfigData &c) { c.function = kBusPalFunction_I2C, c.i2cAddress = 0x3a, c.i2cSpeedKHz = 400; } },
        { { "can", "4", "7FF", "FFFF" },
          [](BusPalConfigData &c) { c.function = kBusPalFunction_CAN, c.canTxid = 0x7ff, c.canRxid = 0x7ff; } },
        { { "can", "0", "0x1a5" },
          [](BusPalConfigData &c) { c.function = kBusPalFunction_CAN, c.canSpeed = 0, c.canTxid = 0x1a5; } },
        // A word without leading hex digits reads as 0, not as a negated number.
        { { "can", "0", "-1", "g12" },
          [](BusPalConfigData &c) { c.function = kBusPalFunction_CAN, c.canSpeed = 0, c.canTxid = 0, c.canRxid = 0; } },
        { { "sai", "44100Hz" }, [](BusPalConfigData &c) { c.function = kBusPalFunction_SAI, c.saiSpeedHz = 44100; } },
        // An overlong number is held, not wrapped.
        { { "sai", "99999999999" },
          [](BusPalConfigData &c) { c.function = kBusPalFunction_SAI, c.saiSpeedHz = 2147483647; } },
        { { "gpio", "set", "c", "5", "1" },
          [](BusPalConfigData &c) {
              c.function = kBusPalFunction_GPIO_SET, c.gpioPort = 'c', c.gpioPinNum = 5, c.gpioLevel = 1;
          } },
        // Pin numbers are stored in 8 bits.
        { { "gpio", "configure", "b", "260", "3" },
          [](BusPalConfigData &c) {
              c.function = kBusPalFunction_GPIO_CONFIG, c.gpioPort = 'b', c.gpioPinNum = 4, c.gpioMux = 3;
          } },
        { { "clock", "48" }, [](BusPalConfigData &c) { c.function = kBusPalFunction_FPGA_CLOCK_SET, c.fpgaClockMhz = 48; } },
    };
    for (const Case &c : cases)
    {
        BusPalConfigData config, expected;
        c.expect(expected);
        EXPECT_TRUE(BusPal::parse(c.words, config)) << ::testing::PrintToString(c.words);
        EXPECT_EQ(fieldsOf(config), fieldsOf(expected)) << ::testing::PrintToString(c.words);
    }
}

TEST(BusPalParseTest, I2cAddressIsCutToSevenBitsWithANote)
{
    LogCapture logger;
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "i2c", "90" }, config));
    EXPECT_EQ(config.i2cAddress, 0x10);
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "Only 7-bit i2c address is supported, so the effective value is 0x10\n" }));
}

} // namespace
