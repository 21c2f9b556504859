#include "blfwk/Command.h"
#include "blfwk/MemoryCommands.h"
#include "blfwk/status_messages.h"

#include "fake_packetizer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace blfwk;
using namespace protocol_test;

namespace {

//! A command whose results a test sets directly.
class RecordedCommand : public Command
{
public:
    explicit RecordedCommand(const char *name)
        : Command(name)
    {
    }
    void record(const uint32_vector_t &values, const std::string &details = "")
    {
        m_responseValues = values;
        m_responseDetails = details;
    }
};

std::unique_ptr<Command> create(const string_vector_t &words)
{
    return std::unique_ptr<Command>(Command::create(&words));
}

} // namespace

TEST(StatusMessages, TableHas240RowsBeforeItsSentinel)
{
    size_t rows = 0;
    while (g_statusCodes[rows].status != kStatusMessageTableEnd)
    {
        ++rows;
    }
    EXPECT_EQ(rows, 240u);
    EXPECT_STREQ(g_statusCodes[rows].message, "");
    EXPECT_EQ(g_statusCodes[rows - 1].status, 70002);
}

TEST(StatusMessages, LookupReturnsTheFirstRowAndKeepsTextsExact)
{
    EXPECT_EQ(Command::getStatusMessage(0), "Success.");
    EXPECT_EQ(Command::getStatusMessage(10006), " Command is not supported\n");
    EXPECT_EQ(Command::getStatusMessage(1801), " Send command failed");
    EXPECT_EQ(Command::getStatusMessage(10602), "kStatus_ReliableUpdateInacive");
    EXPECT_EQ(Command::getStatusMessage(2527), "kStatus_FLASHIAP_NoClock");
    EXPECT_EQ(Command::getStatusMessage(10000), "kStatus_UnknownCommand");
}

TEST(StatusMessages, UnknownCodesAndTheSentinelAreReportedByNumber)
{
    EXPECT_EQ(Command::getStatusMessage(7), "Unknown error code (7)");
    EXPECT_EQ(Command::getStatusMessage(0x7fffffff), "Unknown error code (2147483647)");
    EXPECT_EQ(Command::getStatusMessage(-1), "Unknown error code (-1)");
}

TEST(CommandPacket, LaysOutHeaderAndLittleEndianWords)
{
    CommandPacket reset(kCommandTag_Reset, kCommandFlag_None);
    EXPECT_EQ(Bytes(reset.getData(), reset.getData() + reset.getSize()), (Bytes{ 0x0b, 0, 0, 0 }));

    CommandPacket write(kCommandTag_WriteMemory, kCommandFlag_HasDataPhase, 0u, 1024u, 0u);
    EXPECT_EQ(Bytes(write.getData(), write.getData() + write.getSize()),
              (Bytes{ 0x04, 0x01, 0, 3, 0, 0, 0, 0, 0x00, 0x04, 0, 0, 0, 0, 0, 0 }));

    CommandPacket nine(0x0e, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0x12345678u);
    ASSERT_EQ(nine.getSize(), 40u);
    EXPECT_EQ(nine.getData()[3], 9);
    EXPECT_EQ(Bytes(nine.getData() + 36, nine.getData() + 40), (Bytes{ 0x78, 0x56, 0x34, 0x12 }));
}

TEST(CommandFactory, CreatesTheFiveCommandsByExactWord)
{
    EXPECT_NE(dynamic_cast<Reset *>(create({ "reset" }).get()), nullptr);
    EXPECT_NE(dynamic_cast<FlashEraseRegion *>(create({ "flash-erase-region", "0", "4" }).get()), nullptr);
    EXPECT_NE(dynamic_cast<FlashEraseAll *>(create({ "flash-erase-all" }).get()), nullptr);
    EXPECT_NE(dynamic_cast<ReadMemory *>(create({ "read-memory", "0", "4" }).get()), nullptr);
    EXPECT_NE(dynamic_cast<WriteMemory *>(create({ "write-memory", "0", "{{00}}" }).get()), nullptr);

    EXPECT_EQ(create({ "Reset" }), nullptr);
    EXPECT_EQ(create({ "get-property", "11" }), nullptr);
    EXPECT_EQ(create({ "reset", "now" }), nullptr) << "init refuses the extra word";
    EXPECT_EQ(create({}), nullptr);
}

TEST(CommandWords, ArgumentsAreBoundsChecked)
{
    auto cmd = create({ "read-memory", "0x70006", "6" });
    ASSERT_NE(cmd, nullptr);
    EXPECT_EQ(cmd->getName(), "read-memory");
    EXPECT_EQ(cmd->getArg(2), "6");
    EXPECT_EQ(cmd->getArgCount(), 3u);
    EXPECT_THROW(cmd->getArg(3), std::out_of_range);
    EXPECT_THROW(cmd->getArg(-1), std::out_of_range);
}

TEST(GenericResponseCheck, SuccessLogsTheCommandNameAndRecordsZero)
{
    LogCapture log;
    RecordedCommand cmd("reset");
    const Bytes response = genericResponse(0, kCommandTag_Reset);
    EXPECT_TRUE(cmd.processResponse(reinterpret_cast<const GenericResponsePacket *>(response.data()), 0x0b));
    EXPECT_EQ(*cmd.getResponseValues(), (uint32_vector_t{ 0 }));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Successful generic response to command 'reset'\n" }));
}

TEST(GenericResponseCheck, EveryFailureAppendsExactlyOneStatus)
{
    LogCapture log(Logger::kDebug);
    RecordedCommand cmd("reset");
    auto check = [&cmd](const Bytes &bytes) {
        return cmd.processResponse(reinterpret_cast<const GenericResponsePacket *>(bytes.data()), 0x0b);
    };

    EXPECT_FALSE(check(genericResponse(0, kCommandTag_FlashEraseRegion)));
    EXPECT_FALSE(check(readMemoryResponse(0, 6)));
    EXPECT_FALSE(check(genericResponse(10001, kCommandTag_Reset)));
    EXPECT_FALSE(cmd.processResponse(nullptr, 0x0b));

    EXPECT_EQ(*cmd.getResponseValues(), (uint32_vector_t{ 10000, 10000, 10001, 10004 }));
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Error: expected commandTag 0xb, received 0x2\n",
                                                      "Error: expected kCommandTag_GenericResponse (0xa0), received 0xa3\n",
                                                      "processResponse: null packet\n" }));
    EXPECT_TRUE(log.contains(Logger::kDebug, "processResponse: null packet\n"));
    EXPECT_TRUE(log.contains(Logger::kError, "Error: expected commandTag 0xb, received 0x2\n"));
}

TEST(CommandExchange, TransportErrorsAreLoggedAndGiveNoResponse)
{
    LogCapture log;
    FakePacketizer packetizer;
    CommandPacket packet(kCommandTag_Reset, kCommandFlag_None);

    packetizer.failWrite(0, kStatus_Fail);
    EXPECT_EQ(packet.sendCommandGetResponse(packetizer), nullptr);
    EXPECT_EQ(packet.sendCommandGetResponse(packetizer), nullptr) << "nothing scripted: the read times out";

    packetizer.respond(Bytes{ 0xa0, 0, 0, 2 });
    EXPECT_EQ(packet.sendCommandGetResponse(packetizer), nullptr) << "a header without status is no response";

    packetizer.respond(genericResponse(0, kCommandTag_Reset));
    const uint8_t *response = packet.sendCommandGetResponse(packetizer);
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response[0], 0xa0);

    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "sendCommandGetResponse.writePacket error 1.\n",
                                                      "sendCommandGetResponse.readPacket error 5.\n" }));
    EXPECT_EQ(packetizer.written(kPacketType_Command).size(), 4u);
}

TEST(ResponseReport, LogsStatusWordsAndDetailsButJsonOnlyUnderTheJsonFilter)
{
    LogCapture log;
    RecordedCommand cmd("read-memory");
    cmd.record({ 0, 6, 0xfffffff0u }, "Read 6 of 6 bytes.");
    cmd.logResponses();
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Response status = 0 (0x0) Success.\n",
                                                      "Response word 1 = 6 (0x6)\n",
                                                      "Response word 2 = 4294967280 (0xfffffff0)\n",
                                                      "Read 6 of 6 bytes.\n" }));
}

TEST(ResponseReport, NegativeStatusesPrintSigned)
{
    LogCapture log;
    RecordedCommand cmd("reset");
    cmd.record({ 0xffffffffu });
    cmd.logResponses();
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ "Response status = -1 (0xffffffff) Unknown error code (-1)\n" }));
}

TEST(ResponseReport, JsonRecordIsTheStyledWritersLayout)
{
    LogCapture log(Logger::kJson);
    RecordedCommand cmd("reset");
    cmd.record({ 0 });
    cmd.logResponses();
    const std::string record = "{\n"
                               "   \"command\" : \"reset\",\n"
                               "   \"response\" : [],\n"
                               "   \"status\" : {\n"
                               "      \"description\" : \"0 (0x0) Success.\",\n"
                               "      \"value\" : 0\n"
                               "   }\n"
                               "}\n";
    EXPECT_EQ(log.texts(), (std::vector<std::string>{ record }));
    EXPECT_TRUE(log.contains(Logger::kJson, record));
}

TEST(ResponseReport, JsonRecordCarriesErrorDescriptionAndUnsignedWords)
{
    RecordedCommand cmd("read-memory");
    cmd.record({ 10001, 0, 4000000000u });
    const std::string record = cmd.getResponse();
    EXPECT_NE(record.find("\"description\" : \"10001 (0x2711) Command disallowed when security is enabled.\""),
              std::string::npos)
        << record;
    EXPECT_NE(record.find("\"value\" : 10001"), std::string::npos) << record;
    EXPECT_NE(record.find("[ 0, 4000000000 ]"), std::string::npos) << record;
}
