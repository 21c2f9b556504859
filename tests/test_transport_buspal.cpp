#include "blfwk/BusPal.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace blfwk;

namespace {

//! The fields a parse changed from their defaults, as "name=value" words.
std::string changed(const BusPalConfigData &c)
{
    const char *const functions[] = { "none", "spi", "i2c", "can", "sai", "gpio-config", "gpio-set", "clock" };
    const BusPalConfigData d;
    std::ostringstream os;
    auto field = [&os](const char *name, long long value, long long fallback) {
        if (value != fallback)
        {
            os << name << '=' << value << ' ';
        }
    };
    os << functions[c.function] << ' ';
    field("spiSpeed", c.spiSpeedKHz, d.spiSpeedKHz);
    field("polarity", c.spiPolarity, d.spiPolarity);
    field("phase", c.spiPhase, d.spiPhase);
    field("lsbFirst", c.spiDirection, d.spiDirection);
    field("address", c.i2cAddress, d.i2cAddress);
    field("i2cSpeed", c.i2cSpeedKHz, d.i2cSpeedKHz);
    field("canSpeed", c.canSpeed, d.canSpeed);
    field("txid", c.canTxid, d.canTxid);
    field("rxid", c.canRxid, d.canRxid);
    field("saiSpeed", c.saiSpeedHz, d.saiSpeedHz);
    field("port", c.gpioPort, d.gpioPort);
    field("pin", c.gpioPinNum, d.gpioPinNum);
    field("level", c.gpioLevel, d.gpioLevel);
    field("mux", c.gpioMux, d.gpioMux);
    field("clock", c.fpgaClockMhz, d.fpgaClockMhz);
    return os.str();
}

// spi, i2c, can and sai name their function before examining the words;
// gpio and clock check the word count first and change nothing.
TEST(BusPalParseTest, AcceptedWordsFillTheirFunctionsFieldsInOrderAndRefusedOnesOnlyTheFunction)
{
    struct Case
    {
        string_vector_t words;
        bool accepted;
        const char *fields;
    };
    const Case cases[] = {
        { { "spi", "1000", "0", "1", "xyz" }, true, "spi spiSpeed=1000 polarity=0 " }, // an unknown direction stops there
        { { "spiX", "250kHz", "1", "0", "lsb" }, true, "spi spiSpeed=250 phase=0 lsbFirst=1 " },
        // Only the speed is checked; polarity and phase keep the number given.
        { { "spi", "400", "2", "-1" }, true, "spi spiSpeed=400 polarity=2 phase=-1 " },
        { { "i2c", "0x3a", "400" }, true, "i2c address=58 i2cSpeed=400 " },
        { { "i2c", "91" }, true, "i2c address=17 " }, // cut to seven bits, with a note
        { { "can", "4", "7FF", "FFFF" }, true, "can txid=2047 rxid=2047 " },
        { { "can", "0", "0x1a5" }, true, "can canSpeed=0 txid=421 " },
        // A word without leading hex digits reads as 0, not as a negated number.
        { { "can", "0", "-1", "g12" }, true, "can canSpeed=0 txid=0 rxid=0 " },
        { { "sai", "44100Hz" }, true, "sai saiSpeed=44100 " },
        { { "sai", "99999999999" }, true, "sai saiSpeed=2147483647 " }, // held, not wrapped
        { { "gpio", "set", "c", "5", "1" }, true, "gpio-set port=99 pin=5 level=1 " },
        { { "gpio", "configure", "b", "260", "3" }, true, "gpio-config port=98 pin=4 mux=3 " }, // 8-bit pins
        { { "clock", "48" }, true, "clock clock=48 " },
        { { "spi", "0" }, false, "spi " },
        { { "spi", "-5" }, false, "spi " },
        { { "spi", "fast" }, false, "spi " },
        { { "i2c", "10", "0" }, false, "i2c " },
        { { "can", "5" }, false, "can " },
        { { "can", "-1" }, false, "can " },
        { { "sai", "0" }, false, "sai " },
        { { "gpio", "set", "c", "5" }, false, "none " },
        { { "gpio", "toggle", "c", "5", "1" }, false, "none " },
        { { "clock" }, false, "none " },
        { { "clock", "48", "1" }, false, "none " },
        { { "SPI", "1000" }, false, "none " },
        { {}, false, "none " },
    };
    LogCapture logger;
    for (const Case &c : cases)
    {
        BusPalConfigData config;
        EXPECT_EQ(BusPal::parse(c.words, config), c.accepted) << ::testing::PrintToString(c.words);
        EXPECT_EQ(changed(config), c.fields) << ::testing::PrintToString(c.words);
    }
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "Only 7-bit i2c address is supported, so the effective value is 0x11\n" }));
}

} // namespace
