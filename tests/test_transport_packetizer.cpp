#include "blfwk/UsbHidPacketizer.h"

#include "fake_hidapi.h"
#include "log_capture.h"
#include "packets.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using blfwk::kPacketType_Command;
using blfwk::kPacketType_Data;
using fakehid::Bytes;
using fakehid::hid;
using testpackets::report;

namespace {

const uint32_t kPacketTimeoutMs = 700;

class UsbHidPacketizerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fakehid::reset();
        hid().devices.push_back({ 0x3b7c, 0x5e0d, L"", "" });
        packetizer = std::make_unique<blfwk::UsbHidPacketizer>(
            new blfwk::UsbHidPeripheral(0x3b7c, 0x5e0d, "", ""), kPacketTimeoutMs);
    }

    status_t read(blfwk::packet_type_t type = kPacketType_Command)
    {
        return packetizer->readPacket(&packet, &length, type);
    }

    status_t write(const Bytes &bytes, blfwk::packet_type_t type = kPacketType_Command)
    {
        return packetizer->writePacket(bytes.data(), static_cast<uint32_t>(bytes.size()), type);
    }

    LogCapture logger;
    std::unique_ptr<blfwk::UsbHidPacketizer> packetizer;
    uint8_t *packet = nullptr;
    uint32_t length = 0;
};

// A larger packet would run past the report buffer.
TEST_F(UsbHidPacketizerTest, WritesEachPacketInOneReportOfAtMost8196BytesAndRefusesLargerOnesAndUnknownTypes)
{
    const Bytes data = testpackets::sequence(300);
    const auto bogus = static_cast<blfwk::packet_type_t>(7);
    hid().input = { report(0x03, 0) };
    EXPECT_EQ(write(data, kPacketType_Data), kStatus_Success);
    EXPECT_EQ(write(Bytes(8192, 0x5a), kPacketType_Data), kStatus_Success);
    EXPECT_EQ(write(Bytes(8193, 0x5a), kPacketType_Data), kStatus_Fail);
    EXPECT_EQ(packetizer->writePacket(nullptr, 0, bogus), kStatus_Fail);
    EXPECT_EQ(read(bogus), kStatus_Fail);

    ASSERT_EQ(hid().writes.size(), 2u);
    EXPECT_EQ(hid().writes[0], report(0x02, 300, data));
    EXPECT_EQ(hid().writes[1].size(), 8196u);
    EXPECT_EQ(packetizer->getMaxPacketSize(), 8192u);
    EXPECT_EQ(logger.texts,
              (std::vector<std::string>{ "Data packet size(8193) is bigger than max supported size(8192).",
                                         "usbhid: unsupported packet type 7\n",
                                         "usbhid: unsupported packet type 7\n" }));
    EXPECT_EQ(hid().input.size(), 1u);
}

TEST_F(UsbHidPacketizerTest, ReadsInPlaceIgnoringPaddingAndPassesUpTimeoutAndFailure)
{
    const Bytes response{ 0xa0, 0, 0, 2, 0, 0, 0, 0, 0x0b, 0, 0, 0 };
    hid().input = { report(0x03, 12, response, 64), Bytes{}, std::nullopt };
    ASSERT_EQ(read(), kStatus_Success);
    ASSERT_EQ(length, 12u);
    EXPECT_EQ(Bytes(packet, packet + length), response);
    EXPECT_EQ(hid().reads[0].length, 8196u);
    EXPECT_EQ(hid().reads[0].milliseconds, static_cast<int>(kPacketTimeoutMs));

    EXPECT_EQ(read(), kStatus_Timeout);
    EXPECT_EQ(packet, nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(read(kPacketType_Data), kStatus_Fail);
}

TEST_F(UsbHidPacketizerTest, AbortReportIsSkippedRightAfterAWriteAndEndsTheDataPhaseLater)
{
    write({ 0x0b, 0, 0, 0 });
    hid().input = { report(0x03, 0, {}, 64), report(0x03, 4, { 1, 2, 3, 4 }) };
    ASSERT_EQ(read(), kStatus_Success);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(packet[3], 4);
    EXPECT_EQ(logger.texts, (std::vector<std::string>{ "usbhid: received data phase abort\n" }));

    hid().input = { report(0x04, 0), report(0x04, 2, { 8, 8 }) };
    ASSERT_EQ(read(kPacketType_Data), kStatus_Success);
    EXPECT_EQ(length, 0u);
    EXPECT_NE(packet, nullptr);
    EXPECT_EQ(hid().input.size(), 1u);

    // A write starts the count afresh; at most 50 abort reports are skipped.
    write({ 0x0b, 0, 0, 0 });
    hid().reads.clear();
    hid().input.assign(50, report(0x03, 0));
    hid().input.push_back(report(0x03, 1, { 0x42 }));
    ASSERT_EQ(read(), kStatus_Success);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(hid().reads.size(), 50u);
    EXPECT_EQ(hid().input.size(), 1u);
}

TEST_F(UsbHidPacketizerTest, MalformedReportsFailWithTheirMessages)
{
    hid().input = { report(0x04, 2, { 1, 2 }), report(0x03, 8193, {}, 64), report(0x03, 32, Bytes(16, 0xee)),
                    report(0x03, 1, { 0x11 }) };
    EXPECT_EQ(read(), kStatus_Fail);
    EXPECT_EQ(logger.texts.back(), "usbhid: received unexpected report=4\n");
    EXPECT_EQ(read(), kStatus_Fail);
    EXPECT_EQ(logger.texts.back(), "Data packet size(8193) is bigger than max supported size(8192).");
    EXPECT_EQ(read(), kStatus_Fail);
    EXPECT_EQ(logger.texts.back(), "usbhid: received only 16 bytes of packet with length 32\n");
    EXPECT_EQ(read(), kStatus_Success) << "a failure leaves nothing behind";
}

TEST_F(UsbHidPacketizerTest, AbortPollingStopsADataWriteOnlyWhenOnAndTheTargetSpeaks)
{
    const Bytes data{ 1, 2, 3 };
    hid().input = { report(0x04, 0) };
    EXPECT_EQ(write(data, kPacketType_Data), kStatus_Success) << "polling is off at first";
    EXPECT_TRUE(hid().reads.empty());

    packetizer->setAbortEnabled(true);
    EXPECT_EQ(write(data, kPacketType_Data), kStatus_AbortDataPhase);
    EXPECT_EQ(logger.texts.back(), "usb hid detected receiver data abort\n");
    EXPECT_EQ(hid().reads[0].milliseconds, 10);
    EXPECT_EQ(hid().reads[0].length, 8196u);
    hid().input = { std::nullopt };
    EXPECT_EQ(write(data, kPacketType_Data), kStatus_AbortDataPhase) << "a failed poll counts as well";
    EXPECT_EQ(hid().writes.size(), 1u);

    EXPECT_EQ(write(data, kPacketType_Data), kStatus_Success) << "a silent target lets the packet go";
    EXPECT_EQ(write(data, kPacketType_Command), kStatus_Success);
    EXPECT_EQ(hid().reads.size(), 3u) << "command writes never poll";
    EXPECT_EQ(hid().writes.size(), 3u);
}

TEST_F(UsbHidPacketizerTest, AbortPacketSendsEmptyCommandReportAndDrainsUntilSilenceOrFailure)
{
    packetizer->abortPacket();
    EXPECT_EQ(hid().writes, (std::vector<Bytes>{ Bytes{ 0x01, 0x00, 0x00, 0x00 } }));
    ASSERT_EQ(hid().reads.size(), 1u) << "a silent device ends the drain after one time-out";
    EXPECT_EQ(hid().reads[0].milliseconds, static_cast<int>(kPacketTimeoutMs));

    hid().input = { report(0x04, 2, { 1, 2 }), report(0x03, 0), std::nullopt, report(0x04, 1, { 3 }), Bytes{},
                    report(0x03, 0) };
    packetizer->flushInput();
    EXPECT_EQ(hid().input.size(), 3u);
    packetizer->flushInput();
    EXPECT_EQ(hid().input.size(), 1u);
}

} // namespace
