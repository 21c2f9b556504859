#include "blfwk/UsbHidPacketizer.h"

#include "fake_hidapi.h"
#include "test_transport_logger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using blfwk::UsbHidPacketizer;
using blfwk::UsbHidPeripheral;
using fakehid::Bytes;

namespace {

const uint32_t kPacketTimeoutMs = 700;

//! A report as the target would send it: header, payload, then zeros up to
//! @a reportSize when that is larger.
Bytes report(uint8_t id, uint32_t announced, const Bytes &payload = {}, size_t reportSize = 0)
{
    Bytes bytes(std::max(reportSize, 4 + payload.size()), 0);
    bytes[0] = id;
    bytes[2] = static_cast<uint8_t>(announced & 0xff);
    bytes[3] = static_cast<uint8_t>(announced >> 8);
    std::copy(payload.begin(), payload.end(), bytes.begin() + 4);
    return bytes;
}

class UsbHidPacketizerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fakehid::reset();
        fakehid::addDevice(0x3b7c, 0x5e0d);
        packetizer = std::make_unique<UsbHidPacketizer>(new UsbHidPeripheral(0x3b7c, 0x5e0d, "", ""),
                                                        kPacketTimeoutMs);
    }
    void TearDown() override
    {
        packetizer.reset();
        fakehid::reset();
    }

    status_t read(blfwk::packet_type_t type = blfwk::kPacketType_Command)
    {
        return packetizer->readPacket(&packet, &length, type);
    }

    status_t writeCommand()
    {
        const uint8_t command[] = { 0x0b, 0, 0, 0 };
        return packetizer->writePacket(command, sizeof(command), blfwk::kPacketType_Command);
    }

    RecordingLogger logger;
    std::unique_ptr<UsbHidPacketizer> packetizer;
    uint8_t *packet = nullptr;
    uint32_t length = 0;
};

TEST_F(UsbHidPacketizerTest, WritesFrameEachPacketInOneReport)
{
    EXPECT_EQ(packetizer->writePacket(nullptr, 0, blfwk::kPacketType_Command), kStatus_Success);

    Bytes data(300);
    for (size_t i = 0; i < data.size(); ++i)
    {
        data[i] = static_cast<uint8_t>(i * 7);
    }
    EXPECT_EQ(packetizer->writePacket(data.data(), 300, blfwk::kPacketType_Data), kStatus_Success);

    ASSERT_EQ(fakehid::writtenReports().size(), 2u);
    EXPECT_EQ(fakehid::writtenReports()[0], (Bytes{ 0x01, 0x00, 0x00, 0x00 }));
    EXPECT_EQ(fakehid::writtenReports()[1], report(0x02, 300, data));
    EXPECT_EQ(fakehid::writtenReports()[1][3], 0x01);
    EXPECT_EQ(fakehid::writtenReports()[1][2], 0x2c);
}

TEST_F(UsbHidPacketizerTest, LargestPacketIsSentAndALargerOneRefused)
{
    EXPECT_EQ(packetizer->getMaxPacketSize(), 8192u);
    Bytes data(8193, 0x5a);
    EXPECT_EQ(packetizer->writePacket(data.data(), 8192, blfwk::kPacketType_Data), kStatus_Success);
    ASSERT_EQ(fakehid::writtenReports().size(), 1u);
    EXPECT_EQ(fakehid::writtenReports()[0].size(), 8196u);

    EXPECT_EQ(packetizer->writePacket(data.data(), 8193, blfwk::kPacketType_Data), kStatus_Fail);
    EXPECT_EQ(fakehid::writtenReports().size(), 1u);
    EXPECT_TRUE(logger.contains("Data packet size(8193) is bigger than max supported size(8192)."));
}

TEST_F(UsbHidPacketizerTest, UnknownPacketTypeFailsBothWays)
{
    const auto bogus = static_cast<blfwk::packet_type_t>(7);
    fakehid::queueReport(report(0x03, 0));
    EXPECT_EQ(packetizer->writePacket(nullptr, 0, bogus), kStatus_Fail);
    EXPECT_EQ(read(bogus), kStatus_Fail);
    EXPECT_EQ(logger.texts, (std::vector<std::string>{ "usbhid: unsupported packet type 7\n",
                                                       "usbhid: unsupported packet type 7\n" }));
    EXPECT_TRUE(fakehid::writtenReports().empty());
    EXPECT_EQ(fakehid::pendingInput(), 1u);
}

TEST_F(UsbHidPacketizerTest, ResponseIsReadInPlaceAndPaddingIgnored)
{
    const Bytes response{ 0xa0, 0, 0, 2, 0, 0, 0, 0, 0x0b, 0, 0, 0 };
    fakehid::queueReport(report(0x03, 12, response, 64));
    ASSERT_EQ(read(), kStatus_Success);
    EXPECT_EQ(length, 12u);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(Bytes(packet, packet + length), response);

    ASSERT_EQ(fakehid::readCalls().size(), 1u);
    EXPECT_EQ(fakehid::readCalls()[0].length, 8196u);
    EXPECT_EQ(fakehid::readCalls()[0].milliseconds, static_cast<int>(kPacketTimeoutMs));
}

TEST_F(UsbHidPacketizerTest, TimeoutAndFailurePassUpAndClearTheOutputs)
{
    packet = reinterpret_cast<uint8_t *>(this);
    length = 99;
    fakehid::queueTimeout();
    EXPECT_EQ(read(), kStatus_Timeout);
    EXPECT_EQ(packet, nullptr);
    EXPECT_EQ(length, 0u);

    fakehid::queueReadFailure();
    EXPECT_EQ(read(blfwk::kPacketType_Data), kStatus_Fail);
}

TEST_F(UsbHidPacketizerTest, AbortReportRightAfterAWriteIsSkipped)
{
    writeCommand();
    fakehid::queueReport(report(0x03, 0, {}, 64));
    fakehid::queueReport(report(0x03, 4, { 1, 2, 3, 4 }));
    ASSERT_EQ(read(), kStatus_Success);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(packet[3], 4);
    EXPECT_TRUE(logger.contains("usbhid: received data phase abort\n"));
}

TEST_F(UsbHidPacketizerTest, AbortReportAfterAPacketEndsTheDataPhase)
{
    writeCommand();
    fakehid::queueReport(report(0x04, 2, { 9, 9 }));
    fakehid::queueReport(report(0x04, 0));
    fakehid::queueReport(report(0x04, 2, { 8, 8 }));
    ASSERT_EQ(read(blfwk::kPacketType_Data), kStatus_Success);
    ASSERT_EQ(read(blfwk::kPacketType_Data), kStatus_Success);
    EXPECT_EQ(length, 0u);
    EXPECT_NE(packet, nullptr);
    EXPECT_EQ(fakehid::pendingInput(), 1u);

    ASSERT_EQ(read(blfwk::kPacketType_Data), kStatus_Success);

    // A write starts afresh: the next abort report is skipped again.
    writeCommand();
    fakehid::queueReport(report(0x03, 0));
    fakehid::queueReport(report(0x03, 1, { 7 }));
    ASSERT_EQ(read(), kStatus_Success);
    EXPECT_EQ(length, 1u);
}

TEST_F(UsbHidPacketizerTest, FiftyAbortReportsEndTheFirstReadAfterAWrite)
{
    writeCommand();
    for (int i = 0; i < 50; ++i)
    {
        fakehid::queueReport(report(0x03, 0));
    }
    fakehid::queueReport(report(0x03, 1, { 0x42 }));
    ASSERT_EQ(read(), kStatus_Success);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(fakehid::readCalls().size(), 50u);
    EXPECT_EQ(fakehid::pendingInput(), 1u);
}

TEST_F(UsbHidPacketizerTest, MalformedReportsFailWithTheirMessages)
{
    fakehid::queueReport(report(0x04, 2, { 1, 2 }));
    EXPECT_EQ(read(), kStatus_Fail);
    EXPECT_EQ(logger.texts.back(), "usbhid: received unexpected report=4\n");

    fakehid::queueReport(report(0x03, 8193, {}, 64));
    EXPECT_EQ(read(), kStatus_Fail);
    EXPECT_EQ(logger.texts.back(), "Data packet size(8193) is bigger than max supported size(8192).");

    fakehid::queueReport(report(0x03, 32, Bytes(16, 0xee)));
    EXPECT_EQ(read(), kStatus_Fail);
    EXPECT_EQ(logger.texts.back(), "usbhid: received only 16 bytes of packet with length 32\n");

    fakehid::queueReport(report(0x03, 1, { 0x11 }));
    EXPECT_EQ(read(), kStatus_Success) << "a failure leaves nothing behind";
}

TEST_F(UsbHidPacketizerTest, AbortPollingStopsADataWriteWhenTheTargetSpeaks)
{
    const uint8_t data[] = { 1, 2, 3 };
    packetizer->setAbortEnabled(true);
    fakehid::queueReport(report(0x04, 0));
    EXPECT_EQ(packetizer->writePacket(data, sizeof(data), blfwk::kPacketType_Data), kStatus_AbortDataPhase);
    EXPECT_TRUE(fakehid::writtenReports().empty());
    EXPECT_TRUE(logger.contains("usb hid detected receiver data abort\n"));
    ASSERT_EQ(fakehid::readCalls().size(), 1u);
    EXPECT_EQ(fakehid::readCalls()[0].milliseconds, 10);
    EXPECT_EQ(fakehid::readCalls()[0].length, 8196u);

    fakehid::queueReadFailure();
    EXPECT_EQ(packetizer->writePacket(data, sizeof(data), blfwk::kPacketType_Data), kStatus_AbortDataPhase);

    EXPECT_EQ(packetizer->writePacket(data, sizeof(data), blfwk::kPacketType_Data), kStatus_Success)
        << "a silent target lets the packet go";
    EXPECT_EQ(writeCommand(), kStatus_Success);
    EXPECT_EQ(fakehid::readCalls().size(), 3u) << "command writes never poll";
    EXPECT_EQ(fakehid::writtenReports().size(), 2u);
}

TEST_F(UsbHidPacketizerTest, WithoutAbortPollingADataWriteSendsDespiteWaitingInput)
{
    const uint8_t data[] = { 1, 2, 3 };
    fakehid::queueReport(report(0x04, 0));
    EXPECT_EQ(packetizer->writePacket(data, sizeof(data), blfwk::kPacketType_Data), kStatus_Success);
    EXPECT_EQ(fakehid::writtenReports().size(), 1u);
    EXPECT_TRUE(fakehid::readCalls().empty());
}

TEST_F(UsbHidPacketizerTest, AbortPacketSendsEmptyCommandReportAndDrains)
{
    packetizer->abortPacket();
    ASSERT_EQ(fakehid::writtenReports().size(), 1u);
    EXPECT_EQ(fakehid::writtenReports()[0], (Bytes{ 0x01, 0x00, 0x00, 0x00 }));
    ASSERT_EQ(fakehid::readCalls().size(), 1u) << "a silent device ends the drain after one time-out";
    EXPECT_EQ(fakehid::readCalls()[0].milliseconds, static_cast<int>(kPacketTimeoutMs));

    fakehid::queueReport(report(0x04, 2, { 1, 2 }));
    fakehid::queueReport(report(0x03, 0));
    fakehid::queueReport(report(0x04, 1, { 3 }));
    fakehid::queueReadFailure();
    fakehid::queueReport(report(0x03, 0));
    packetizer->flushInput();
    EXPECT_EQ(fakehid::pendingInput(), 1u) << "draining stops at a failed read";
}

} // namespace
