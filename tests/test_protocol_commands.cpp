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

Bytes propertyResponse(uint32_t status, std::vector<uint32_t> values, uint8_t flags = 0)
{
    values.insert(values.begin(), status);
    return packet(kCommandTag_GetPropertyResponse, values, flags);
}

const std::string kNote = " when accessing mapped external memory. Ignore this parameter.\n";

class CommandTest : public ::testing::Test
{
protected:
    //! Creates the command from @a argv, which must be accepted, and runs it.
    std::unique_ptr<Command> run(const string_vector_t &argv)
    {
        std::unique_ptr<Command> cmd = create(argv);
        EXPECT_NE(cmd, nullptr);
        if (cmd)
        {
            cmd->sendTo(device);
        }
        return cmd;
    }

    //! The response values of running @a argv.
    uint32_vector_t valuesOf(const string_vector_t &argv) { return *run(argv)->getResponseValues(); }

    LogCapture log{ Logger::kDebug };
    FakePacketizer device;
};

} // namespace

TEST_F(CommandTest, ReadMemoryFourthWordIsAFileOrAMemoryId)
{
    const std::string path = ::testing::TempDir() + "protocol_command.bin";
    device.respond(packet(kCommandTag_ReadMemoryResponse, { 0, 6 }));
    device.sendData({ 1, 2, 3, 4, 5, 6 });
    device.respond(genericResponse(0, kCommandTag_ReadMemory));
    ::testing::internal::CaptureStdout();
    run({ "read-memory", "0x70006", "6", path });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), (Bytes{ 1, 2, 3, 4, 5, 6 }));
    std::remove(path.c_str());

    run({ "read-memory", "0", "4", "0x9" });
    run({ "read-memory", "0", "4", "0x110" });
    EXPECT_TRUE(run({ "read-memory", "0", "4", "/nonexistent/dir/out.bin", "0x120" })->getResponseValues()->empty());
    EXPECT_EQ(device.commands.size(), 3u) << "an output file that cannot be opened stops the command before its packet";
    EXPECT_EQ(device.commands[1], packet(0x03, { 0, 4, 0 }));
    EXPECT_EQ(device.commands[2], packet(0x03, { 0, 4, 0x110 }));
    EXPECT_TRUE(log.contains("Note: memoryId is not required for read-memory" + kNote));
    EXPECT_TRUE(log.contains("Error: cannot open output data file '/nonexistent/dir/out.bin'\n"));
}

TEST_F(CommandTest, ReadMemoryFailuresRecordTheStatusAndTheBytesActuallyRead)
{
    device.respond(packet(kCommandTag_ReadMemoryResponse, { 10200, 6 }));
    EXPECT_EQ(valuesOf({ "read-memory", "0", "6" }), (uint32_vector_t{ 10200, 0 }));
    EXPECT_EQ(valuesOf({ "read-memory", "0", "6" }), (uint32_vector_t{ 10004, 0 }));
    device.respond(propertyResponse(0, { 6 }));
    EXPECT_EQ(valuesOf({ "read-memory", "0", "6" }), (uint32_vector_t{ 10000, 0 }));
    EXPECT_EQ(log.texts.back(), "Error: expected kCommandTag_ReadMemoryResponse (0xa3), received 0xa7\n");

    // A generic success in place of the read-memory response announces no data.
    device.respond(genericResponse(0, kCommandTag_ReadMemory));
    EXPECT_EQ(valuesOf({ "read-memory", "0", "6" }), (uint32_vector_t{ 0, 0 })) << "no data packet was waited for";

    device.respond(packet(kCommandTag_ReadMemoryResponse, { 0, 4 }));
    device.sendData({ 1, 2 });
    device.sendData({});
    device.respond(genericResponse(0, kCommandTag_ReadMemory));
    ::testing::internal::CaptureStdout();
    auto cmd = run({ "read-memory", "0", "6" });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\r01 02 ") << "an ended phase is not finalized";
    EXPECT_TRUE(log.contains("Data phase aborted by sender\n"));
    EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0, 2 })) << "the final response is still read";
    cmd->logResponses();
    EXPECT_EQ(log.texts.back(), "Read 2 of 6 bytes.\n");
}

TEST_F(CommandTest, WordsThatDoNotFitAreRefused)
{
    for (const string_vector_t &words : std::vector<string_vector_t>{
             {},
             { "Reset" },
             { "read-memory", "0" },
             { "read-memory", "0x", "6" },
             { "read-memory", "0", "-6" },
             { "read-memory", "0", "6", "out.bin", "mem" },
             { "read-memory", "0", "6", "out.bin", "0", "extra" },
             { "flash-erase-region", "0" },
             { "flash-erase-region", "0", "4k" },
             { "flash-erase-all", "0", "0" },
             { "write-memory", "0", "image.bin,abc" },
             { "write-memory", "0", "{{}}" },
             { "write-memory", "0", "{{xyz}}" },
         })
    {
        EXPECT_EQ(create(words), nullptr) << ::testing::PrintToString(words);
    }
    ASSERT_NE(create({ "write-memory", "0", "{{01}}", "0x9" }), nullptr);
    EXPECT_TRUE(log.contains("Note: memoryId is not required for write-memory" + kNote));
}

TEST_F(CommandTest, FlashErasesSendAddressCountAndMemoryId)
{
    device.respond(genericResponse(0, kCommandTag_FlashEraseRegion));
    device.respond(genericResponse(0, kCommandTag_FlashEraseAll));
    EXPECT_EQ(valuesOf({ "flash-erase-region", "0x00", "0x71000", "1" }), (uint32_vector_t{ 0 }));
    EXPECT_EQ(valuesOf({ "flash-erase-all", "0x1" }), (uint32_vector_t{ 0 }));
    EXPECT_EQ(device.commands, (std::vector<Bytes>{ Bytes{ 0x02, 0, 0, 3, 0, 0, 0, 0, 0x00, 0x10, 0x07, 0, 0, 0, 0, 0 },
                                                    packet(0x01, { 1 }) }));
    EXPECT_EQ(log.texts, (std::vector<std::string>{ "Note: memoryId is not required for flash-erase-region" + kNote,
                                                    "Successful generic response to command 'flash-erase-region'\n",
                                                    "Successful generic response to command 'flash-erase-all'\n" }));
}

TEST_F(CommandTest, ResetWithoutResponseCountsAsSuccessButAnUnsentResetDoesNot)
{
    EXPECT_EQ(valuesOf({ "reset" }), (uint32_vector_t{ 0 }));
    EXPECT_TRUE(log.contains("Ignoring missing response from reset command.\n"));

    device.failingWrite = device.writeCount;
    EXPECT_EQ(valuesOf({ "reset" }), (uint32_vector_t{ kStatus_NoResponse }));
    EXPECT_EQ(std::vector<std::string>(log.texts.end() - 2, log.texts.end()),
              (std::vector<std::string>{ "sendCommandGetResponse.writePacket error 1.\n",
                                         "processResponse: null packet\n" }));
}

TEST_F(CommandTest, WriteMemoryFallsBackToSmallPacketsWithoutAUsableSize)
{
    for (const Bytes &answer : { propertyResponse(10300, {}), genericResponse(10300, kCommandTag_GetProperty),
                                 propertyResponse(0, {}), propertyResponse(0, { 0 }),
                                 propertyResponse(0, { 1024 }, kCommandFlag_HasDataPhase) })
    {
        LogCapture capture;
        FakePacketizer target;
        target.respond(answer);
        target.respond(genericResponse(0, kCommandTag_WriteMemory));
        target.respond(genericResponse(0, kCommandTag_WriteMemory));
        auto cmd = create({ "write-memory", "0", "{{" + std::string(200, '5') + "}}" });
        cmd->sendTo(target);

        ASSERT_EQ(target.data.size(), 4u);
        EXPECT_EQ(target.data[3].size(), 4u) << "100 bytes in packets of 32";
        EXPECT_TRUE(capture.contains("Warning: Failed to get packet size. Using default size(32)"));
        EXPECT_EQ(*cmd->getResponseValues(), (uint32_vector_t{ 0 }));
    }
}

TEST_F(CommandTest, WriteMemoryReportsWhatItCouldSend)
{
    device.maxPacketSize = 1024;
    device.respond(propertyResponse(0, { 2048 }));
    EXPECT_TRUE(run({ "write-memory", "0", "{{0102}}" })->getResponseValues()->empty());
    EXPECT_EQ(device.commands, (std::vector<Bytes>{ packet(0x07, { 11, 0 }) })) << "only the query went out";
    EXPECT_TRUE(log.contains("Successful response to command 'get-property(max-packet-size)'\n"));
    EXPECT_TRUE(log.contains("Error: Packet size(2048) is bigger than max supported size(1024)."));

    device.respond(propertyResponse(0, { 64 }));
    device.respond(genericResponse(10200, kCommandTag_WriteMemory));
    auto refused = run({ "write-memory", "0", "{{010203}}" });
    EXPECT_EQ(device.commands.back(), packet(0x04, { 0, 3, 0 }, kCommandFlag_HasDataPhase));
    refused->logResponses();
    EXPECT_EQ(std::vector<std::string>(log.texts.end() - 2, log.texts.end()),
              (std::vector<std::string>{ "Response status = 10200 (0x27d8) kStatusMemoryRangeInvalid\n",
                                         "Wrote 0 of 3 bytes.\n" }));

    device.respond(propertyResponse(0, { 32 }));
    device.respond(genericResponse(0, kCommandTag_WriteMemory));
    device.failingWrite = device.writeCount + 3;
    device.respond(genericResponse(10202, kCommandTag_WriteMemory));
    auto interrupted = run({ "write-memory", "0", "{{" + std::string(200, 'a') + "}}" });
    EXPECT_EQ(*interrupted->getResponseValues(), (uint32_vector_t{ 10202 }));
    interrupted->logResponses();
    EXPECT_EQ(log.texts.back(), "Wrote 32 of 100 bytes.\n");
}

TEST(GetPropertyQuery, IsNamedByTheTagAndStoresStatusThenValues)
{
    LogCapture log;
    auto answer = [](const Bytes &response) {
        FakePacketizer device;
        device.respond(response);
        GetProperty query(kProperty_MaxPacketSize, 0);
        query.sendTo(device);
        EXPECT_EQ(device.commands, (std::vector<Bytes>{ Bytes{ 0x07, 0, 0, 2, 0x0b, 0, 0, 0, 0, 0, 0, 0 } }));
        return *query.getResponseValues();
    };

    EXPECT_EQ(answer(propertyResponse(0, { 1024 })), (uint32_vector_t{ 0, 1024 }));
    EXPECT_EQ(answer(propertyResponse(10301, { 5 })), (uint32_vector_t{ 10301 }));
    EXPECT_EQ(answer({}), (uint32_vector_t{ 10004 }));
    EXPECT_EQ(answer(packet(kCommandTag_ReadMemoryResponse, { 0, 4 })), (uint32_vector_t{ 10000 }));
    EXPECT_EQ(answer(propertyResponse(0, { 1, 2, 3, 4, 5, 6, 7, 8 })), (uint32_vector_t{ 0, 1, 2, 3, 4, 5, 6 }))
        << "a response holds at most six values";
    EXPECT_EQ(log.texts,
              (std::vector<std::string>{ "Error: expected kCommandTag_GetPropertyResponse (0xa7), received 0xa3\n" }))
        << "a successful query is told only at debug level";
}
