#include "blfwk/DataPacket.h"

#include "fake_packetizer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace blfwk;
using namespace protocol_test;

namespace {

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

//! Percentages that the data phase reports, in order.
std::vector<int> g_percentages;

class DataPhaseTest : public ::testing::Test
{
protected:
    void SetUp() override { g_percentages.clear(); }

    //! Sends the producer's block; returns the bytes written.
    uint32_t send(DataPacket::DataProducer &producer, uint32_t packetSize)
    {
        device.respond(genericResponse(0, kCommandTag_WriteMemory));
        uint32_t written = 1;
        EXPECT_NE(DataPacket(&producer, packetSize).sendTo(device, &written, &progress), nullptr);
        return written;
    }

    LogCapture log;
    Progress progress{ [](int percentage, int, int) { g_percentages.push_back(percentage); }, nullptr };
    FakePacketizer device;
    CollectingConsumer consumer;
};

} // namespace

TEST_F(DataPhaseTest, ReceivingLogsEachPacketAsAVersionLineAndKeepsNoBytesBeyondThoseAnnounced)
{
    device.sendData({ 0xab, 0xcd, 0xef, 0x01 });
    device.sendData({ 0xfe, 0x7f, 0x99, 0x98 });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    uint32_t remaining = 6;
    EXPECT_NE(DataPacket(&consumer).receiveFrom(device, &remaining, &progress), nullptr);
    EXPECT_EQ(remaining, 0u);
    EXPECT_EQ(consumer.bytes, (Bytes{ 0xab, 0xcd, 0xef, 0x01, 0xfe, 0x7f }));
    EXPECT_EQ(consumer.finalizeCount, 1);
    EXPECT_EQ(g_percentages, (std::vector<int>{ 66, 100 }));
    EXPECT_EQ(log.texts, (std::vector<std::string>{ "Version: AB CD EF 01 ", "Version: FE 7F " }));
}

// The target ending the phase early is checked with the read-memory command.
TEST_F(DataPhaseTest, ReceivingStopsWhenAReadFails)
{
    device.failRead(kPacketType_Data, kStatus_Timeout);
    device.respond(genericResponse(0, kCommandTag_ReadMemory));
    uint32_t remaining = 6;
    EXPECT_EQ(DataPacket(&consumer).receiveFrom(device, &remaining, &progress), nullptr);
    EXPECT_EQ(consumer.finalizeCount, 1);
    EXPECT_EQ(device.syncCount, 1);
    EXPECT_EQ(device.unreadCount(), 1u) << "no final response is read after a failed read";
    EXPECT_EQ(log.texts.back(), "Read data packet error. Sending ACK.\n");
}

TEST_F(DataPhaseTest, SendingStopsWhenNothingCanBeHandedOutAndStillReadsTheResponse)
{
    StuckProducer stuck;
    EXPECT_EQ(send(stuck, 32), 0u);
    DataPacket::HexDataProducer tenBytes(sequence(10));
    EXPECT_EQ(send(tenBytes, 0), 0u) << "a packet size of 0";
    EXPECT_TRUE(device.data.empty());

    const std::string failure = "Data phase write aborted by status 0x1 Failure.\n";
    EXPECT_EQ(log.texts, (std::vector<std::string>{ failure, failure }));
}

TEST(HexDataProducer, KeepsOnlyHexDigitsTakenInPairsAndHandsThemOutInPieces)
{
    // Pairs are formed after the blanks are gone; a lone last digit is a byte.
    const std::pair<const char *, Bytes> cases[] = {
        { "{{01 02 0a}}", { 0x01, 0x02, 0x0a } }, { "{{1 23}}", { 0x12, 0x03 } }, { "{{1}}", { 0x01 } }, { "{{}}", {} }
    };
    for (const auto &[text, bytes] : cases)
    {
        DataPacket::HexDataProducer producer;
        EXPECT_EQ(producer.initFromString(text), bytes.size()) << text;
        Bytes out;
        uint8_t piece[2];
        while (const uint32_t count = producer.getData(piece, sizeof(piece)))
        {
            out.insert(out.end(), piece, piece + count);
        }
        EXPECT_FALSE(producer.hasMoreData());
        EXPECT_EQ(out, bytes) << text;
    }
}

TEST_F(DataPhaseTest, FileProducerStopsQuietlyAtAShortFilesEndAndOpensOnlyRegularFiles)
{
    const Bytes file = sequence(64);
    const std::string path = tempFile("protocol_producer.bin", file);
    DataPacket::FileDataProducer shortFile;
    ASSERT_TRUE(shortFile.init(path, 100));
    EXPECT_EQ(send(shortFile, 32), 64u);
    std::remove(path.c_str());
    EXPECT_EQ(device.data,
              (std::vector<Bytes>{ Bytes(file.begin(), file.begin() + 32), Bytes(file.begin() + 32, file.end()) }));

    // What is opened is checked, not the name: this holds even when a FIFO
    // took the file's place after the driver looked at it.
    const std::string fifo = ::testing::TempDir() + "protocol_fifo.bin";
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    DataPacket::FileDataProducer producer;
    EXPECT_FALSE(producer.init(fifo, 0));
    EXPECT_FALSE(producer.hasMoreData());
    std::remove(fifo.c_str());
    EXPECT_EQ(log.texts, (std::vector<std::string>{ "Preparing to send 100 (0x64) bytes to the target.\n",
                                                    "Error: cannot open input data file '" + fifo + "'\n" }))
        << "reaching the end of a short file is no write failure";
}

TEST(StdOutDataConsumer, DumpsSixteenBytesALineContinuedAcrossPacketsAndPadsAShortLastLine)
{
    auto dump = [](const std::vector<Bytes> &packets) {
        DataPacket::StdOutDataConsumer consumer;
        ::testing::internal::CaptureStdout();
        for (const Bytes &p : packets)
        {
            consumer.processData(p.data(), static_cast<uint32_t>(p.size()));
        }
        const std::string beforeFinalize = ::testing::internal::GetCapturedStdout();
        ::testing::internal::CaptureStdout();
        consumer.finalize();
        return beforeFinalize + "|" + ::testing::internal::GetCapturedStdout();
    };

    EXPECT_EQ(dump({ sequence(20) }), "\r00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f\n|10 11 12 13 \n");
    EXPECT_EQ(dump({ sequence(10), sequence(7) }),
              "\r00 01 02 03 04 05 06 07 08 09 \r00 01 02 03 04 05\n|06 " + std::string(6, ' ') + "\n");
    EXPECT_EQ(dump({ Bytes{ 0xab } }), "\rab |" + std::string(6, ' ') + "\n");
}
