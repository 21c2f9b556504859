#include "blfwk/BusPal.h"

#include "test_transport_logger.h"

#include <gtest/gtest.h>

using blfwk::BusPal;
using blfwk::BusPalConfigData;

namespace {

TEST(BusPalParseTest, RefusedWordsLeaveOnlyTheFunctionsSetBeforeTheCheck)
{
    // spi, i2c, can and sai name their function before examining the words;
    // gpio and clock check the word count first and change nothing.
    const std::vector<std::pair<string_vector_t, blfwk::bus_pal_function_t>> refused{
        { { "spi", "0" }, blfwk::kBusPalFunction_SPI },
        { { "spi", "-5" }, blfwk::kBusPalFunction_SPI },
        { { "spi", "fast" }, blfwk::kBusPalFunction_SPI },
        { { "i2c", "10", "0" }, blfwk::kBusPalFunction_I2C },
        { { "can", "5" }, blfwk::kBusPalFunction_CAN },
        { { "can", "-1" }, blfwk::kBusPalFunction_CAN },
        { { "sai", "0" }, blfwk::kBusPalFunction_SAI },
        { { "gpio", "set", "c", "5" }, blfwk::kBusPalFunction_None },
        { { "gpio" }, blfwk::kBusPalFunction_None },
        { { "gpio", "toggle", "c", "5", "1" }, blfwk::kBusPalFunction_None },
        { { "clock" }, blfwk::kBusPalFunction_None },
        { { "clock", "48", "1" }, blfwk::kBusPalFunction_None },
        { { "SPI", "1000" }, blfwk::kBusPalFunction_None },
        { {}, blfwk::kBusPalFunction_None },
    };
    for (const auto &[words, function] : refused)
    {
        BusPalConfigData config;
        EXPECT_FALSE(BusPal::parse(words, config)) << ::testing::PrintToString(words);
        EXPECT_EQ(config.function, function) << ::testing::PrintToString(words);
        EXPECT_EQ(config.spiSpeedKHz, 100u);
        EXPECT_EQ(config.i2cAddress, 0x10);
        EXPECT_EQ(config.canSpeed, 4u);
        EXPECT_EQ(config.gpioPort, 0);
    }
}

TEST(BusPalParseTest, SpiFillsItsFieldsInOrderUpToARefusedWord)
{
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "spi", "1000", "0", "1" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_SPI);
    EXPECT_EQ(config.spiSpeedKHz, 1000u);
    EXPECT_EQ(config.spiPolarity, blfwk::kSpiClockPolarity_ActiveHigh);
    EXPECT_EQ(config.spiPhase, blfwk::kSpiClockPhase_SecondEdge);
    EXPECT_EQ(config.spiDirection, blfwk::kSpiMsbFirst);
    EXPECT_TRUE(BusPal::parse({ "spi", "1000", "0", "1", "xyz" }, config));
    EXPECT_EQ(config.spiDirection, blfwk::kSpiMsbFirst);
    EXPECT_TRUE(BusPal::parse({ "spiX", "250kHz", "1", "0", "lsb" }, config));
    EXPECT_EQ(config.spiSpeedKHz, 250u);
    EXPECT_EQ(config.spiPhase, blfwk::kSpiClockPhase_FirstEdge);
    EXPECT_EQ(config.spiDirection, blfwk::kSpiLsbFirst);

    // Only the speed is checked; polarity and phase keep the number given.
    BusPalConfigData other;
    EXPECT_TRUE(BusPal::parse({ "spi", "400", "2", "-1" }, other));
    EXPECT_EQ(other.spiPolarity, 2);
    EXPECT_EQ(other.spiPhase, -1);
}

TEST(BusPalParseTest, I2cAddressIsCutToSevenBitsWithANote)
{
    LogCapture logger;
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "i2c", "90" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_I2C);
    EXPECT_EQ(config.i2cAddress, 0x10);
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "Only 7-bit i2c address is supported, so the effective value is 0x10\n" }));
    EXPECT_TRUE(BusPal::parse({ "i2c", "0x3a", "400" }, config));
    EXPECT_EQ(config.i2cAddress, 0x3a);
    EXPECT_EQ(config.i2cSpeedKHz, 400u);
    EXPECT_EQ(logger.texts.size(), 1u);
}

TEST(BusPalParseTest, CanAndSaiReadTheirNumbers)
{
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "can", "4", "7FF", "FFFF" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_CAN);
    EXPECT_EQ(config.canTxid, 0x7ffu);
    EXPECT_EQ(config.canRxid, 0x7ffu);
    EXPECT_TRUE(BusPal::parse({ "can", "0", "0x1a5" }, config));
    EXPECT_EQ(config.canSpeed, 0u);
    EXPECT_EQ(config.canTxid, 0x1a5u);
    EXPECT_EQ(config.canRxid, 0x7ffu);
    EXPECT_TRUE(BusPal::parse({ "can", "0", "-1", "g12" }, config));
    EXPECT_EQ(config.canTxid, 0u) << "a word without leading hex digits reads as 0, not as a negated number";
    EXPECT_EQ(config.canRxid, 0u);

    EXPECT_TRUE(BusPal::parse({ "sai", "44100Hz" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_SAI);
    EXPECT_EQ(config.saiSpeedHz, 44100u);
    EXPECT_TRUE(BusPal::parse({ "sai", "99999999999" }, config));
    EXPECT_EQ(config.saiSpeedHz, 2147483647u) << "an overlong number is held, not wrapped";
}

TEST(BusPalParseTest, GpioAndClockFillTheirFields)
{
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "gpio", "set", "c", "5", "1" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_GPIO_SET);
    EXPECT_EQ(config.gpioPort, 'c');
    EXPECT_EQ(config.gpioPinNum, 5);
    EXPECT_EQ(config.gpioLevel, 1);
    EXPECT_EQ(config.gpioMux, 0);
    EXPECT_TRUE(BusPal::parse({ "gpio", "configure", "b", "260", "3" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_GPIO_CONFIG);
    EXPECT_EQ(config.gpioPinNum, 4) << "pin numbers are stored in 8 bits";
    EXPECT_EQ(config.gpioMux, 3);
    EXPECT_TRUE(BusPal::parse({ "clock", "48" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_FPGA_CLOCK_SET);
    EXPECT_EQ(config.fpgaClockMhz, 48u);
}

} // namespace
