#pragma once

#include "blfwk/status_codes.h"

#include <cstddef>
#include <cstdint>

namespace blfwk {

//! Tags of the commands this host sends, and of the responses it receives.
enum _command_tags
{
    kCommandTag_FlashEraseAll = 0x01,
    kCommandTag_FlashEraseRegion = 0x02,
    kCommandTag_ReadMemory = 0x03,
    kCommandTag_WriteMemory = 0x04,
    kCommandTag_GetProperty = 0x07,
    kCommandTag_Reset = 0x0b,

    kResponseCommandHighNibbleMask = 0xa0,
    kCommandTag_GenericResponse = 0xa0,
    kCommandTag_ReadMemoryResponse = 0xa3,
    kCommandTag_GetPropertyResponse = 0xa7
};

//! Bits of command_packet_t::flags.
enum _command_flags
{
    kCommandFlag_None = 0,
    kCommandFlag_HasDataPhase = 1
};

enum _command_packet_constants
{
    kDefaultMaxPacketSize = 32,  //!< data packet size when the target does not tell its own
    kMaxHostPacketSize = 8192,   //!< largest packet the host handles
    kMaxCommandArguments = 16,   //!< parameter words a command packet can hold
    kMaxPropertyReturnValues = 6 //!< value words of one get-property response
};

//! Header of every command and response packet (wire format).
struct command_packet_t
{
    uint8_t commandTag;
    uint8_t flags;
    uint8_t reserved;
    uint8_t parameterCount;
};

//! Answer to every command without a specific response, and end of every data phase.
struct GenericResponsePacket
{
    command_packet_t commandPacket;
    uint32_t status;
    uint32_t commandTag;
};

struct ReadMemoryResponsePacket
{
    command_packet_t commandPacket;
    uint32_t status;
    uint32_t dataByteCount;
};

struct GetPropertyResponsePacket
{
    command_packet_t commandPacket;
    uint32_t status;
    uint32_t propertyValue[kMaxPropertyReturnValues];
};

static_assert(sizeof(command_packet_t) == 4, "the header is four bytes on the wire");
static_assert(sizeof(GenericResponsePacket) == 12, "generic response layout");
static_assert(sizeof(ReadMemoryResponsePacket) == 12, "read-memory response layout");
static_assert(sizeof(GetPropertyResponsePacket) == 8 + 4 * kMaxPropertyReturnValues, "get-property response layout");

//! The little-endian word at @a offset of a received packet. Read byte by
//! byte: a packetizer's receive buffer need not be aligned for the structures
//! above.
inline uint32_t readPacketWord(const void *packet, size_t offset)
{
    const uint8_t *bytes = static_cast<const uint8_t *>(packet) + offset;
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

//! Header of a received packet, copied out for the same reason.
inline command_packet_t readPacketHeader(const void *packet)
{
    const uint8_t *bytes = static_cast<const uint8_t *>(packet);
    return command_packet_t{ bytes[0], bytes[1], bytes[2], bytes[3] };
}

//! True when the @a length bytes received at @a packet hold every field that
//! a check of its kind goes on to read. A receive buffer may still hold an
//! earlier response behind a short one, so no check may read past them; the
//! announced parameter count does not matter beyond that.
inline bool isCompleteResponse(const uint8_t *packet, uint32_t length)
{
    if (length < sizeof(command_packet_t))
    {
        return false;
    }
    const command_packet_t header = readPacketHeader(packet);
    const uint32_t statusEnd = offsetof(GenericResponsePacket, status) + sizeof(uint32_t);
    switch (header.commandTag)
    {
    case kCommandTag_GenericResponse:
        // The answered tag is compared before the status is taken.
        return length >= sizeof(GenericResponsePacket);
    case kCommandTag_ReadMemoryResponse:
        // The byte count is read only behind a successful status.
        return length >= statusEnd && (readPacketWord(packet, offsetof(ReadMemoryResponsePacket, status)) != kStatus_Success ||
                                       length >= sizeof(ReadMemoryResponsePacket));
    case kCommandTag_GetPropertyResponse:
    {
        if (length < statusEnd)
        {
            return false;
        }
        // Values are read only from a successful answer without a data phase,
        // as many as the header announces, up to what the layout holds.
        if (readPacketWord(packet, offsetof(GetPropertyResponsePacket, status)) != kStatus_Success ||
            (header.flags & kCommandFlag_HasDataPhase))
        {
            return true;
        }
        const uint32_t valueCount = header.parameterCount > 1 ? header.parameterCount - 1u : 0u;
        const uint32_t maxCount = kMaxPropertyReturnValues;
        const uint32_t readCount = valueCount < maxCount ? valueCount : maxCount;
        return length >= statusEnd + 4u * readCount;
    }
    default:
        // Any other kind is refused on its tag alone.
        return true;
    }
}

//! Descriptor of one command: its tag, its bit in the available-commands
//! property and its command word.
struct cmd_t
{
    uint8_t tag;
    uint32_t mask;
    const char *name;
};

constexpr uint32_t commandMask(uint8_t tag)
{
    return 1u << (tag - 1);
}

constexpr cmd_t kCommand_FlashEraseAll = { kCommandTag_FlashEraseAll, commandMask(kCommandTag_FlashEraseAll),
                                           "flash-erase-all" };
constexpr cmd_t kCommand_FlashEraseRegion = { kCommandTag_FlashEraseRegion,
                                              commandMask(kCommandTag_FlashEraseRegion), "flash-erase-region" };
constexpr cmd_t kCommand_ReadMemory = { kCommandTag_ReadMemory, commandMask(kCommandTag_ReadMemory), "read-memory" };
constexpr cmd_t kCommand_WriteMemory = { kCommandTag_WriteMemory, commandMask(kCommandTag_WriteMemory),
                                         "write-memory" };
constexpr cmd_t kCommand_GetProperty = { kCommandTag_GetProperty, commandMask(kCommandTag_GetProperty),
                                         "get-property" };
constexpr cmd_t kCommand_Reset = { kCommandTag_Reset, commandMask(kCommandTag_Reset), "reset" };

//! Descriptor of one target property: its tag and its name word.
struct property_t
{
    uint32_t value;
    const char *description;
};

enum _property_tag
{
    kPropertyTag_MaxPacketSize = 11
};

constexpr property_t kProperty_MaxPacketSize = { kPropertyTag_MaxPacketSize, "max-packet-size" };

//! Memory-ID parameter of the memory commands.
enum _bl_memory_id
{
    kMemoryInternal = 0x000,
    kMemoryQuadSpi0 = 0x001,
    kMemoryIFR0 = 0x004,
    kMemorySemcNor = 0x008,
    kMemoryFlexSpiNor = 0x009,
    kMemorySpifiNor = 0x00a,
    kMemoryFlashExecuteOnly = 0x010,
    kMemorySemcNand = 0x100,
    kMemorySpiNand = 0x101,
    kMemorySpiNorEeprom = 0x110,
    kMemoryI2cNorEeprom = 0x111,
    kMemorySDCard = 0x120,
    kMemoryMMCCard = 0x121
};

//! True for memory that the target maps into its address space: such memory
//! is reached through its addresses, so its identifier is not sent.
constexpr bool isMappedMemoryId(uint32_t memoryId)
{
    return memoryId != 0 && (memoryId & 0xf00) == 0;
}

} // namespace blfwk
