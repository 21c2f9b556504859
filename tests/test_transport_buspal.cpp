#include "blfwk/BusPal.h"

#include "test_transport_logger.h"

#include <gtest/gtest.h>

using blfwk::BusPal;
using blfwk::BusPalConfigData;

namespace {

TEST(BusPalParseTest, SpiFillsSpeedPolarityPhaseAndKeepsDefaultDirection)
{
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "spi", "1000", "0", "1" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_SPI);
    EXPECT_EQ(config.spiSpeedKHz, 1000u);
    EXPECT_EQ(config.spiPolarity, blfwk::kSpiClockPolarity_ActiveHigh);
    EXPECT_EQ(config.spiPhase, blfwk::kSpiClockPhase_SecondEdge);
    EXPECT_EQ(config.spiDirection, blfwk::kSpiMsbFirst);

    BusPalConfigData unknownDirection;
    EXPECT_TRUE(BusPal::parse({ "spi", "1000", "0", "1", "xyz" }, unknownDirection));
    EXPECT_EQ(unknownDirection.spiDirection, blfwk::kSpiMsbFirst);

    BusPalConfigData lsb;
    EXPECT_TRUE(BusPal::parse({ "spi", "250", "1", "0", "lsb" }, lsb));
    EXPECT_EQ(lsb.spiDirection, blfwk::kSpiLsbFirst);
    EXPECT_EQ(lsb.spiPhase, blfwk::kSpiClockPhase_FirstEdge);
}

TEST(BusPalParseTest, SpiRefusesZeroSpeedButHasAlreadySetTheFunction)
{
    BusPalConfigData config;
    EXPECT_FALSE(BusPal::parse({ "spi", "0" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_SPI);
    EXPECT_EQ(config.spiSpeedKHz, 100u);
    EXPECT_FALSE(BusPal::parse({ "spi", "-5" }, config));
    EXPECT_FALSE(BusPal::parse({ "spi", "fast" }, config)) << "no leading digits reads as 0";
}

TEST(BusPalParseTest, SpiPolarityAndPhaseOutsideOneBitAreRefused)
{
    BusPalConfigData config;
    EXPECT_FALSE(BusPal::parse({ "spi", "1000", "2" }, config));
    EXPECT_EQ(config.spiSpeedKHz, 1000u) << "fields before the failing word stay filled";
    EXPECT_EQ(config.spiPolarity, blfwk::kSpiClockPolarity_ActiveLow);
    EXPECT_FALSE(BusPal::parse({ "spi", "1000", "0", "-1" }, config));
}

TEST(BusPalParseTest, NumbersComeFromLeadingDigitsAndFunctionFromFirstLetters)
{
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "spiX", "400kHz" }, config));
    EXPECT_EQ(config.spiSpeedKHz, 400u);
    EXPECT_TRUE(BusPal::parse({ "sai", "44100Hz" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_SAI);
    EXPECT_EQ(config.saiSpeedHz, 44100u);
    EXPECT_FALSE(BusPal::parse({ "sai", "0" }, config));
    EXPECT_TRUE(BusPal::parse({ "sai", "99999999999" }, config)) << "an overlong number is held, not wrapped";
    EXPECT_EQ(config.saiSpeedHz, 2147483647u);
}

TEST(BusPalParseTest, I2cAddressIsCutToSevenBitsWithANote)
{
    RecordingLogger logger;
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "i2c", "90" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_I2C);
    EXPECT_EQ(config.i2cAddress, 0x10);
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "Only 7-bit i2c address is supported, so the effective value is 0x10\n" }));

    logger.texts.clear();
    EXPECT_TRUE(BusPal::parse({ "i2c", "0x3a", "400" }, config));
    EXPECT_EQ(config.i2cAddress, 0x3a);
    EXPECT_EQ(config.i2cSpeedKHz, 400u);
    EXPECT_TRUE(logger.texts.empty());

    EXPECT_FALSE(BusPal::parse({ "i2c", "10", "0" }, config));
    EXPECT_EQ(config.i2cAddress, 0x10) << "the address before the refused speed is kept";
}

TEST(BusPalParseTest, CanChecksSpeedCodeAndMasksIdentifiers)
{
    BusPalConfigData config;
    EXPECT_FALSE(BusPal::parse({ "can", "5" }, config));
    EXPECT_FALSE(BusPal::parse({ "can", "-1" }, config)) << "negative codes read as large unsigned ones";
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_CAN);
    EXPECT_EQ(config.canSpeed, 4u);

    EXPECT_TRUE(BusPal::parse({ "can", "2", "7FF", "FFFF" }, config));
    EXPECT_EQ(config.canSpeed, 2u);
    EXPECT_EQ(config.canTxid, 0x7ffu);
    EXPECT_EQ(config.canRxid, 0x7ffu);

    BusPalConfigData partial;
    EXPECT_TRUE(BusPal::parse({ "can", "0", "0x1a5" }, partial));
    EXPECT_EQ(partial.canTxid, 0x1a5u);
    EXPECT_EQ(partial.canRxid, 0x123u);
}

TEST(BusPalParseTest, GpioNeedsExactlyFiveWordsAndAKnownAction)
{
    BusPalConfigData config;
    EXPECT_TRUE(BusPal::parse({ "gpio", "set", "c", "5", "1" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_GPIO_SET);
    EXPECT_EQ(config.gpioPort, 'c');
    EXPECT_EQ(config.gpioPinNum, 5);
    EXPECT_EQ(config.gpioLevel, 1);
    EXPECT_EQ(config.gpioMux, 0);

    BusPalConfigData mux;
    EXPECT_TRUE(BusPal::parse({ "gpio", "configure", "b", "260", "3" }, mux));
    EXPECT_EQ(mux.function, blfwk::kBusPalFunction_GPIO_CONFIG);
    EXPECT_EQ(mux.gpioPort, 'b');
    EXPECT_EQ(mux.gpioPinNum, 4) << "pin numbers are stored in 8 bits";
    EXPECT_EQ(mux.gpioMux, 3);

    BusPalConfigData refused;
    EXPECT_FALSE(BusPal::parse({ "gpio", "set", "c", "5" }, refused));
    EXPECT_FALSE(BusPal::parse({ "gpio" }, refused));
    EXPECT_FALSE(BusPal::parse({ "gpio", "toggle", "c", "5", "1" }, refused));
    EXPECT_EQ(refused.function, blfwk::kBusPalFunction_None);
    EXPECT_EQ(refused.gpioPort, 0);
}

TEST(BusPalParseTest, ClockNeedsExactlyTwoWords)
{
    BusPalConfigData config;
    EXPECT_FALSE(BusPal::parse({ "clock" }, config));
    EXPECT_FALSE(BusPal::parse({ "clock", "48", "1" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_None);
    EXPECT_TRUE(BusPal::parse({ "clock", "48" }, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_FPGA_CLOCK_SET);
    EXPECT_EQ(config.fpgaClockMhz, 48u);
}

TEST(BusPalParseTest, UnknownOrMissingFunctionIsRefused)
{
    BusPalConfigData config;
    EXPECT_FALSE(BusPal::parse({ "uart", "115200" }, config));
    EXPECT_FALSE(BusPal::parse({ "SPI", "1000" }, config));
    EXPECT_FALSE(BusPal::parse({}, config));
    EXPECT_EQ(config.function, blfwk::kBusPalFunction_None);
}

} // namespace
