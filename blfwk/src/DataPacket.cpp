#include "blfwk/DataPacket.h"

#include "blfwk/Command.h"
#include "blfwk/Logging.h"
#include "blfwk/log_texts.h"
#include "blfwk/utils.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace blfwk {

namespace {

//! Read buffer of an input file: 32 of the largest packets, so that a large
//! image takes few system calls.
const size_t kFileBufferBytes = 32 * kMaxHostPacketSize;

//! Percentage of @a done in @a total, in 64 bits so that large blocks do not
//! wrap.
int percentOf(uint32_t done, uint32_t total)
{
    return total ? static_cast<int>(static_cast<uint64_t>(done) * 100 / total) : 100;
}

//! The final response of a data phase, or null when none came.
uint8_t *readFinalResponse(Packetizer &device)
{
    uint8_t *packet = nullptr;
    uint32_t length = 0;
    if (device.readPacket(&packet, &length, kPacketType_Command) != kStatus_Success)
    {
        return nullptr;
    }
    return isCompleteResponse(packet, length) ? packet : nullptr;
}

std::string hexLine(const uint8_t *data, uint32_t length)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(static_cast<size_t>(length) * 3);
    for (uint32_t i = 0; i < length; ++i)
    {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0xf];
        text += ' ';
    }
    return text;
}

} // namespace

DataPacket::DataPacket(DataProducer *producer, uint32_t packetSize)
    : m_dataProducer(producer)
    , m_dataConsumer(nullptr)
    , m_packetSize(std::min<uint32_t>(packetSize, kMaxHostPacketSize))
{
}

DataPacket::DataPacket(DataConsumer *consumer)
    : m_dataProducer(nullptr)
    , m_dataConsumer(consumer)
    , m_packetSize(kDefaultMaxPacketSize)
{
}

uint8_t *DataPacket::sendTo(Packetizer &device, uint32_t *bytesWritten, Progress *progress, bool hasResponse)
{
    *bytesWritten = 0;
    if (!m_dataProducer->hasMoreData())
    {
        device.pumpSimulator();
    }

    // Each packet is read straight into the transport's outgoing report when
    // it has one: a large packet then costs one copy less.
    uint8_t *buffer = device.outgoingPacket();
    if (!buffer)
    {
        buffer = m_packet;
    }
    const uint32_t packetSize = std::min(m_packetSize, device.getMaxPacketSize());
    const uint32_t dataSize = m_dataProducer->getDataSize();
    while (m_dataProducer->hasMoreData() && *bytesWritten < dataSize)
    {
        uint32_t count = std::min(packetSize, dataSize - *bytesWritten);
        count = m_dataProducer->getData(buffer, count);
        if (count == 0 && !m_dataProducer->hasMoreData())
        {
            break;
        }

        // Nothing handed out although more is promised (a read error, or a
        // packet size of 0) fails like a write: another pass would do the same forever.
        const status_t status = count ? device.writePacket(buffer, count, kPacketType_Data) : kStatus_Fail;
        if (status != kStatus_Success)
        {
            Log::error("Data phase write aborted by status 0x%x %s\n", static_cast<unsigned>(status),
                       Command::getStatusMessage(status).c_str());
            break;
        }

        *bytesWritten += count;
        if (progress)
        {
            progress->progressCallback(percentOf(*bytesWritten, dataSize));
        }
    }

    if (!hasResponse)
    {
        return nullptr;
    }
    return readFinalResponse(device);
}

uint8_t *DataPacket::receiveFrom(Packetizer &device, uint32_t *byteCount, Progress *progress)
{
    const uint32_t total = *byteCount;
    if (total == 0)
    {
        device.pumpSimulator();
    }

    while (*byteCount > 0)
    {
        device.pumpSimulator();
        uint8_t *packet = nullptr;
        uint32_t length = 0;
        const status_t status = device.readPacket(&packet, &length, kPacketType_Data);
        if (status != kStatus_Success)
        {
            Log::info("Read data packet error. Sending ACK.\n");
            m_dataConsumer->finalize();
            device.sync();
            return nullptr;
        }

        if (length == 0 || !packet)
        {
            Log::info("%s\n", kLogDataPhaseAborted);
            break;
        }

        // Bytes beyond those announced are not ours to keep, and counting them
        // would wrap the remaining count.
        length = std::min(length, *byteCount);
        m_dataConsumer->processData(packet, length);
        Log::info(kLogVersionFormat, hexLine(packet, length).c_str());

        *byteCount -= length;
        if (*byteCount == 0)
        {
            m_dataConsumer->finalize();
        }

        if (progress)
        {
            progress->progressCallback(percentOf(total - *byteCount, total));
        }
    }

    return readFinalResponse(device);
}

namespace {

//! Opens @a path for reading only when it is a regular file, and gives its
//! size in @a size. Opened without blocking, so that a FIFO put in its place
//! cannot hold the run with the device open; the type is checked on what was
//! opened, not on the name.
std::FILE *openRegularFile(const std::string &path, long *size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
    {
        return nullptr;
    }
    // O_NONBLOCK is left on: it has no effect on reads of a regular file.
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(fd);
        return nullptr;
    }
    std::FILE *file = ::fdopen(fd, "rb");
    if (!file)
    {
        ::close(fd);
    }
    *size = static_cast<long>(info.st_size);
    return file;
}

} // namespace

DataPacket::FileDataProducer::FileDataProducer()
    : m_filePointer(nullptr)
    , m_fileSize(0)
{
}

DataPacket::FileDataProducer::~FileDataProducer()
{
    if (m_filePointer)
    {
        std::fclose(m_filePointer);
    }
}

bool DataPacket::FileDataProducer::init(std::string filePath, uint32_t count)
{
    if (m_filePointer)
    {
        std::fclose(m_filePointer);
        m_filePointer = nullptr;
    }

    long size = 0;
    m_filePointer = openRegularFile(filePath, &size);
    if (m_filePointer)
    {
        // Packets are read one by one; a buffer of many packets saves a
        // system call per packet.
        if (!m_readBuffer)
        {
            m_readBuffer.reset(new char[kFileBufferBytes]);
        }
        std::setvbuf(m_filePointer, m_readBuffer.get(), _IOFBF, kFileBufferBytes);
    }
    if (count != 0)
    {
        size = count;
    }
    if (!m_filePointer)
    {
        Log::error("Error: cannot open input data file '%s'\n", filePath.c_str());
        return false;
    }

    m_fileSize = size;
    Log::info("Preparing to send %d (0x%x) bytes to the target.\n", static_cast<int>(getDataSize()),
              static_cast<unsigned>(getDataSize()));
    return true;
}

bool DataPacket::FileDataProducer::hasMoreData() const
{
    return m_filePointer && m_fileSize != 0 && !feof_unlocked(m_filePointer);
}

uint32_t DataPacket::FileDataProducer::getDataSize() const
{
    return static_cast<uint32_t>(m_fileSize);
}

uint32_t DataPacket::FileDataProducer::getData(uint8_t *data, uint32_t size)
{
    if (size == 0 || !hasMoreData())
    {
        return 0;
    }
    // One reader per file: the stream's lock is not needed for each packet.
    return static_cast<uint32_t>(fread_unlocked(data, 1, size, m_filePointer));
}

DataPacket::HexDataProducer::HexDataProducer()
    : m_byteIndex(0)
{
}

DataPacket::HexDataProducer::HexDataProducer(const std::vector<uint8_t> &data)
    : m_byteIndex(0)
    , m_data(data)
{
}

uint32_t DataPacket::HexDataProducer::initFromString(std::string hexData)
{
    const std::string digits = utils::string_hex(hexData);
    m_data.clear();
    m_byteIndex = 0;
    for (size_t i = 0; i < digits.size(); i += 2)
    {
        const std::string group = digits.substr(i, 2);
        m_data.push_back(static_cast<uint8_t>(std::strtoul(group.c_str(), nullptr, 16)));
    }
    return static_cast<uint32_t>(m_data.size());
}

bool DataPacket::HexDataProducer::hasMoreData() const
{
    return m_byteIndex < m_data.size();
}

uint32_t DataPacket::HexDataProducer::getDataSize() const
{
    return static_cast<uint32_t>(m_data.size());
}

uint32_t DataPacket::HexDataProducer::getData(uint8_t *data, uint32_t size)
{
    if (!hasMoreData())
    {
        return 0;
    }
    const uint32_t count = std::min<uint32_t>(size, static_cast<uint32_t>(m_data.size()) - m_byteIndex);
    std::memcpy(data, m_data.data() + m_byteIndex, count);
    m_byteIndex += count;
    return count;
}

DataPacket::FileDataConsumer::FileDataConsumer()
    : m_filePointer(nullptr)
{
}

DataPacket::FileDataConsumer::~FileDataConsumer()
{
    if (m_filePointer)
    {
        std::fclose(m_filePointer);
    }
}

bool DataPacket::FileDataConsumer::init(std::string filePath)
{
    if (m_filePointer)
    {
        std::fclose(m_filePointer);
    }
    m_filePointer = std::fopen(filePath.c_str(), "wb");
    if (!m_filePointer)
    {
        Log::error("Error: cannot open output data file '%s'\n", filePath.c_str());
        return false;
    }
    return true;
}

void DataPacket::FileDataConsumer::processData(const uint8_t *data, uint32_t size)
{
    if (m_filePointer)
    {
        std::fwrite(data, 1, size, m_filePointer);
    }
}

DataPacket::StdOutDataConsumer::StdOutDataConsumer()
    : m_currentCount(1)
    , m_dataCache()
    , m_dataCacheCount(0)
{
}

void DataPacket::StdOutDataConsumer::printByte(uint8_t byte)
{
    std::printf("%02x", byte);
    const uint32_t position = m_currentCount++;
    std::printf(position % kBytesPerLine == 0 ? "\n" : " ");
}

void DataPacket::StdOutDataConsumer::flushCache()
{
    for (uint8_t i = 0; i < m_dataCacheCount; ++i)
    {
        printByte(m_dataCache[i]);
    }
    m_dataCacheCount = 0;
}

void DataPacket::StdOutDataConsumer::processData(const uint8_t *data, uint32_t size)
{
    std::printf("\r");
    flushCache();
    for (uint32_t i = 0; i < size; ++i)
    {
        std::printf("%02x", data[i]);
        const uint32_t position = m_currentCount++;
        if (position % kBytesPerLine == 0)
        {
            std::printf("\n");
            const uint32_t following = size - i - 1;
            if (following < kBytesPerLine)
            {
                // A short tail waits for the next packet, so that lines stay whole.
                std::memcpy(m_dataCache, data + i + 1, following);
                m_dataCacheCount = static_cast<uint8_t>(following);
                break;
            }
        }
        else
        {
            std::printf(" ");
        }
    }
    std::fflush(stdout);
}

void DataPacket::StdOutDataConsumer::finalize()
{
    flushCache();
    const uint32_t r = (m_currentCount - 1) % kBytesPerLine;
    if (r != 0)
    {
        if (3 * r <= 8)
        {
            std::printf("%*s", static_cast<int>(9 - 3 * r), "");
        }
        std::printf("\n");
    }
    std::fflush(stdout);
}

} // namespace blfwk
