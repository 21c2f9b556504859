#include "blfwk/DataPacket.h"

#include "fake_packetizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace blfwk;
using namespace protocol_test;

namespace {

std::vector<int> g_percentages;

void recordPercentage(int percentage, int segmentIndex, int segmentCount)
{
    EXPECT_EQ(segmentIndex, 1);
    EXPECT_EQ(segmentCount, 1);
    g_percentages.push_back(percentage);
}

//! Collects what a receiving data phase hands over.
class CollectingConsumer : public DataPacket::DataConsumer
{
public:
    void processData(const uint8_t *data, uint32_t size) override { bytes.insert(bytes.end(), data, data + size); }
    void finalize() override { ++finalizeCount; }
    Bytes bytes;
    int finalizeCount = 0;
};

//! Promises data that never comes, as an input file with a read error does.
class StuckProducer : public DataPacket::DataProducer
{
public:
    bool hasMoreData() const override { return true; }
    uint32_t getDataSize() const override { return 100; }
    uint32_t getData(uint8_t *, uint32_t) override { return 0; }
};

Bytes sequence(size_t count)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
    {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

std::string tempPath(const char *name)
{
    return ::testing::TempDir() + name;
}

void writeFile(const std::string &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DataPhaseTest : public ::testing::Test
{
protected:
    void SetUp() override { g_percentages.clear(); }
    Progress progress{ &recordPercentage, nullptr };
    FakePacketizer device;
};

} // namespace

TEST_F(DataPhaseTest, ReceivedPacketIsLoggedAsVersionLineAndReachesTheConsumer)
{
    LogCapture log;
    device.sendData({ 0x00, 0x05, 0x14, 0x00, 0x00, 0x00 });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    CollectingConsumer consumer;
    DataPacket packet(&consumer);
    uint32_t remaining = 6;
    const uint8_t *response = packet.receiveFrom(device, &remaining, &progress);

    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response[0], 0xa0);
    EXPECT_EQ(remaining, 0u);
    EXPECT_EQ(consumer.bytes, (Bytes{ 0x00, 0x05, 0x14, 0x00, 0x00, 0x00 }));
    EXPECT_EQ(consumer.finalizeCount, 1);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Version: 00 05 14 00 00 00 " }));
    EXPECT_TRUE(log.contains(Logger::kInfo, "Version: 00 05 14 00 00 00 "));
    EXPECT_EQ(g_percentages, (std::vector<int>{ 100 }));
}

TEST_F(DataPhaseTest, ReceivingReportsProgressPerPacketAndUpperCaseHex)
{
    LogCapture log;
    device.sendData({ 0xab, 0xcd, 0xef, 0x01 });
    device.sendData({ 0xfe, 0x7f });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    CollectingConsumer consumer;
    DataPacket packet(&consumer);
    uint32_t remaining = 6;
    EXPECT_NE(packet.receiveFrom(device, &remaining, &progress), nullptr);
    EXPECT_EQ(g_percentages, (std::vector<int>{ 66, 100 }));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Version: AB CD EF 01 ", "Version: FE 7F " }));
}

TEST_F(DataPhaseTest, ReceivingStopsWhenTheTargetEndsThePhaseEarly)
{
    LogCapture log;
    device.sendData({ 1, 2 });
    device.sendData({});
    device.respond(genericResponse(10201, kCommandTag_ReadMemory));

    CollectingConsumer consumer;
    DataPacket packet(&consumer);
    uint32_t remaining = 6;
    EXPECT_NE(packet.receiveFrom(device, &remaining, nullptr), nullptr);
    EXPECT_EQ(remaining, 4u);
    EXPECT_EQ(log.texts().back(), "Data phase aborted by sender\n");
    EXPECT_EQ(device.unreadCount(), 0u);
}

TEST_F(DataPhaseTest, ReceivingReadErrorFinalizesSyncsAndReadsNoResponse)
{
    LogCapture log;
    device.failRead(kPacketType_Data, kStatus_Timeout);
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    CollectingConsumer consumer;
    DataPacket packet(&consumer);
    uint32_t remaining = 6;
    EXPECT_EQ(packet.receiveFrom(device, &remaining, nullptr), nullptr);
    EXPECT_EQ(consumer.finalizeCount, 1);
    EXPECT_EQ(device.syncCount, 1);
    EXPECT_EQ(device.unreadCount(), 1u);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Read data packet error. Sending ACK.\n" }));
}

TEST_F(DataPhaseTest, ReceivingKeepsNoBytesBeyondThoseAnnounced)
{
    LogCapture log;
    device.sendData({ 1, 2, 3, 4, 5, 6, 7, 8 });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    CollectingConsumer consumer;
    DataPacket packet(&consumer);
    uint32_t remaining = 6;
    EXPECT_NE(packet.receiveFrom(device, &remaining, &progress), nullptr);
    EXPECT_EQ(remaining, 0u);
    EXPECT_EQ(consumer.bytes, (Bytes{ 1, 2, 3, 4, 5, 6 }));
    EXPECT_EQ(g_percentages, (std::vector<int>{ 100 }));
}

TEST_F(DataPhaseTest, SendingSplitsTheBlockIntoPacketsAndReportsPercentages)
{
    DataPacket::HexDataProducer producer(sequence(1000));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));

    DataPacket packet(&producer, 512);
    uint32_t written = 0;
    EXPECT_NE(packet.sendTo(device, &written, &progress), nullptr);

    const std::vector<Bytes> data = device.written(kPacketType_Data);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0].size(), 512u);
    EXPECT_EQ(data[1].size(), 488u);
    EXPECT_EQ(data[1].front(), static_cast<uint8_t>(512));
    EXPECT_EQ(written, 1000u);
    EXPECT_EQ(g_percentages, (std::vector<int>{ 51, 100 }));
}

TEST_F(DataPhaseTest, SendingWriteFailureEndsThePhaseButStillReadsTheResponse)
{
    LogCapture log;
    DataPacket::HexDataProducer producer(sequence(100));
    device.failWrite(1, kStatus_Timeout);
    device.respond(genericResponse(10202, kCommandTag_WriteMemory));

    DataPacket packet(&producer, 32);
    uint32_t written = 0;
    EXPECT_NE(packet.sendTo(device, &written, &progress), nullptr);
    EXPECT_EQ(written, 32u);
    EXPECT_EQ(device.written(kPacketType_Data).size(), 2u);
    EXPECT_EQ(g_percentages, (std::vector<int>{ 32 }));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Data phase write aborted by status 0x5 kStatus_Timeout\n" }));
}

TEST_F(DataPhaseTest, SendingEndsLikeAWriteFailureWhenNothingCanBeHandedOut)
{
    LogCapture log;
    const std::string failure = "Data phase write aborted by status 0x1 Failure.\n";

    StuckProducer stuck;
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    uint32_t written = 1;
    EXPECT_NE(DataPacket(&stuck, 32).sendTo(device, &written, nullptr), nullptr);
    EXPECT_EQ(written, 0u);

    DataPacket::HexDataProducer producer(sequence(10));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    EXPECT_NE(DataPacket(&producer, 0).sendTo(device, &written, nullptr), nullptr);
    EXPECT_EQ(written, 0u);

    EXPECT_TRUE(device.written(kPacketType_Data).empty());
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ failure, failure }));
}

TEST_F(DataPhaseTest, SendingWithoutResponseReadsNothing)
{
    DataPacket::HexDataProducer producer(sequence(3));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    uint32_t written = 0;
    EXPECT_EQ(DataPacket(&producer, 32).sendTo(device, &written, nullptr, false), nullptr);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(device.unreadCount(), 1u);
}

TEST(HexDataProducer, KeepsOnlyHexDigitsTakenInPairs)
{
    DataPacket::HexDataProducer producer;
    EXPECT_EQ(producer.initFromString("{{01 02 0a}}"), 3u);
    uint8_t buffer[8] = {};
    EXPECT_EQ(producer.getData(buffer, 2), 2u);
    EXPECT_TRUE(producer.hasMoreData());
    EXPECT_EQ(producer.getData(buffer + 2, 8), 1u);
    EXPECT_FALSE(producer.hasMoreData());
    EXPECT_EQ(producer.getData(buffer, 8), 0u);
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{ 0x01, 0x02, 0x0a }));

    EXPECT_EQ(producer.initFromString("{{1}}"), 1u);
    EXPECT_EQ(producer.getData(buffer, 8), 1u);
    EXPECT_EQ(buffer[0], 0x01);

    EXPECT_EQ(producer.initFromString("{{1 23}}"), 2u) << "pairs are formed after the blanks are gone";
    EXPECT_EQ(producer.getData(buffer, 8), 2u);
    EXPECT_EQ(Bytes(buffer, buffer + 2), (Bytes{ 0x12, 0x03 }));

    EXPECT_EQ(producer.initFromString("{{}}"), 0u);
    EXPECT_FALSE(producer.hasMoreData());
    EXPECT_EQ(producer.getDataSize(), 0u);
}

TEST(FileDataProducer, CountLimitsTheBlockWithoutMeasuringTheFile)
{
    LogCapture log;
    const std::string path = tempPath("protocol_producer_1k.bin");
    writeFile(path, sequence(1024));

    DataPacket::FileDataProducer producer;
    ASSERT_TRUE(producer.init(path, 16));
    EXPECT_EQ(producer.getDataSize(), 16u);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Preparing to send 16 (0x10) bytes to the target.\n" }));

    FakePacketizer device;
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    uint32_t written = 0;
    DataPacket(&producer, 512).sendTo(device, &written, nullptr);
    EXPECT_EQ(device.written(kPacketType_Data), (std::vector<Bytes>{ sequence(16) }));
    std::remove(path.c_str());
}

TEST(FileDataProducer, WholeFileWithoutCountAndShortFileStopsAtItsEnd)
{
    LogCapture log;
    const std::string path = tempPath("protocol_producer_short.bin");
    writeFile(path, sequence(40));

    DataPacket::FileDataProducer whole;
    ASSERT_TRUE(whole.init(path, 0));
    EXPECT_EQ(whole.getDataSize(), 40u);

    DataPacket::FileDataProducer shortFile;
    ASSERT_TRUE(shortFile.init(path, 100));
    FakePacketizer device;
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    uint32_t written = 0;
    EXPECT_NE(DataPacket(&shortFile, 32).sendTo(device, &written, nullptr), nullptr);
    EXPECT_EQ(written, 40u);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Preparing to send 40 (0x28) bytes to the target.\n",
                                                      "Preparing to send 100 (0x64) bytes to the target.\n" }))
        << "reaching the end of a short file is no write failure";
    std::remove(path.c_str());
}

TEST(FileDataProducer, MissingFileIsReported)
{
    LogCapture log;
    DataPacket::FileDataProducer producer;
    EXPECT_FALSE(producer.init("/nonexistent/protocol.bin", 0));
    EXPECT_FALSE(producer.hasMoreData());
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Error: cannot open input data file '/nonexistent/protocol.bin'\n" }));
}

TEST(FileDataConsumer, WritesReceivedBytesAndReportsUnopenableFiles)
{
    LogCapture log;
    const std::string path = tempPath("protocol_consumer.bin");
    {
        DataPacket::FileDataConsumer consumer;
        ASSERT_TRUE(consumer.init(path));
        consumer.processData(Bytes{ 1, 2, 3 }.data(), 3);
        consumer.processData(Bytes{ 4 }.data(), 1);
    }
    EXPECT_EQ(readFile(path), (Bytes{ 1, 2, 3, 4 }));
    std::remove(path.c_str());

    DataPacket::FileDataConsumer bad;
    EXPECT_FALSE(bad.init("/nonexistent/out.bin"));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Error: cannot open output data file '/nonexistent/out.bin'\n" }));
}

TEST(StdOutDataConsumer, DumpsSixteenBytesALineAndTheTailAtFinalize)
{
    DataPacket::StdOutDataConsumer consumer;
    const Bytes bytes = sequence(20);
    ::testing::internal::CaptureStdout();
    consumer.processData(bytes.data(), 20);
    const std::string beforeFinalize = ::testing::internal::GetCapturedStdout();
    ::testing::internal::CaptureStdout();
    consumer.finalize();
    const std::string atFinalize = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(beforeFinalize, "\r00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n");
    EXPECT_EQ(atFinalize, "10 11 12 13 \n");
}

TEST(StdOutDataConsumer, ContinuesTheLineAcrossPacketsAndPadsAShortLastLine)
{
    DataPacket::StdOutDataConsumer consumer;
    ::testing::internal::CaptureStdout();
    consumer.processData(sequence(10).data(), 10);
    consumer.processData(sequence(7).data(), 7);
    consumer.finalize();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "\r00 01 02 03 04 05 06 07 08 09 \r00 01 02 03 04 05\n06 " + std::string(6, ' ') + "\n");

    DataPacket::StdOutDataConsumer single;
    ::testing::internal::CaptureStdout();
    single.processData(Bytes{ 0xab }.data(), 1);
    single.finalize();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\rab " + std::string(6, ' ') + "\n");
}
