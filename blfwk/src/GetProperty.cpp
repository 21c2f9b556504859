#include "blfwk/GetProperty.h"

#include "blfwk/Logging.h"
#include "blfwk/format_string.h"

#include <algorithm>
#include <cstddef>

namespace blfwk {

GetProperty::GetProperty(property_t property, uint32_t memoryIdOrIndex)
    : Command(kCommand_GetProperty.name)
    , m_property(property)
    , m_memoryIdorIndex(memoryIdOrIndex)
{
    m_argv.push_back(format_string("0x%08x", property.value));
}

void GetProperty::sendTo(Packetizer &packetizer)
{
    CommandPacket packet(kCommandTag_GetProperty, kCommandFlag_None, m_property.value, m_memoryIdorIndex);
    const uint8_t *response = packet.sendCommandGetResponse(packetizer);
    processResponse(reinterpret_cast<const GetPropertyResponsePacket *>(response));
}

bool GetProperty::processResponse(const GetPropertyResponsePacket *packet)
{
    const std::optional<bool> verdict = checkResponseKind(packet, kCommandTag_GetProperty, kCommandTag_GetPropertyResponse,
                                                          "kCommandTag_GetPropertyResponse");
    if (verdict.has_value())
    {
        return *verdict;
    }

    const uint32_t status = readPacketWord(packet, offsetof(GetPropertyResponsePacket, status));
    m_responseValues.push_back(status);
    if (status != kStatus_Success)
    {
        return false;
    }

    const command_packet_t header = readPacketHeader(packet);
    // A property answer never opens a data phase; values from such a packet
    // are not trusted, and callers then see the status alone.
    if (header.flags & kCommandFlag_HasDataPhase)
    {
        return false;
    }

    Log::debug("Successful response to command '%s(%s)'\n", getName().c_str(), m_property.description);

    // The packet holds at most kMaxPropertyReturnValues values, whatever its header claims.
    const int valueCount =
        std::min<int>(static_cast<int>(header.parameterCount) - 1, static_cast<int>(kMaxPropertyReturnValues));
    for (int i = 0; i < valueCount; ++i)
    {
        m_responseValues.push_back(
            readPacketWord(packet, offsetof(GetPropertyResponsePacket, propertyValue) + 4 * static_cast<size_t>(i)));
    }
    return true;
}

bool GetProperty::processResponse(const uint8_t *packet)
{
    return Command::processResponse(reinterpret_cast<const GenericResponsePacket *>(packet), kCommandTag_GetProperty);
}

} // namespace blfwk
