#include "blfwk/Bootloader.h"

#include "blfwk/Command.h"
#include "blfwk/UsbHidPacketizer.h"

#include "fake_hidapi.h"
#include "test_transport_logger.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

using blfwk::Bootloader;
using blfwk::Peripheral;

namespace {

//! Sends one fixed packet; stands in for a real command.
class SendOnePacket : public blfwk::Command
{
public:
    SendOnePacket()
        : blfwk::Command("reset")
    {
    }
    void sendTo(blfwk::Packetizer &packetizer) override
    {
        const uint8_t packet[] = { 0x0b, 0, 0, 0 };
        status = packetizer.writePacket(packet, sizeof(packet), blfwk::kPacketType_Command);
    }
    status_t status = -1;
};

Peripheral::PeripheralConfigData usbConfig()
{
    Peripheral::PeripheralConfigData config;
    config.peripheralType = blfwk::kHostPeripheralType_USB_HID;
    config.usbHidVid = 0x3b7c;
    config.usbHidPid = 0x5e0d;
    config.packetTimeoutMs = 5000;
    return config;
}

//! "  - took S.mmm seconds\n" with whole seconds and three decimals.
bool isDurationLine(const std::string &text)
{
    const std::string head = "  - took ";
    const std::string tail = " seconds\n";
    if (text.size() <= head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
    {
        return false;
    }
    std::string number = text.substr(head.size(), text.size() - head.size() - tail.size());
    size_t dot = number.find('.');
    if (dot == std::string::npos || dot == 0 || number.size() - dot - 1 != 3)
    {
        return false;
    }
    number.erase(dot, 1);
    return number.find_first_not_of("0123456789") == std::string::npos;
}

std::string constructionError(const Peripheral::PeripheralConfigData &config)
{
    try
    {
        Bootloader session(config);
    }
    catch (const std::runtime_error &e)
    {
        return e.what();
    }
    return "(constructed)";
}

//! Runs a test in a fresh current directory, so that the fallback log file of
//! one test process never meets that of another.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        char pattern[] = "/tmp/transport-session-XXXXXX";
        if (mkdtemp(pattern) && getcwd(m_previous, sizeof(m_previous)) && chdir(pattern) == 0)
        {
            m_path = pattern;
        }
    }
    ~ScratchDirectory()
    {
        if (!m_path.empty() && chdir(m_previous) == 0)
        {
            std::remove((m_path + "/bootloader.log").c_str());
            rmdir(m_path.c_str());
        }
    }
    bool ok() const { return !m_path.empty(); }

private:
    char m_previous[4096] = {};
    std::string m_path;
};

class BootloaderTest : public ::testing::Test
{
protected:
    void SetUp() override { fakehid::reset(); }
    void TearDown() override { fakehid::reset(); }
};

TEST_F(BootloaderTest, OtherTransportsAreRefusedBeforeAnyDeviceIsOpened)
{
    RecordingLogger logger;
    fakehid::addDevice(0x3b7c, 0x5e0d);
    Peripheral::PeripheralConfigData config = usbConfig();
    config.peripheralType = blfwk::kHostPeripheralType_UART;
    EXPECT_EQ(constructionError(config), "Error: Unsupported peripheral type(1).");
    config.peripheralType = blfwk::kHostPeripheralType_BUSPAL_UART;
    EXPECT_EQ(constructionError(config), "Error: Unsupported peripheral type(2).");
    EXPECT_TRUE(fakehid::openCalls().empty());
}

TEST_F(BootloaderTest, OpensTheFirstDeviceWithTheIdsWhenNoSerialOrPathIsGiven)
{
    RecordingLogger logger;
    fakehid::addDevice(0x3b7c, 0x5e0d, L"A");
    fakehid::addDevice(0x3b7c, 0x5e0d, L"B");
    Bootloader session(usbConfig());
    ASSERT_EQ(fakehid::openCalls().size(), 1u);
    EXPECT_FALSE(fakehid::openCalls()[0].serialGiven);
    EXPECT_EQ(fakehid::openCalls()[0].openedDevice, 0);
    ASSERT_NE(session.getPacketizer(), nullptr);
    EXPECT_EQ(session.getPacketizer()->getPeripheral()->get_type(), blfwk::kHostPeripheralType_USB_HID);
    EXPECT_EQ(Log::getLogger(), &logger) << "an installed logger is kept";
}

TEST_F(BootloaderTest, SerialNumberAndPathReachThePeripheral)
{
    RecordingLogger logger;
    fakehid::addDevice(0x3b7c, 0x5e0d, L"A");
    int second = fakehid::addDevice(0x3b7c, 0x5e0d, L"B", "/dev/hidraw5");
    Peripheral::PeripheralConfigData config = usbConfig();
    config.usbHidSerialNumber = "B";
    {
        Bootloader session(config);
        EXPECT_EQ(fakehid::openCalls().back().openedDevice, second);
    }
    config.usbPath = "/dev/hidraw5";
    Bootloader session(config);
    EXPECT_TRUE(fakehid::openCalls().back().byPath);
    EXPECT_EQ(fakehid::openCalls().back().openedDevice, second);
}

TEST_F(BootloaderTest, MissingDeviceErrorPassesThroughUnchanged)
{
    RecordingLogger logger;
    EXPECT_EQ(constructionError(usbConfig()),
              "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=).");
    EXPECT_EQ(fakehid::openHandles(), 0);
}

TEST_F(BootloaderTest, DeletingTheSessionClosesTheDeviceForTheNextOne)
{
    RecordingLogger logger;
    fakehid::addDevice(0x3b7c, 0x5e0d);
    auto first = std::make_unique<Bootloader>(usbConfig());
    EXPECT_EQ(fakehid::openHandles(), 1);
    first->flush();
    first.reset();
    EXPECT_EQ(fakehid::openHandles(), 0);
    EXPECT_EQ(fakehid::closeCount(), 1);

    Bootloader second(usbConfig());
    EXPECT_EQ(fakehid::openHandles(), 1);
    EXPECT_EQ(fakehid::misuseCount(), 0);
}

TEST_F(BootloaderTest, InjectRunsTheCommandAndLogsItsDuration)
{
    RecordingLogger logger(Logger::kDebug);
    fakehid::addDevice(0x3b7c, 0x5e0d);
    Bootloader session(usbConfig());
    SendOnePacket command;
    session.inject(command);

    EXPECT_EQ(command.status, kStatus_Success);
    ASSERT_EQ(fakehid::writtenReports().size(), 1u);
    EXPECT_EQ(fakehid::writtenReports()[0], (fakehid::Bytes{ 0x01, 0x00, 0x04, 0x00, 0x0b, 0x00, 0x00, 0x00 }));
    ASSERT_EQ(logger.texts.size(), 1u);
    EXPECT_TRUE(isDurationLine(logger.texts[0])) << logger.texts[0];
}

TEST_F(BootloaderTest, WithoutAnyLoggerTheSessionLogsEverythingToAFile)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.ok());
    Log::setLogger(nullptr);
    fakehid::addDevice(0x3b7c, 0x5e0d);
    {
        Bootloader session(usbConfig());
        SendOnePacket command;
        session.inject(command);
    }
    std::unique_ptr<Logger> installed(Log::getLogger());
    ASSERT_NE(installed, nullptr) << "the file logger outlives the session";
    EXPECT_EQ(installed->getFilterLevel(), Logger::kDebug2);
    Log::setLogger(nullptr);
    installed.reset();

    std::ifstream file("bootloader.log");
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str().rfind("[01 00 04 00 0b 00 00 00]\n", 0), 0u) << content.str();
    EXPECT_NE(content.str().find("  - took "), std::string::npos);
}

TEST_F(BootloaderTest, RefusedTransportStillInstallsTheFallbackLogger)
{
    ScratchDirectory scratch;
    ASSERT_TRUE(scratch.ok());
    Log::setLogger(nullptr);
    Peripheral::PeripheralConfigData config = usbConfig();
    config.peripheralType = blfwk::kHostPeripheralType_SPI;
    EXPECT_EQ(constructionError(config), "Error: Unsupported peripheral type(7).");
    std::unique_ptr<Logger> installed(Log::getLogger());
    Log::setLogger(nullptr);
    EXPECT_NE(installed, nullptr);
}

} // namespace
