#include "blfwk/Bootloader.h"

#include "blfwk/Command.h"

#include "fake_hidapi.h"
#include "log_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <cstdlib>

using blfwk::Bootloader;
using blfwk::Peripheral;
using fakehid::hid;

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

Peripheral::PeripheralConfigData usbConfig(blfwk::_host_peripheral_types type = blfwk::kHostPeripheralType_USB_HID)
{
    Peripheral::PeripheralConfigData config;
    config.peripheralType = type;
    config.usbHidVid = 0x3b7c;
    config.usbHidPid = 0x5e0d;
    config.packetTimeoutMs = 5000;
    return config;
}

std::string constructionError(const Peripheral::PeripheralConfigData &config)
{
    return errorText([&] { Bootloader session(config); });
}

class BootloaderTest : public ::testing::Test
{
protected:
    void SetUp() override { fakehid::reset(); }
    void TearDown() override { fakehid::reset(); }
};

TEST_F(BootloaderTest, ConstructionFailuresThrowTheirMessagesAndOpenNothing)
{
    LogCapture logger;
    EXPECT_EQ(constructionError(usbConfig()),
              "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=).");
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"", "" });
    hid().opens.clear();
    EXPECT_EQ(constructionError(usbConfig(blfwk::kHostPeripheralType_UART)), "Error: Unsupported peripheral type(1).");
    EXPECT_EQ(constructionError(usbConfig(blfwk::kHostPeripheralType_BUSPAL_UART)),
              "Error: Unsupported peripheral type(2).");
    EXPECT_TRUE(hid().opens.empty());
    EXPECT_TRUE(hid().handles.empty());
}

TEST_F(BootloaderTest, ConfigReachesThePeripheralAndDeletingTheSessionClosesTheDevice)
{
    LogCapture logger;
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"A", "" });
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"B", "/dev/hidraw5" });
    Peripheral::PeripheralConfigData config = usbConfig();
    auto first = std::make_unique<Bootloader>(config);
    EXPECT_FALSE(hid().opens[0].serialGiven);
    EXPECT_EQ(hid().opens[0].openedDevice, 0);
    EXPECT_EQ(first->getPacketizer()->getPeripheral()->get_type(), blfwk::kHostPeripheralType_USB_HID);
    first->flush();
    EXPECT_EQ(hid().handles.size(), 1u);
    first.reset();
    EXPECT_TRUE(hid().handles.empty());
    EXPECT_EQ(hid().exits, 1);

    config.usbHidSerialNumber = "B";
    Bootloader bySerial(config);
    EXPECT_EQ(hid().opens[1].openedDevice, 1);
    config.usbPath = "/dev/hidraw5";
    Bootloader byPath(config);
    EXPECT_EQ(hid().opens[2].path, "/dev/hidraw5");
    EXPECT_EQ(hid().handles.size(), 2u);
    EXPECT_EQ(hid().misuses, 0);
    EXPECT_EQ(Log::getLogger(), &logger) << "an installed logger is kept";
}

TEST_F(BootloaderTest, InjectRunsTheCommandAndLogsItsDuration)
{
    LogCapture logger(Logger::kDebug);
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"", "" });
    Bootloader session(usbConfig());
    SendOnePacket command;
    session.inject(command);

    EXPECT_EQ(command.status, kStatus_Success);
    ASSERT_EQ(hid().writes.size(), 1u);
    EXPECT_EQ(hid().writes[0], (fakehid::Bytes{ 0x01, 0x00, 0x04, 0x00, 0x0b, 0x00, 0x00, 0x00 }));
    ASSERT_EQ(logger.texts.size(), 1u);
    EXPECT_THAT(logger.texts[0], ::testing::MatchesRegex("  - took [0-9]+\\.[0-9]{3} seconds\n"));
}

TEST_F(BootloaderTest, WithoutAnyLoggerAFileLoggerIsInstalledEvenForARefusedTransport)
{
    // A directory of its own, so that parallel test processes keep their
    // fallback log files apart.
    char scratch[] = "/tmp/transport-session-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(scratch);
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"", "" });

    Log::setLogger(nullptr);
    EXPECT_EQ(constructionError(usbConfig(blfwk::kHostPeripheralType_SPI)), "Error: Unsupported peripheral type(7).");
    Logger *installed = Log::getLogger();
    ASSERT_NE(installed, nullptr);
    EXPECT_EQ(installed->getFilterLevel(), Logger::kDebug2);
    {
        Bootloader session(usbConfig());
        SendOnePacket command;
        session.inject(command);
    }
    EXPECT_EQ(Log::getLogger(), installed) << "the file logger outlives the sessions";
    Log::setLogger(nullptr);
    delete installed;

    std::ifstream file("bootloader.log");
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str().rfind("[01 00 04 00 0b 00 00 00]\n  - took ", 0), 0u) << content.str();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(scratch);
}

} // namespace
