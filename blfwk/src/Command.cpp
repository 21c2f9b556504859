#include "blfwk/Command.h"

#include "blfwk/Logging.h"
#include "blfwk/MemoryCommands.h"
#include "blfwk/format_string.h"
#include "blfwk/log_texts.h"
#include "blfwk/status_messages.h"

#include <json/json.h>

#include <cstddef>
#include <cstring>
#include <stdexcept>

// Parameter words are stored as host words and sent as they lie in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "command packets are little-endian on the wire");

namespace blfwk {

namespace {

template <typename T>
Command *make(const string_vector_t *argv)
{
    return new T(argv);
}

struct CommandFactoryEntry
{
    const char *name;
    Command *(*make)(const string_vector_t *argv);
};

const CommandFactoryEntry kCommandFactory[] = {
    { kCommand_Reset.name, &make<Reset> },
    { kCommand_FlashEraseRegion.name, &make<FlashEraseRegion> },
    { kCommand_FlashEraseAll.name, &make<FlashEraseAll> },
    { kCommand_ReadMemory.name, &make<ReadMemory> },
    { kCommand_WriteMemory.name, &make<WriteMemory> },
};

} // namespace

Command *Command::create(const string_vector_t *argv)
{
    if (!argv || argv->empty())
    {
        return nullptr;
    }

    for (const CommandFactoryEntry &entry : kCommandFactory)
    {
        if (argv->front() == entry.name)
        {
            Command *cmd = entry.make(argv);
            if (cmd->init())
            {
                return cmd;
            }
            delete cmd;
            return nullptr;
        }
    }
    return nullptr;
}

std::string Command::getStatusMessage(status_t code)
{
    for (const StatusMessageTableEntry *row = g_statusCodes; row->status != kStatusMessageTableEnd; ++row)
    {
        if (row->status == code)
        {
            return row->message;
        }
    }
    return format_string("Unknown error code (%d)", code);
}

Command::Command(const string_vector_t *argv)
    : m_progress(nullptr)
    , m_argv(*argv)
{
}

Command::Command(const char *cmd)
    : m_progress(nullptr)
    , m_argv(1, cmd)
{
}

Command::~Command() = default;

std::string Command::getArg(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_argv.size())
    {
        throw std::out_of_range(format_string("command word %d of %zu", index, m_argv.size()));
    }
    return m_argv[static_cast<size_t>(index)];
}

void Command::sendTo(Packetizer &)
{
}

std::string Command::getResponse() const
{
    // Without any response the command cannot claim success.
    const status_t status =
        m_responseValues.empty() ? kStatus_NoResponse : static_cast<status_t>(m_responseValues.front());

    Json::Value root;
    root["command"] = getName();
    root["status"]["value"] = status;
    root["status"]["description"] = format_string("%d (0x%X) %s", status, static_cast<unsigned>(status),
                                                  getStatusMessage(status).c_str());
    Json::Value response(Json::arrayValue);
    for (size_t i = 1; i < m_responseValues.size(); ++i)
    {
        response.append(Json::Value(static_cast<Json::UInt>(m_responseValues[i])));
    }
    root["response"] = response;

    // The record's layout is the styled writer's; its replacement formats differently.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::StyledWriter writer;
#pragma GCC diagnostic pop
    return writer.write(root);
}

bool Command::processResponse(const GenericResponsePacket *packet, uint8_t commandTag)
{
    if (!packet)
    {
        Log::debug("processResponse: null packet\n");
        m_responseValues.push_back(kStatus_NoResponse);
        return false;
    }

    if (!checkResponseTag(packet, kCommandTag_GenericResponse, "kCommandTag_GenericResponse"))
    {
        return false;
    }

    const uint32_t answeredTag = readPacketWord(packet, offsetof(GenericResponsePacket, commandTag));
    if (answeredTag != commandTag)
    {
        Log::error("%sexpected commandTag 0x%x, received 0x%x\n", kLogErrorPrefix, static_cast<unsigned>(commandTag),
                   static_cast<unsigned>(answeredTag));
        m_responseValues.push_back(kStatus_UnknownCommand);
        return false;
    }

    const uint32_t status = readPacketWord(packet, offsetof(GenericResponsePacket, status));
    m_responseValues.push_back(status);
    if (status != kStatus_Success)
    {
        return false;
    }

    Log::info("Successful generic response to command '%s'\n", getName().c_str());
    return true;
}

bool Command::checkResponseTag(const void *packet, uint8_t expectedTag, const char *expectedName)
{
    const uint8_t tag = readPacketHeader(packet).commandTag;
    if (tag == expectedTag)
    {
        return true;
    }
    Log::error("%sexpected %s (0x%x), received 0x%x\n", kLogErrorPrefix, expectedName,
               static_cast<unsigned>(expectedTag), static_cast<unsigned>(tag));
    m_responseValues.push_back(kStatus_UnknownCommand);
    return false;
}

std::optional<bool> Command::checkResponseKind(const void *packet, uint8_t commandTag, uint8_t responseTag,
                                               const char *responseName)
{
    if (!packet || readPacketHeader(packet).commandTag == kCommandTag_GenericResponse)
    {
        return processResponse(static_cast<const GenericResponsePacket *>(packet), commandTag);
    }
    if (!checkResponseTag(packet, responseTag, responseName))
    {
        return false;
    }
    return std::nullopt;
}

void Command::logResponses() const
{
    const uint32_vector_t *values = getResponseValues();
    if (values->empty())
    {
        return;
    }

    const status_t status = static_cast<status_t>(values->front());
    Log::info(kLogStatusFormat, status, static_cast<unsigned>(status), getStatusMessage(status).c_str());

    for (size_t i = 1; i < values->size(); ++i)
    {
        const uint32_t value = (*values)[i];
        Log::info("Response word %d = %ld (0x%lx)\n", static_cast<int>(i), static_cast<long>(value),
                  static_cast<unsigned long>(value));
    }

    if (!m_responseDetails.empty())
    {
        Log::info("%s\n", m_responseDetails.c_str());
    }

    // The record is the whole text: it may contain '%'. It is built only for
    // a json run: a styled JSON document per command costs more than its data phase.
    if (Log::isJsonWanted())
    {
        Log::json("%s", getResponse().c_str());
    }
}

void CommandPacket::init(uint8_t tag, uint8_t flags, std::initializer_list<uint32_t> words)
{
    std::memset(&m_packet, 0, sizeof(m_packet));
    m_packet.m_header.commandTag = tag;
    m_packet.m_header.flags = flags;
    m_packet.m_header.reserved = 0;
    m_packet.m_header.parameterCount = static_cast<uint8_t>(words.size());
    m_numArguments = static_cast<int32_t>(words.size());
    size_t i = 0;
    for (uint32_t word : words)
    {
        m_packet.m_arguments[i++] = word;
    }
}

uint8_t *CommandPacket::sendCommandGetResponse(Packetizer &packetizer, bool *sent)
{
    status_t status = packetizer.writePacket(getData(), getSize(), kPacketType_Command);
    if (sent)
    {
        *sent = status == kStatus_Success;
    }
    if (status != kStatus_Success)
    {
        Log::error("sendCommandGetResponse.writePacket error %d.\n", status);
        return nullptr;
    }

    uint8_t *packet = nullptr;
    uint32_t length = 0;
    status = packetizer.readPacket(&packet, &length, kPacketType_Command);
    if (status != kStatus_Success)
    {
        Log::error("sendCommandGetResponse.readPacket error %d.\n", status);
        return nullptr;
    }
    return isCompleteResponse(packet, length) ? packet : nullptr;
}

} // namespace blfwk
