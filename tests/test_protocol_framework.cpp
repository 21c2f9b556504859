#include "blfwk/Command.h"

#include "fake_packetizer.h"

#include <gtest/gtest.h>

using namespace blfwk;
using namespace protocol_test;

namespace {

//! A command whose results a test sets directly.
class RecordedCommand : public Command
{
public:
    RecordedCommand(const char *name, const uint32_vector_t &values)
        : Command(name)
    {
        m_responseValues = values;
    }
};

} // namespace

TEST(CommandPacket, CarriesUpToNineLittleEndianWords)
{
    const CommandPacket nine(0x0e, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0x12345678u);
    EXPECT_EQ(Bytes(nine.getData(), nine.getData() + nine.getSize()),
              packet(0x0e, { 1, 2, 3, 4, 5, 6, 7, 8, 0x12345678u }));
}

TEST(GenericResponseCheck, PassesOnlyStatusZeroForTheTagSentAndAppendsOneValueEachTime)
{
    LogCapture log;
    RecordedCommand cmd("reset", {});
    auto check = [&cmd](const Bytes &bytes) {
        return cmd.processResponse(reinterpret_cast<const GenericResponsePacket *>(bytes.data()), 0x0b);
    };

    EXPECT_TRUE(check(genericResponse(0, kCommandTag_Reset)));
    EXPECT_FALSE(check(genericResponse(0, kCommandTag_FlashEraseRegion)));
    EXPECT_FALSE(check(packet(kCommandTag_ReadMemoryResponse, { 0, 6 })));
    EXPECT_FALSE(check(genericResponse(10001, kCommandTag_Reset)));
    EXPECT_FALSE(cmd.processResponse(nullptr, 0x0b));

    EXPECT_EQ(*cmd.getResponseValues(), (uint32_vector_t{ 0, 10000, 10000, 10001, 10004 }));
    EXPECT_EQ(log.texts,
              (std::vector<std::string>{ "Successful generic response to command 'reset'\n",
                                         "Error: expected commandTag 0xb, received 0x2\n",
                                         "Error: expected kCommandTag_GenericResponse (0xa0), received 0xa3\n" }))
        << "the missing packet is told only at debug level";
}

TEST(CommandExchange, IncompleteResponsesGiveNoResponse)
{
    // Complete for their checks whatever the parameter count says: a failing
    // status needs nothing behind it, a generic answer only status and tag,
    // an answer of a foreign kind only its tag. Each answer lies over the
    // bytes of the one before in the receive buffer.
    const std::pair<Bytes, bool> answers[] = {
        { genericResponse(0, kCommandTag_Reset), true },
        { Bytes{ 0xa0, 0, 0, 2 }, false },
        { packet(kCommandTag_GenericResponse, { 0 }), false },
        { Bytes{ 0xa7, 0, 0, 2, 0, 0, 0, 0 }, false },
        { packet(kCommandTag_ReadMemoryResponse, { 0 }), false },
        { packet(kCommandTag_ReadMemoryResponse, { 10200 }), true },
        { packet(kCommandTag_GetPropertyResponse, { 10300 }), true },
        { Bytes{ 0xa0, 0, 0, 3, 0, 0, 0, 0, 0x0b, 0, 0, 0 }, true },
        { Bytes{ 0xaf, 0, 0, 0 }, true },
    };
    FakePacketizer packetizer;
    CommandPacket reset(kCommandTag_Reset, kCommandFlag_None);
    for (const auto &[answer, complete] : answers)
    {
        packetizer.respond(answer);
        EXPECT_EQ(reset.sendCommandGetResponse(packetizer) != nullptr, complete) << ::testing::PrintToString(answer);
    }
}

TEST(ResponseReport, LogsStatusAndWordsAndUnderTheJsonFilterOnlyTheJsonRecord)
{
    // A whole report of a command is checked end to end; here the numbers beyond 31 bits.
    LogCapture log;
    RecordedCommand("reset", { 0xffffffffu, 0xfffffff0u }).logResponses();
    EXPECT_EQ(log.texts, (std::vector<std::string>{ "Response status = -1 (0xffffffff) Unknown error code (-1)\n",
                                                    "Response word 1 = 4294967280 (0xfffffff0)\n" }));

    LogCapture json(Logger::kJson);
    RecordedCommand("reset", { 0 }).logResponses();
    RecordedCommand("read-memory", { 10200, 4000000000u }).logResponses();
    EXPECT_EQ(json.texts, (std::vector<std::string>{ "{\n"
                                                     "   \"command\" : \"reset\",\n"
                                                     "   \"response\" : [],\n"
                                                     "   \"status\" : {\n"
                                                     "      \"description\" : \"0 (0x0) Success.\",\n"
                                                     "      \"value\" : 0\n"
                                                     "   }\n"
                                                     "}\n",
                                                     "{\n"
                                                     "   \"command\" : \"read-memory\",\n"
                                                     "   \"response\" : [ 4000000000 ],\n"
                                                     "   \"status\" : {\n"
                                                     "      \"description\" : "
                                                     "\"10200 (0x27D8) kStatusMemoryRangeInvalid\",\n"
                                                     "      \"value\" : 10200\n"
                                                     "   }\n"
                                                     "}\n" }));
}
