#include "blfwk/UsbHidPeripheral.h"

#include "fake_hidapi.h"
#include "test_transport_logger.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using blfwk::UsbHidPeripheral;

namespace {

const char kClassId[] = "#{4d1e55b2-f16f-11cf-88cb-001111000030}";

class UsbHidPeripheralTest : public ::testing::Test
{
protected:
    void SetUp() override { fakehid::reset(); }
    void TearDown() override { fakehid::reset(); }

    std::unique_ptr<UsbHidPeripheral> openDefault()
    {
        fakehid::addDevice(0x3b7c, 0x5e0d);
        return std::make_unique<UsbHidPeripheral>(0x3b7c, 0x5e0d, "", "");
    }

    static std::string openError(uint16_t vid, uint16_t pid, const std::string &sn, const std::string &path)
    {
        try
        {
            UsbHidPeripheral peripheral(vid, pid, sn, path);
        }
        catch (const std::runtime_error &e)
        {
            return e.what();
        }
        return "(opened)";
    }
};

TEST(UsbHidPathTest, FullInterfacePathIsKeptAsGiven)
{
    const std::string path = std::string("\\\\?\\hid#vid_3b7c&pid_5e0d#7&1a2b&0&0000") + kClassId;
    EXPECT_EQ(UsbHidPeripheral::windowsInterfacePath(path), path);
    EXPECT_EQ(UsbHidPeripheral::devicePath(path), path);
}

TEST(UsbHidPathTest, InstanceIdGetsPrefixHashesAndClassId)
{
    EXPECT_EQ(UsbHidPeripheral::windowsInterfacePath("HID\\VID_3B7C"),
              std::string("\\\\.\\HID#VID_3B7C") + kClassId);
    EXPECT_EQ(UsbHidPeripheral::devicePath("HID\\VID_3B7C&PID_5E0D\\7&1a2b"),
              std::string("\\\\.\\HID#VID_3B7C&PID_5E0D#7&1a2b") + kClassId);
}

TEST(UsbHidPathTest, PrefixKeepsItsBackslashesAndMisplacedClassIdIsAppended)
{
    const std::string middle = std::string("\\\\.\\a") + kClassId + "\\b";
    EXPECT_EQ(UsbHidPeripheral::windowsInterfacePath(middle), std::string("\\\\.\\a") + kClassId + "#b" + kClassId);
}

TEST(UsbHidPathTest, LinuxPathsPassUnchanged)
{
    EXPECT_EQ(UsbHidPeripheral::devicePath("/dev/hidraw3"), "/dev/hidraw3");
    EXPECT_EQ(UsbHidPeripheral::devicePath("1-2:1.0"), "1-2:1.0");
}

TEST_F(UsbHidPeripheralTest, LinuxPathReachesOpenPathUnchangedAndFieldKeepsIt)
{
    fakehid::addDevice(1, 2, L"", "/dev/hidraw3");
    UsbHidPeripheral peripheral(1, 2, "", "/dev/hidraw3");
    ASSERT_EQ(fakehid::openCalls().size(), 1u);
    EXPECT_TRUE(fakehid::openCalls()[0].byPath);
    EXPECT_EQ(fakehid::openCalls()[0].path, "/dev/hidraw3");
    EXPECT_EQ(peripheral.get_type(), blfwk::kHostPeripheralType_USB_HID);
}

TEST_F(UsbHidPeripheralTest, WindowsInstancePathReachesOpenPathNormalised)
{
    const std::string normalised = std::string("\\\\.\\HID#VID_3B7C") + kClassId;
    fakehid::addDevice(1, 2, L"", normalised);
    UsbHidPeripheral peripheral(1, 2, "", "HID\\VID_3B7C");
    ASSERT_EQ(fakehid::openCalls().size(), 1u);
    EXPECT_EQ(fakehid::openCalls()[0].path, normalised);
}

TEST_F(UsbHidPeripheralTest, EmptySerialOpensAnyDeviceByPassingNoSerial)
{
    fakehid::addDevice(0x3b7c, 0x1111);
    int wanted = fakehid::addDevice(0x3b7c, 0x5e0d, L"999");
    UsbHidPeripheral peripheral(0x3b7c, 0x5e0d, "", "");
    ASSERT_EQ(fakehid::openCalls().size(), 1u);
    const fakehid::OpenCall &call = fakehid::openCalls()[0];
    EXPECT_FALSE(call.byPath);
    EXPECT_FALSE(call.serialGiven);
    EXPECT_EQ(call.vendorId, 0x3b7c);
    EXPECT_EQ(call.productId, 0x5e0d);
    EXPECT_EQ(call.openedDevice, wanted);
}

TEST_F(UsbHidPeripheralTest, SerialNumberOpensOnlyTheExactMatch)
{
    fakehid::addDevice(0x3b7c, 0x5e0d, L"1234");
    int wanted = fakehid::addDevice(0x3b7c, 0x5e0d, L"123");
    UsbHidPeripheral peripheral(0x3b7c, 0x5e0d, "123", "");
    EXPECT_EQ(fakehid::openCalls()[0].serialNumber, L"123");
    EXPECT_EQ(fakehid::openCalls()[0].openedDevice, wanted);
    EXPECT_EQ(peripheral.getSerialNumber(), L"123");
    EXPECT_EQ(peripheral.getVendorId(), 0x3b7c);
    EXPECT_EQ(peripheral.getProductId(), 0x5e0d);
}

TEST_F(UsbHidPeripheralTest, OpenFailuresThrowTheirCompleteMessages)
{
    fakehid::addDevice(0x3b7c, 0x5e0d, L"1234");
    EXPECT_EQ(openError(0x3b7c, 0x5e0d, "12", ""),
              "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=12).");
    EXPECT_EQ(openError(0x3b, 0xd, "", ""),
              "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x003b, pid=0x000d, sn=).");
    EXPECT_EQ(openError(1, 2, "", "/dev/hidraw9"),
              "Error: UsbHidPeripheral() cannot open USB HID device (path=/dev/hidraw9).");
    EXPECT_EQ(fakehid::openHandles(), 0);
}

TEST_F(UsbHidPeripheralTest, OverlongPathStillGivesTheWholeMessage)
{
    const std::string path = "/dev/" + std::string(700, 'x');
    EXPECT_EQ(openError(1, 2, "", path), "Error: UsbHidPeripheral() cannot open USB HID device (path=" + path + ").");
}

TEST_F(UsbHidPeripheralTest, ReadOutcomesMapToStatusAndCount)
{
    auto peripheral = openDefault();
    uint8_t buffer[64] = {};
    uint32_t count = 77;

    fakehid::queueTimeout();
    EXPECT_EQ(peripheral->read(buffer, sizeof(buffer), &count, 250), kStatus_Timeout);
    EXPECT_EQ(count, 0u);

    fakehid::queueReport({ 3, 0, 0 });
    EXPECT_EQ(peripheral->read(buffer, sizeof(buffer), &count, 250), kStatus_Timeout) << "less than a header";
    EXPECT_EQ(count, 3u);

    fakehid::queueReport({ 3, 0, 1, 0, 0xaa });
    EXPECT_EQ(peripheral->read(buffer, sizeof(buffer), &count, 250), kStatus_Success);
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(buffer[4], 0xaa);

    fakehid::queueReadFailure();
    EXPECT_EQ(peripheral->read(buffer, sizeof(buffer), &count, 250), kStatus_Fail);
    EXPECT_EQ(count, 0xffffffffu);

    fakehid::queueReport({ 3, 0, 0, 0 });
    EXPECT_EQ(peripheral->read(buffer, sizeof(buffer), nullptr, 250), kStatus_Success) << "count pointer may be null";

    ASSERT_EQ(fakehid::readCalls().size(), 5u);
    EXPECT_EQ(fakehid::readCalls()[0].length, sizeof(buffer));
    EXPECT_EQ(fakehid::readCalls()[0].milliseconds, 250);
}

TEST_F(UsbHidPeripheralTest, HugeTimeoutDoesNotBecomeAnEndlessWait)
{
    auto peripheral = openDefault();
    uint8_t buffer[8];
    peripheral->read(buffer, sizeof(buffer), nullptr, 0xffffffffu);
    ASSERT_EQ(fakehid::readCalls().size(), 1u);
    EXPECT_GT(fakehid::readCalls()[0].milliseconds, 0);
}

TEST_F(UsbHidPeripheralTest, WriteAtDebug2DumpsOnePiecePerLogCall)
{
    auto peripheral = openDefault();
    RecordingLogger logger(Logger::kDebug2);
    const uint8_t report[] = { 0x01, 0x00, 0x00, 0x00 };
    EXPECT_EQ(peripheral->write(report, sizeof(report), 1000), kStatus_Success);
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "[", "01", " ", "00", " ", "00", " ", "00", "]\n" }));
    ASSERT_EQ(fakehid::writtenReports().size(), 1u);
    EXPECT_EQ(fakehid::writtenReports()[0], fakehid::Bytes(report, report + 4));
}

TEST_F(UsbHidPeripheralTest, ReadAtDebug2DumpsReceivedBytesOnly)
{
    auto peripheral = openDefault();
    RecordingLogger logger(Logger::kDebug2);
    uint8_t buffer[64];
    fakehid::queueReport({ 0x03, 0x00, 0x0c, 0xab });
    peripheral->read(buffer, sizeof(buffer), nullptr, 10);
    EXPECT_EQ(logger.joined(), "<03 00 0c ab>\n");
    EXPECT_EQ(logger.texts.size(), 9u);

    logger.texts.clear();
    fakehid::queueTimeout();
    peripheral->read(buffer, sizeof(buffer), nullptr, 10);
    fakehid::queueReadFailure();
    peripheral->read(buffer, sizeof(buffer), nullptr, 10);
    EXPECT_EQ(logger.joined(), "<>\n<>\n");
}

TEST_F(UsbHidPeripheralTest, TrafficIsNotDumpedBelowDebug2)
{
    auto peripheral = openDefault();
    RecordingLogger logger(Logger::kDebug);
    const uint8_t report[] = { 0x01, 0x00, 0x00, 0x00 };
    peripheral->write(report, sizeof(report), 1000);
    fakehid::queueReport({ 3, 0, 0, 0 });
    uint8_t buffer[8];
    peripheral->read(buffer, sizeof(buffer), nullptr, 10);
    EXPECT_TRUE(logger.texts.empty());
}

TEST_F(UsbHidPeripheralTest, FailedWriteLogsTheLibraryErrorText)
{
    auto peripheral = openDefault();
    RecordingLogger logger;
    const uint8_t report[] = { 0x02, 0x00, 0x00, 0x00 };

    fakehid::failWrites(1, L"device disconnected");
    EXPECT_EQ(peripheral->write(report, sizeof(report), 1000), kStatus_Fail);
    EXPECT_EQ(logger.texts, (std::vector<std::string>{ "device disconnected" }));

    logger.texts.clear();
    fakehid::failWrites(1, L"caf\u00e9 %s");
    EXPECT_EQ(peripheral->write(report, sizeof(report), 1000), kStatus_Fail);
    ASSERT_EQ(logger.texts.size(), 1u);
    EXPECT_EQ(logger.texts[0].substr(0, 3), "caf") << "an unconvertible character must not lose the text";
    EXPECT_EQ(logger.texts[0].substr(logger.texts[0].size() - 3), " %s") << "the text is not used as a format";

    logger.texts.clear();
    fakehid::failWrites(1, nullptr);
    EXPECT_EQ(peripheral->write(report, sizeof(report), 1000), kStatus_Fail);
    EXPECT_TRUE(logger.texts.empty());
    EXPECT_TRUE(fakehid::writtenReports().empty());
}

TEST_F(UsbHidPeripheralTest, DestructorClosesTheDeviceAndReleasesTheLibrary)
{
    auto peripheral = openDefault();
    EXPECT_EQ(fakehid::openHandles(), 1);
    peripheral.reset();
    EXPECT_EQ(fakehid::openHandles(), 0);
    EXPECT_EQ(fakehid::closeCount(), 1);
    EXPECT_EQ(fakehid::exitCount(), 1);
    EXPECT_EQ(fakehid::misuseCount(), 0);
}

} // namespace
