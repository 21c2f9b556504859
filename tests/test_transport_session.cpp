#include "blfwk/Bootloader.h"

#include "blfwk/MemoryCommands.h"

#include "fake_hidapi.h"
#include "log_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <cstdlib>

using blfwk::Bootloader;
using blfwk::Peripheral;
using fakehid::hid;

namespace {

Peripheral::PeripheralConfigData usbConfig(blfwk::_host_peripheral_types type = blfwk::kHostPeripheralType_USB_HID)
{
    Peripheral::PeripheralConfigData config;
    config.peripheralType = type;
    config.usbHidVid = 0x3b7c;
    config.usbHidPid = 0x5e0d;
    config.packetTimeoutMs = 5000;
    return config;
}

class BootloaderTest : public ::testing::Test
{
protected:
    void SetUp() override { fakehid::reset(); }
};

TEST_F(BootloaderTest, ConfigReachesThePeripheralAndDeletingTheSessionClosesTheDevice)
{
    LogCapture logger;
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"A", "" });
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"B", "/dev/hidraw5" });
    Peripheral::PeripheralConfigData config = usbConfig();
    auto first = std::make_unique<Bootloader>(config);
    EXPECT_EQ(hid().opened, (std::vector<int>{ 0 }));
    first.reset();
    EXPECT_TRUE(hid().handles.empty());
    EXPECT_EQ(hid().exits, 1);

    config.usbHidSerialNumber = "B";
    Bootloader bySerial(config);
    config.usbHidSerialNumber = "A";
    config.usbPath = "/dev/hidraw5";
    Bootloader byPath(config);
    EXPECT_EQ(hid().opened, (std::vector<int>{ 0, 1, 1 })) << "a path wins over the serial number";
    EXPECT_EQ(hid().misuses, 0);
    EXPECT_EQ(Log::getLogger(), &logger) << "an installed logger is kept";
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
    EXPECT_THAT([] { Bootloader session(usbConfig(blfwk::kHostPeripheralType_SPI)); },
                ::testing::ThrowsMessage<std::runtime_error>("Error: Unsupported peripheral type(7)."));
    EXPECT_TRUE(hid().opened.empty()) << "a refused transport opens nothing";
    Logger *installed = Log::getLogger();
    ASSERT_NE(installed, nullptr);
    const string_vector_t words{ "reset" };
    blfwk::Reset reset(&words);
    Bootloader(usbConfig()).inject(reset);
    EXPECT_EQ(Log::getLogger(), installed) << "the file logger outlives the sessions";
    Log::setLogger(nullptr);
    delete installed;

    // The injected command went out in one report, and its duration follows.
    std::ifstream file("bootloader.log");
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_THAT(content.str(),
                ::testing::MatchesRegex("\\[01 00 04 00 0b 00 00 00\\]\n.*\n  - took [0-9]+\\.[0-9]{3} seconds\n"));
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(scratch);
}

} // namespace
