#include "blfwk/MemoryCommands.h"

#include "blfwk/DataPacket.h"
#include "blfwk/GetProperty.h"
#include "blfwk/Logging.h"
#include "blfwk/format_string.h"
#include "blfwk/utils.h"

#include <algorithm>
#include <cstddef>
#include <memory>

namespace blfwk {

namespace {

//! Reads the memory identifier in @a word; mapped memory is reached through
//! its addresses, so its identifier becomes 0 with a note naming @a command.
bool parseMappedMemoryId(const std::string &word, const char *command, uint32_t &memoryId)
{
    if (!utils::stringtoui(word, memoryId))
    {
        return false;
    }
    if (isMappedMemoryId(memoryId))
    {
        Log::warning("Note: memoryId is not required for %s when accessing mapped external memory. Ignore this "
                     "parameter.\n",
                     command);
        memoryId = kMemoryInternal;
    }
    return true;
}

bool startsWithHexMarker(const std::string &source)
{
    return source.compare(0, 2, "{{") == 0;
}

} // namespace

bool Reset::init()
{
    return getArgCount() == 1;
}

void Reset::sendTo(Packetizer &packetizer)
{
    CommandPacket packet(kCommandTag_Reset, kCommandFlag_None);
    bool sent = false;
    const uint8_t *response = packet.sendCommandGetResponse(packetizer, &sent);
    // The target may restart before it answers; a reset that never went out
    // is no success, and the generic check records the missing response.
    if (!response && sent)
    {
        Log::warning("Ignoring missing response from reset command.\n");
        m_responseValues.push_back(kStatus_Success);
        return;
    }
    processResponse(response);
}

bool Reset::processResponse(const uint8_t *packet)
{
    return Command::processResponse(reinterpret_cast<const GenericResponsePacket *>(packet), kCommandTag_Reset);
}

bool FlashEraseRegion::init()
{
    if (getArgCount() != 3 && getArgCount() != 4)
    {
        return false;
    }
    if (!utils::stringtoui(getArg(1), m_startAddress) || !utils::stringtoui(getArg(2), m_byteCount))
    {
        return false;
    }
    m_memoryId = kMemoryInternal;
    return getArgCount() == 3 || parseMappedMemoryId(getArg(3), kCommand_FlashEraseRegion.name, m_memoryId);
}

void FlashEraseRegion::sendTo(Packetizer &packetizer)
{
    CommandPacket packet(kCommandTag_FlashEraseRegion, kCommandFlag_None, m_startAddress, m_byteCount, m_memoryId);
    processResponse(packet.sendCommandGetResponse(packetizer));
}

bool FlashEraseRegion::processResponse(const uint8_t *packet)
{
    return Command::processResponse(reinterpret_cast<const GenericResponsePacket *>(packet),
                                    kCommandTag_FlashEraseRegion);
}

bool FlashEraseAll::init()
{
    if (getArgCount() != 1 && getArgCount() != 2)
    {
        return false;
    }
    m_memoryId = kMemoryInternal;
    return getArgCount() == 1 || utils::stringtoui(getArg(1), m_memoryId);
}

void FlashEraseAll::sendTo(Packetizer &packetizer)
{
    CommandPacket packet(kCommandTag_FlashEraseAll, kCommandFlag_None, m_memoryId);
    processResponse(packet.sendCommandGetResponse(packetizer));
}

bool FlashEraseAll::processResponse(const uint8_t *packet)
{
    return Command::processResponse(reinterpret_cast<const GenericResponsePacket *>(packet),
                                    kCommandTag_FlashEraseAll);
}

bool ReadMemory::init()
{
    const size_t count = getArgCount();
    if (count < 3 || count > 5)
    {
        return false;
    }
    if (!utils::stringtoui(getArg(1), m_startAddress) || !utils::stringtoui(getArg(2), m_byteCount))
    {
        return false;
    }

    m_dataFile.clear();
    m_memoryId = kMemoryInternal;
    if (count == 4)
    {
        uint32_t memoryId = kMemoryInternal;
        if (utils::stringtoui(getArg(3), memoryId))
        {
            return parseMappedMemoryId(getArg(3), kCommand_ReadMemory.name, m_memoryId);
        }
        m_dataFile = getArg(3);
    }
    else if (count == 5)
    {
        m_dataFile = getArg(3);
        return parseMappedMemoryId(getArg(4), kCommand_ReadMemory.name, m_memoryId);
    }
    return true;
}

void ReadMemory::sendTo(Packetizer &packetizer)
{
    std::unique_ptr<DataPacket::DataConsumer> consumer;
    if (!m_dataFile.empty())
    {
        auto fileConsumer = std::make_unique<DataPacket::FileDataConsumer>();
        if (!fileConsumer->init(m_dataFile))
        {
            return;
        }
        consumer = std::move(fileConsumer);
    }
    else
    {
        consumer = std::make_unique<DataPacket::StdOutDataConsumer>();
    }

    CommandPacket packet(kCommandTag_ReadMemory, kCommandFlag_None, m_startAddress, m_byteCount, m_memoryId);
    const uint8_t *response = packet.sendCommandGetResponse(packetizer);

    uint32_t bytesRead = 0;
    // A generic success in place of the read-memory response announces no
    // data phase; its status is already the result.
    if (processResponse(reinterpret_cast<const ReadMemoryResponsePacket *>(response)) &&
        readPacketHeader(response).commandTag == kCommandTag_ReadMemoryResponse)
    {
        // The target's count rules: it is what the data phase will carry.
        const uint32_t announced = readPacketWord(response, offsetof(ReadMemoryResponsePacket, dataByteCount));
        uint32_t remaining = announced;
        DataPacket dataPacket(consumer.get());
        const uint8_t *finalResponse = dataPacket.receiveFrom(packetizer, &remaining, m_progress);
        processResponse(finalResponse);
        bytesRead = announced - remaining;
    }

    m_responseValues.push_back(bytesRead);
    m_responseDetails = format_string("Read %d of %d bytes.", static_cast<int>(bytesRead), static_cast<int>(m_byteCount));
}

bool ReadMemory::processResponse(const ReadMemoryResponsePacket *packet)
{
    const std::optional<bool> verdict = checkResponseKind(packet, kCommandTag_ReadMemory, kCommandTag_ReadMemoryResponse,
                                                          "kCommandTag_ReadMemoryResponse");
    if (verdict.has_value())
    {
        return *verdict;
    }

    const uint32_t status = readPacketWord(packet, offsetof(ReadMemoryResponsePacket, status));
    if (status != kStatus_Success)
    {
        m_responseValues.push_back(status);
        return false;
    }

    Log::info("Successful response to command '%s'\n", getName().c_str());
    return true;
}

bool ReadMemory::processResponse(const uint8_t *packet)
{
    return Command::processResponse(reinterpret_cast<const GenericResponsePacket *>(packet), kCommandTag_ReadMemory);
}

bool WriteMemory::init()
{
    if (getArgCount() != 3 && getArgCount() != 4)
    {
        return false;
    }
    if (!utils::stringtoui(getArg(1), m_startAddress))
    {
        return false;
    }

    m_fileOrData = getArg(2);
    m_count = 0;
    const size_t comma = m_fileOrData.find(',');
    if (comma != std::string::npos)
    {
        if (!utils::stringtoui(m_fileOrData.substr(comma + 1), m_count))
        {
            return false;
        }
        m_fileOrData.erase(comma);
    }

    if (startsWithHexMarker(m_fileOrData))
    {
        DataPacket::HexDataProducer probe;
        if (probe.initFromString(m_fileOrData) == 0)
        {
            return false;
        }
    }

    m_memoryId = kMemoryInternal;
    return getArgCount() == 3 || parseMappedMemoryId(getArg(3), kCommand_WriteMemory.name, m_memoryId);
}

uint32_t WriteMemory::queryPacketSize(Packetizer &packetizer)
{
    GetProperty query(kProperty_MaxPacketSize, 0);
    query.sendTo(packetizer);

    // No usable answer (a failed query, a status without a value, or a size
    // of 0) leaves the size that every target accepts.
    const uint32_vector_t &values = *query.getResponseValues();
    if (values.size() < 2 || values[0] != kStatus_Success || values[1] == 0)
    {
        Log::warning("Warning: Failed to get packet size. Using default size(%d)", kDefaultMaxPacketSize);
        return kDefaultMaxPacketSize;
    }

    const uint32_t packetSize = values[1];
    // The data phase stages each packet in a buffer of kMaxHostPacketSize.
    const uint32_t limit = std::min<uint32_t>(packetizer.getMaxPacketSize(), kMaxHostPacketSize);
    if (packetSize > limit)
    {
        Log::error("Error: Packet size(%d) is bigger than max supported size(%d).", static_cast<int>(packetSize),
                   static_cast<int>(limit));
        return 0;
    }
    return packetSize;
}

void WriteMemory::sendTo(Packetizer &packetizer)
{
    std::unique_ptr<DataPacket::DataProducer> producer;
    if (startsWithHexMarker(m_fileOrData))
    {
        auto hexProducer = std::make_unique<DataPacket::HexDataProducer>();
        if (hexProducer->initFromString(m_fileOrData) == 0)
        {
            return;
        }
        producer = std::move(hexProducer);
    }
    else
    {
        auto fileProducer = std::make_unique<DataPacket::FileDataProducer>();
        if (!fileProducer->init(m_fileOrData, m_count))
        {
            return;
        }
        producer = std::move(fileProducer);
    }

    const uint32_t packetSize = queryPacketSize(packetizer);
    if (packetSize == 0)
    {
        return;
    }

    const uint32_t size = producer->getDataSize();
    CommandPacket packet(kCommandTag_WriteMemory, kCommandFlag_HasDataPhase, m_startAddress, size, m_memoryId);
    if (!processResponse(packet.sendCommandGetResponse(packetizer)))
    {
        m_responseDetails = format_string("Wrote 0 of %d bytes.", static_cast<int>(size));
        return;
    }
    // The status after the data phase is the command's result.
    m_responseValues.clear();

    uint32_t bytesWritten = 0;
    DataPacket dataPacket(producer.get(), packetSize);
    processResponse(dataPacket.sendTo(packetizer, &bytesWritten, m_progress));
    m_responseDetails =
        format_string("Wrote %d of %d bytes.", static_cast<int>(bytesWritten), static_cast<int>(size));
}

bool WriteMemory::processResponse(const uint8_t *packet)
{
    return Command::processResponse(reinterpret_cast<const GenericResponsePacket *>(packet),
                                    kCommandTag_WriteMemory);
}

} // namespace blfwk
