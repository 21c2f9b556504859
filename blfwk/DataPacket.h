#pragma once

#include "blfwk/Packetizer.h"
#include "blfwk/Progress.h"
#include "blfwk/bootloader_packets.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace blfwk {

//! Drives the data phase of one command in either direction: a run of data
//! packets, then the target's final response.
class DataPacket
{
public:
    //! Source of the bytes that a data phase sends.
    class DataProducer
    {
    public:
        virtual bool hasMoreData() const = 0;
        //! Total bytes of the whole block.
        virtual uint32_t getDataSize() const = 0;
        //! Copies up to @a size next bytes into @a data; returns how many.
        virtual uint32_t getData(uint8_t *data, uint32_t size) = 0;
        virtual ~DataProducer() = default;
    };

    //! Sink of the bytes that a data phase receives.
    class DataConsumer
    {
    public:
        virtual void processData(const uint8_t *data, uint32_t size) = 0;
        virtual void finalize() = 0;
        virtual ~DataConsumer() = default;
    };

    class FileDataProducer : public DataProducer
    {
    public:
        FileDataProducer();
        ~FileDataProducer() override;
        FileDataProducer(const FileDataProducer &) = delete;
        FileDataProducer &operator=(const FileDataProducer &) = delete;

        //! Opens @a filePath; the block is its first @a count bytes, or the
        //! whole file when @a count is 0.
        bool init(std::string filePath, uint32_t count);

        bool hasMoreData() const override;
        uint32_t getDataSize() const override;
        uint32_t getData(uint8_t *data, uint32_t size) override;

    protected:
        std::string m_filePath;
        FILE *m_filePointer;
        long m_fileSize;
        std::unique_ptr<char[]> m_readBuffer; //!< the file's read buffer; outlives m_filePointer
    };

    class HexDataProducer : public DataProducer
    {
    public:
        HexDataProducer();
        explicit HexDataProducer(const std::vector<uint8_t> &data);

        //! Takes the bytes written out in hexadecimal in @a hexData, ignoring
        //! every other character; returns their count.
        uint32_t initFromString(std::string hexData);

        bool hasMoreData() const override;
        uint32_t getDataSize() const override;
        uint32_t getData(uint8_t *data, uint32_t size) override;

    protected:
        uint32_t m_byteIndex;
        std::vector<uint8_t> m_data;
    };

    class FileDataConsumer : public DataConsumer
    {
    public:
        FileDataConsumer();
        ~FileDataConsumer() override;
        FileDataConsumer(const FileDataConsumer &) = delete;
        FileDataConsumer &operator=(const FileDataConsumer &) = delete;

        //! Creates or truncates @a filePath.
        bool init(std::string filePath);

        void processData(const uint8_t *data, uint32_t size) override;
        void finalize() override {}

    protected:
        std::string m_filePath;
        FILE *m_filePointer;
    };

    //! Prints the received bytes to standard output, 16 to a line.
    class StdOutDataConsumer : public DataConsumer
    {
    public:
        enum
        {
            kBytesPerLine = 16
        };

        StdOutDataConsumer();

        void processData(const uint8_t *data, uint32_t size) override;
        void finalize() override;

    protected:
        void printByte(uint8_t byte);
        void flushCache();

        uint32_t m_currentCount;
        uint8_t m_dataCache[kBytesPerLine];
        uint8_t m_dataCacheCount;
    };

    //! For sending; @a packetSize is the largest payload of one data packet.
    DataPacket(DataProducer *producer, uint32_t packetSize);
    //! For receiving.
    explicit DataPacket(DataConsumer *consumer);

    //! Sends the whole block; @a bytesWritten receives the bytes accepted.
    //! Returns the final response when @a hasResponse and one was read.
    uint8_t *sendTo(Packetizer &device, uint32_t *bytesWritten, Progress *progress, bool hasResponse = true);

    //! @a byteCount holds the bytes expected on entry and those not received
    //! on return. Returns the final response or null.
    uint8_t *receiveFrom(Packetizer &device, uint32_t *byteCount, Progress *progress);

protected:
    DataProducer *m_dataProducer; //!< not owned
    DataConsumer *m_dataConsumer; //!< not owned
    uint8_t m_packet[kMaxHostPacketSize];
    uint32_t m_packetSize;
};

} // namespace blfwk
