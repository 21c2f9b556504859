#include "blfwk/UsbHidPeripheral.h"

#include "fake_hidapi.h"
#include "log_capture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using blfwk::UsbHidPeripheral;
using fakehid::hid;

namespace {

const std::string kClassId = "#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::function<void()> opening(uint16_t vid, uint16_t pid, const std::string &sn, const std::string &path)
{
    return [=] { UsbHidPeripheral peripheral(vid, pid, sn, path); };
}

auto failsWith(const std::string &details)
{
    return ::testing::ThrowsMessage<std::runtime_error>("Error: UsbHidPeripheral() cannot open USB HID device " +
                                                        details);
}

class UsbHidPeripheralTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fakehid::reset();
        hid().devices.push_back({ 0x3b7c, 0x5e0d, L"SN0", "" });
    }
    uint8_t buffer[64] = {};
};

TEST(UsbHidPathTest, WindowsPathsAreNormalisedAndOthersPassUnchanged)
{
    const std::string full = "\\\\?\\hid#vid_3b7c&pid_5e0d#7&1a2b&0&0000" + kClassId;
    EXPECT_EQ(UsbHidPeripheral::devicePath(full), full);
    EXPECT_EQ(UsbHidPeripheral::devicePath("HID\\VID_3B7C&PID_5E0D"), "\\\\.\\HID#VID_3B7C&PID_5E0D" + kClassId);
    // The prefix keeps its backslashes; a class identifier that does not end
    // the path does not count.
    EXPECT_EQ(UsbHidPeripheral::windowsInterfacePath("\\\\.\\a" + kClassId + "\\b"),
              "\\\\.\\a" + kClassId + "#b" + kClassId);
}

TEST_F(UsbHidPeripheralTest, OpensByPathOrByIdsWithAnExactSerialNumber)
{
    hid().devices.push_back({ 1, 2, L"", "\\\\.\\HID#VID_3B7C" + kClassId });
    hid().devices.push_back({ 3, 4, L"", "/dev/hidraw3" });
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"1234", "" });
    hid().devices.push_back({ 0x3b7c, 0x5e0d, L"123", "" });
    UsbHidPeripheral byWindowsPath(1, 2, "", "HID\\VID_3B7C");
    UsbHidPeripheral byLinuxPath(3, 4, "", "/dev/hidraw3");
    // An empty serial number is passed as none, so that it matches any device.
    UsbHidPeripheral any(0x3b7c, 0x5e0d, "", "");
    UsbHidPeripheral exact(0x3b7c, 0x5e0d, "123", "");
    EXPECT_EQ(hid().opened, (std::vector<int>{ 1, 2, 0, 4 }));
    EXPECT_EQ(exact.getSerialNumber(), L"123");
    EXPECT_EQ(exact.get_type(), blfwk::kHostPeripheralType_USB_HID);
}

TEST_F(UsbHidPeripheralTest, OpenFailuresThrowTheirCompleteMessages)
{
    EXPECT_THAT(opening(0x3b7c, 0x5e0d, "12", ""), failsWith("(vid=0x3b7c, pid=0x5e0d, sn=12)."));
    EXPECT_THAT(opening(0x3b, 0xd, "", ""), failsWith("(vid=0x003b, pid=0x000d, sn=)."));
    EXPECT_THAT(opening(1, 2, "", "HID\\x"), failsWith("(path=HID\\x)."));
    // Longer than a formatted text may be: the message must not be lost.
    const std::string longPath = "/dev/" + std::string(700, 'x');
    EXPECT_THAT(opening(1, 2, "", longPath), failsWith("(path=" + longPath + ")."));
    EXPECT_TRUE(hid().handles.empty());
}

// The dump of a written report is checked with the session's fallback log.
TEST_F(UsbHidPeripheralTest, ReadOutcomesMapToStatusAndCountAndAreDumpedOnePiecePerLogCallOnlyAtDebug2)
{
    UsbHidPeripheral peripheral(0x3b7c, 0x5e0d, "", "");
    hid().input = { fakehid::Bytes{ 3, 0, 0, 0 }, fakehid::Bytes{}, fakehid::Bytes{ 3, 0, 0 },
                    fakehid::Bytes{ 3, 0, 1, 0, 0xaa }, std::nullopt };
    {
        LogCapture quiet(Logger::kDebug);
        peripheral.read(buffer, sizeof(buffer), nullptr, 250);
        EXPECT_TRUE(quiet.texts.empty());
    }
    LogCapture logger(Logger::kDebug2);
    uint32_t count = 77;
    EXPECT_EQ(peripheral.read(buffer, sizeof(buffer), &count, 250), kStatus_Timeout);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(peripheral.read(buffer, sizeof(buffer), &count, 250), kStatus_Timeout) << "less than a header";
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(peripheral.read(buffer, sizeof(buffer), nullptr, 250), kStatus_Success);
    EXPECT_EQ(peripheral.read(buffer, sizeof(buffer), &count, 250), kStatus_Fail);
    EXPECT_EQ(count, 0xffffffffu);
    EXPECT_EQ(hid().reads[0].length, sizeof(buffer));
    EXPECT_EQ(hid().reads[0].milliseconds, 250);
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "<", ">\n", "<", "03", " ", "00", " ", "00", ">\n", "<", "03", " ", "00", " ",
                                         "01", " ", "00", " ", "aa", ">\n", "<", ">\n" }));

    // hidapi blocks for ever on a negative time-out.
    peripheral.read(buffer, sizeof(buffer), nullptr, 0xffffffffu);
    EXPECT_GT(hid().reads.back().milliseconds, 0);
}

TEST_F(UsbHidPeripheralTest, FailedWriteLogsTheLibraryErrorText)
{
    UsbHidPeripheral peripheral(0x3b7c, 0x5e0d, "", "");
    LogCapture logger;
    const uint8_t report[] = { 0x02, 0x00, 0x00, 0x00 };

    hid().failingWrites = 1;
    hid().writeError = L"caf\u00e9 %s";
    EXPECT_EQ(peripheral.write(report, sizeof(report), 1000), kStatus_Fail);
    ASSERT_EQ(logger.texts.size(), 1u);
    EXPECT_EQ(logger.texts[0].substr(0, 3), "caf") << "an unconvertible character must not lose the text";
    EXPECT_EQ(logger.texts[0].substr(logger.texts[0].size() - 3), " %s") << "the text is not used as a format";

    hid().failingWrites = 1;
    hid().writeError = nullptr;
    EXPECT_EQ(peripheral.write(report, sizeof(report), 1000), kStatus_Fail);
    EXPECT_EQ(logger.texts.size(), 1u);
    EXPECT_TRUE(hid().writes.empty());
}

} // namespace
