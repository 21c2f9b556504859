#include "blfwk/Command.h"
#include "blfwk/GetProperty.h"
#include "blfwk/MemoryCommands.h"

#include "fake_packetizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace blfwk;
using namespace protocol_test;

namespace {

std::vector<int> g_percentages;

void recordPercentage(int percentage, int, int)
{
    g_percentages.push_back(percentage);
}

std::unique_ptr<Command> create(const string_vector_t &words)
{
    return std::unique_ptr<Command>(Command::create(&words));
}

Bytes words(uint8_t tag, uint8_t flags, const std::vector<uint32_t> &parameters)
{
    Bytes bytes{ tag, flags, 0, static_cast<uint8_t>(parameters.size()) };
    for (uint32_t p : parameters)
    {
        appendWord(bytes, p);
    }
    return bytes;
}

Bytes sequence(size_t count)
{
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
    {
        bytes[i] = static_cast<uint8_t>(i * 7);
    }
    return bytes;
}

class CommandTest : public ::testing::Test
{
protected:
    void SetUp() override { g_percentages.clear(); }

    //! Creates the command from @a argv, which must be accepted, and runs it.
    std::unique_ptr<Command> run(const string_vector_t &argv)
    {
        std::unique_ptr<Command> cmd = create(argv);
        EXPECT_NE(cmd, nullptr);
        if (cmd)
        {
            cmd->registerProgress(&progress);
            cmd->sendTo(device);
        }
        return cmd;
    }

    std::string tempFile(const char *name, const Bytes &content)
    {
        const std::string path = ::testing::TempDir() + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(content.data()),
                                                    static_cast<std::streamsize>(content.size()));
        m_files.push_back(path);
        return path;
    }

    void TearDown() override
    {
        for (const std::string &path : m_files)
        {
            std::remove(path.c_str());
        }
    }

    Progress progress{ &recordPercentage, nullptr };
    FakePacketizer device;

private:
    std::vector<std::string> m_files;
};

} // namespace

TEST_F(CommandTest, ReadMemoryOfTheVersionBytes)
{
    LogCapture log;
    device.respond(readMemoryResponse(0, 6));
    device.sendData({ 0x00, 0x05, 0x14, 0x00, 0x00, 0x00 });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    ::testing::internal::CaptureStdout();
    auto cmd = run({ "read-memory", "0x70006", "6" });
    const std::string dump = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(device.written(kPacketType_Command),
              (std::vector<Bytes>{ words(0x03, 0, { 0x70006, 6, 0 }) }));
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0, 6 }));
    EXPECT_EQ(dump, "\r00 05 14 00 00 00 \n");
    EXPECT_EQ(g_percentages, (std::vector<int>{ 100 }));

    cmd->logResponses();
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Successful response to command 'read-memory'\n",
                                                      "Version: 00 05 14 00 00 00 ",
                                                      "Successful generic response to command 'read-memory'\n",
                                                      "Response status = 0 (0x0) Success.\n",
                                                      "Response word 1 = 6 (0x6)\n",
                                                      "Read 6 of 6 bytes.\n" }));
}

TEST_F(CommandTest, ReadMemoryIntoAFileDumpsNothing)
{
    LogCapture log;
    const std::string path = tempFile("protocol_read.bin", {});
    device.respond(readMemoryResponse(0, 6));
    device.sendData({ 1, 2, 3, 4, 5, 6 });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    ::testing::internal::CaptureStdout();
    auto cmd = run({ "read-memory", "0x70006", "6", path });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    cmd.reset();

    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), (Bytes{ 1, 2, 3, 4, 5, 6 }));
}

TEST_F(CommandTest, ReadMemoryDropsMappedMemoryIdsWithANote)
{
    LogCapture log;
    auto mapped = run({ "read-memory", "0", "4", "0x9" });
    auto external = run({ "read-memory", "0", "4", "0x110" });
    auto withFile = run({ "read-memory", "0", "4", "/nonexistent/dir/out.bin", "0x120" });

    EXPECT_EQ(device.written(kPacketType_Command),
              (std::vector<Bytes>{ words(0x03, 0, { 0, 4, 0 }), words(0x03, 0, { 0, 4, 0x110 }) }))
        << "an output file that cannot be opened stops the command before its packet";
    EXPECT_TRUE(withFile->getResponseValues()->empty());
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Note: memoryId is not required for read-memory when accessing "
                                                      "mapped external memory. Ignore this parameter.\n",
                                                      "sendCommandGetResponse.readPacket error 5.\n",
                                                      "sendCommandGetResponse.readPacket error 5.\n",
                                                      "Error: cannot open output data file '/nonexistent/dir/out.bin'\n" }));
    EXPECT_EQ(log.entries.front().level, Logger::kWarning);
}

TEST_F(CommandTest, ReadMemoryFailuresRecordTheStatusAndNothingRead)
{
    LogCapture log;
    device.respond(readMemoryResponse(10200, 6));
    EXPECT_EQ(*run({ "read-memory", "0", "6" })->getResponseValues(), (uint32_vector_t{ 10200, 0 }));

    EXPECT_EQ(*run({ "read-memory", "0", "6" })->getResponseValues(), (uint32_vector_t{ 10004, 0 }));

    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    EXPECT_EQ(*run({ "read-memory", "0", "6" })->getResponseValues(), (uint32_vector_t{ 10000, 0 }));

    device.respond(getPropertyResponse(0, { 6 }));
    EXPECT_EQ(*run({ "read-memory", "0", "6" })->getResponseValues(), (uint32_vector_t{ 10000, 0 }));
    EXPECT_EQ(log.texts().back(), "Error: expected kCommandTag_ReadMemoryResponse (0xa3), received 0xa7\n");
}

TEST_F(CommandTest, ReadMemoryAnsweredByGenericSuccessRunsNoDataPhase)
{
    LogCapture log;
    device.respond(genericResponse(0, kCommandTag_ReadMemory));
    auto cmd = run({ "read-memory", "0", "6" });
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0, 0 }));
    EXPECT_EQ(device.pumpCount, 0) << "no data packet was waited for";
}

TEST_F(CommandTest, ReadMemoryCountsTheBytesThatActuallyArrived)
{
    LogCapture log;
    device.respond(readMemoryResponse(0, 4));
    device.sendData({ 1, 2 });
    device.sendData({});
    device.respond(genericResponse(0, kCommandTag_ReadMemory));

    ::testing::internal::CaptureStdout();
    auto cmd = run({ "read-memory", "0", "6" });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0, 2 }));
    cmd->logResponses();
    EXPECT_EQ(log.texts().back(), "Read 2 of 6 bytes.\n");
}

TEST_F(CommandTest, ReadMemoryWordsAreChecked)
{
    EXPECT_EQ(create({ "read-memory", "0" }), nullptr);
    EXPECT_EQ(create({ "read-memory", "0x", "6" }), nullptr);
    EXPECT_EQ(create({ "read-memory", "0", "-6" }), nullptr);
    EXPECT_EQ(create({ "read-memory", "0", "6", "out.bin", "mem" }), nullptr);
    EXPECT_EQ(create({ "read-memory", "0", "6", "out.bin", "0", "extra" }), nullptr);
}

TEST_F(CommandTest, FlashEraseRegionSendsAddressCountAndMemoryId)
{
    LogCapture log;
    device.respond(genericResponse(0, kCommandTag_FlashEraseRegion));
    auto cmd = run({ "flash-erase-region", "0x00", "0x71000" });
    EXPECT_EQ(device.written(kPacketType_Command), (std::vector<Bytes>{ Bytes{ 0x02, 0, 0, 3, 0, 0, 0, 0, 0x00, 0x10,
                                                                               0x07, 0, 0, 0, 0, 0 } }));
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0 }));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Successful generic response to command 'flash-erase-region'\n" }));
}

TEST_F(CommandTest, FlashEraseRegionNoteAndMissingResponse)
{
    LogCapture log;
    auto cmd = run({ "flash-erase-region", "0", "4096", "1" });
    EXPECT_EQ(device.written(kPacketType_Command).at(0), words(0x02, 0, { 0, 4096, 0 }));
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 10004 }));
    EXPECT_TRUE(log.contains(Logger::kWarning, "Note: memoryId is not required for flash-erase-region when accessing "
                                               "mapped external memory. Ignore this parameter.\n"));
    EXPECT_EQ(create({ "flash-erase-region", "0" }), nullptr);
    EXPECT_EQ(create({ "flash-erase-region", "0", "4k" }), nullptr);
}

TEST_F(CommandTest, FlashEraseAllTakesItsMemoryIdAsGiven)
{
    LogCapture log;
    device.respond(genericResponse(0, kCommandTag_FlashEraseAll));
    run({ "flash-erase-all", "0x1" });
    device.respond(genericResponse(0, kCommandTag_FlashEraseAll));
    run({ "flash-erase-all" });
    EXPECT_EQ(device.written(kPacketType_Command),
              (std::vector<Bytes>{ words(0x01, 0, { 1 }), words(0x01, 0, { 0 }) }));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Successful generic response to command 'flash-erase-all'\n",
                                                      "Successful generic response to command 'flash-erase-all'\n" }));
    EXPECT_EQ(create({ "flash-erase-all", "0", "0" }), nullptr);
}

TEST_F(CommandTest, ResetWithoutResponseCountsAsSuccess)
{
    LogCapture log;
    auto cmd = run({ "reset" });
    EXPECT_EQ(device.written(kPacketType_Command), (std::vector<Bytes>{ Bytes{ 0x0b, 0, 0, 0 } }));
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0 }));
    EXPECT_TRUE(log.contains(Logger::kWarning, "Ignoring missing response from reset command.\n"));
}

TEST_F(CommandTest, ResetRecordsTheTargetsAnswer)
{
    LogCapture log;
    device.respond(genericResponse(10001, kCommandTag_Reset));
    EXPECT_EQ(*run({ "reset" })->getResponseValues(), (uint32_vector_t{ 10001 }));
    device.respond(genericResponse(0, kCommandTag_FlashEraseRegion));
    EXPECT_EQ(*run({ "reset" })->getResponseValues(), (uint32_vector_t{ 10000 }));
}

TEST_F(CommandTest, WriteMemoryOfAFileQueriesThePacketSizeAndSendsItAll)
{
    LogCapture log(Logger::kDebug);
    const Bytes image = sequence(300);
    const std::string path = tempFile("protocol_image.bin", image);
    device.respond(getPropertyResponse(0, { 128 }));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));

    auto cmd = run({ "write-memory", "0x0", path });

    EXPECT_EQ(device.written(kPacketType_Command),
              (std::vector<Bytes>{ words(0x07, 0, { 11, 0 }), words(0x04, 1, { 0, 300, 0 }) }));
    const std::vector<Bytes> data = device.written(kPacketType_Data);
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[2].size(), 44u);
    Bytes sent;
    for (const Bytes &packet : data)
    {
        sent.insert(sent.end(), packet.begin(), packet.end());
    }
    EXPECT_EQ(sent, image);
    EXPECT_EQ(g_percentages, (std::vector<int>{ 42, 85, 100 }));
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0 }));

    cmd->logResponses();
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Preparing to send 300 (0x12c) bytes to the target.\n",
                                                      "Successful response to command 'get-property(max-packet-size)'\n",
                                                      "Successful generic response to command 'write-memory'\n",
                                                      "Successful generic response to command 'write-memory'\n",
                                                      "Response status = 0 (0x0) Success.\n",
                                                      "Wrote 300 of 300 bytes.\n" }));
    EXPECT_TRUE(log.contains(Logger::kDebug, "Successful response to command 'get-property(max-packet-size)'\n"));
}

TEST_F(CommandTest, WriteMemorySendsOnlyTheCountGivenAfterTheComma)
{
    LogCapture log;
    const std::string path = tempFile("protocol_image_1k.bin", sequence(1024));
    device.respond(getPropertyResponse(0, { 1024 }));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));

    auto cmd = run({ "write-memory", "0x1000", path + ",16" });
    EXPECT_EQ(device.written(kPacketType_Command).at(1), words(0x04, 1, { 0x1000, 16, 0 }));
    EXPECT_EQ(device.written(kPacketType_Data), (std::vector<Bytes>{ sequence(16) }));
    EXPECT_EQ(create({ "write-memory", "0", path + ",abc" }), nullptr);
}

TEST_F(CommandTest, WriteMemoryOfHexTextSendsItsBytes)
{
    LogCapture log;
    device.respond(getPropertyResponse(0, { 64 }));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));

    auto cmd = run({ "write-memory", "0x1000", "{{11 22 33}}", "0x110" });
    EXPECT_EQ(device.written(kPacketType_Command).at(1), words(0x04, 1, { 0x1000, 3, 0x110 }));
    EXPECT_EQ(device.written(kPacketType_Data), (std::vector<Bytes>{ Bytes{ 0x11, 0x22, 0x33 } }));
    EXPECT_EQ(create({ "write-memory", "0", "{{}}" }), nullptr);
    EXPECT_EQ(create({ "write-memory", "0", "{{xyz}}" }), nullptr);
}

TEST_F(CommandTest, WriteMemoryFallsBackToSmallPacketsWithoutAUsableSize)
{
    const std::vector<Bytes> unusable = {
        getPropertyResponse(10300, {}),
        genericResponse(10300, kCommandTag_GetProperty),
        getPropertyResponse(0, {}),
        getPropertyResponse(0, { 0 }),
        getPropertyResponse(0, { 1024 }, kCommandFlag_HasDataPhase),
    };
    for (const Bytes &answer : unusable)
    {
        LogCapture log;
        FakePacketizer target;
        target.respond(answer);
        target.respond(genericResponse(0, kCommandTag_WriteMemory));
        target.respond(genericResponse(0, kCommandTag_WriteMemory));

        auto cmd = create({ "write-memory", "0", "{{" + std::string(200, '5') + "}}" });
        ASSERT_NE(cmd, nullptr);
        cmd->sendTo(target);

        const std::vector<Bytes> data = target.written(kPacketType_Data);
        ASSERT_EQ(data.size(), 4u);
        EXPECT_EQ(data[0].size(), 32u);
        EXPECT_EQ(data[3].size(), 4u);
        EXPECT_TRUE(log.contains(Logger::kWarning, "Warning: Failed to get packet size. Using default size(32)"));
        EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0 }));
    }
}

TEST_F(CommandTest, WriteMemoryRefusesAPacketSizeAboveTheTransportsLimit)
{
    LogCapture log;
    device.setMaxPacketSize(1024);
    device.respond(getPropertyResponse(0, { 2048 }));
    auto cmd = run({ "write-memory", "0", "{{0102}}" });
    EXPECT_EQ(device.written(kPacketType_Command).size(), 1u) << "only the query went out";
    EXPECT_TRUE(cmd->getResponseValues()->empty());
    EXPECT_TRUE(log.contains(Logger::kError, "Error: Packet size(2048) is bigger than max supported size(1024)."));
}

TEST_F(CommandTest, WriteMemoryStopsWhenTheTargetRefusesTheCommand)
{
    LogCapture log;
    device.respond(getPropertyResponse(0, { 64 }));
    device.respond(genericResponse(10200, kCommandTag_WriteMemory));
    auto cmd = run({ "write-memory", "0", "{{010203}}" });
    EXPECT_TRUE(device.written(kPacketType_Data).empty());
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 10200 }));
    cmd->logResponses();
    EXPECT_EQ(log.texts().back(), "Wrote 0 of 3 bytes.\n");
}

TEST_F(CommandTest, WriteMemoryReportsAnInterruptedDataPhase)
{
    LogCapture log;
    device.respond(getPropertyResponse(0, { 32 }));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    device.failWrite(3, kStatus_Fail);
    device.respond(genericResponse(10202, kCommandTag_WriteMemory));

    auto cmd = run({ "write-memory", "0", "{{" + std::string(200, 'a') + "}}" });
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 10202 }));
    cmd->logResponses();
    EXPECT_EQ(log.texts().back(), "Wrote 32 of 100 bytes.\n");
}

TEST_F(CommandTest, WriteMemoryMissingInputStopsBeforeAnyPacket)
{
    LogCapture log;
    auto cmd = run({ "write-memory", "0", "/nonexistent/image.bin" });
    EXPECT_TRUE(device.writes.empty());
    EXPECT_TRUE(cmd->getResponseValues()->empty());
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Error: cannot open input data file '/nonexistent/image.bin'\n" }));
}

TEST_F(CommandTest, WriteMemoryMappedMemoryNote)
{
    LogCapture log;
    ASSERT_NE(create({ "write-memory", "0", "{{01}}", "0x9" }), nullptr);
    EXPECT_TRUE(log.contains(Logger::kWarning, "Note: memoryId is not required for write-memory when accessing "
                                               "mapped external memory. Ignore this parameter.\n"));
}

TEST(GetPropertyQuery, IsNamedByTheTagAndSendsTagAndIndex)
{
    GetProperty query(kProperty_MaxPacketSize, 0);
    EXPECT_EQ(query.getArgCount(), 2u);
    EXPECT_EQ(query.getName(), "get-property");
    EXPECT_EQ(query.getArg(1), "0x0000000b");

    FakePacketizer device;
    query.sendTo(device);
    EXPECT_EQ(device.written(kPacketType_Command),
              (std::vector<Bytes>{ Bytes{ 0x07, 0, 0, 2, 0x0b, 0, 0, 0, 0, 0, 0, 0 } }));
    EXPECT_EQ(*query.getResponseValues(), (uint32_vector_t{ 10004 }));
}

TEST(GetPropertyQuery, StoresStatusThenValues)
{
    LogCapture log(Logger::kDebug);
    auto answer = [](const Bytes &response) {
        FakePacketizer device;
        device.respond(response);
        GetProperty query(kProperty_MaxPacketSize, 0);
        query.sendTo(device);
        return *query.getResponseValues();
    };

    EXPECT_EQ(answer(getPropertyResponse(0, { 1024 })), (uint32_vector_t{ 0, 1024 }));
    EXPECT_EQ(answer(genericResponse(10300, kCommandTag_GetProperty)), (uint32_vector_t{ 10300 }));
    EXPECT_EQ(answer(getPropertyResponse(0, {})), (uint32_vector_t{ 0 }));
    EXPECT_EQ(answer(getPropertyResponse(10301, { 5 })), (uint32_vector_t{ 10301 }));
    EXPECT_EQ(answer(readMemoryResponse(0, 4)), (uint32_vector_t{ 10000 }));
    EXPECT_TRUE(log.contains(Logger::kError, "Error: expected kCommandTag_GetPropertyResponse (0xa7), received 0xa3\n"));

    Bytes oversized = getPropertyResponse(0, { 1, 2, 3, 4, 5, 6, 7, 8 });
    EXPECT_EQ(answer(oversized), (uint32_vector_t{ 0, 1, 2, 3, 4, 5, 6 }))
        << "a response holds at most six values";
}
