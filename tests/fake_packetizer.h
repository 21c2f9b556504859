#pragma once

#include "blfwk/Logging.h"
#include "blfwk/Packetizer.h"
#include "blfwk/bootloader_packets.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace protocol_test {

using Bytes = std::vector<uint8_t>;

inline void appendWord(Bytes &bytes, uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        bytes.push_back(static_cast<uint8_t>(word >> shift));
    }
}

inline Bytes genericResponse(uint32_t status, uint32_t commandTag)
{
    Bytes bytes{ blfwk::kCommandTag_GenericResponse, 0, 0, 2 };
    appendWord(bytes, status);
    appendWord(bytes, commandTag);
    return bytes;
}

inline Bytes readMemoryResponse(uint32_t status, uint32_t dataByteCount)
{
    Bytes bytes{ blfwk::kCommandTag_ReadMemoryResponse, 0, 0, 2 };
    appendWord(bytes, status);
    appendWord(bytes, dataByteCount);
    return bytes;
}

inline Bytes getPropertyResponse(uint32_t status, const std::vector<uint32_t> &values, uint8_t flags = 0)
{
    Bytes bytes{ blfwk::kCommandTag_GetPropertyResponse, flags, 0, static_cast<uint8_t>(1 + values.size()) };
    appendWord(bytes, status);
    for (uint32_t value : values)
    {
        appendWord(bytes, value);
    }
    return bytes;
}

//! A packetizer that plays a script: every read takes the next scripted
//! packet (or status), every write is recorded and succeeds unless a failure
//! was scripted for it. An exhausted script times out, as a silent target does.
class FakePacketizer : public blfwk::Packetizer
{
public:
    struct Packet
    {
        blfwk::packet_type_t type;
        Bytes bytes;
    };

    FakePacketizer()
        : Packetizer(nullptr, 5000)
        , m_buffer(kBufferOffset + blfwk::kMaxHostPacketSize)
    {
    }

    void respond(const Bytes &bytes) { m_reads.push_back({ blfwk::kPacketType_Command, kStatus_Success, bytes }); }
    void sendData(const Bytes &bytes) { m_reads.push_back({ blfwk::kPacketType_Data, kStatus_Success, bytes }); }
    void failRead(blfwk::packet_type_t type, status_t status) { m_reads.push_back({ type, status, {} }); }
    //! The write with this index (counting from 0 over all writes) returns @a status.
    void failWrite(size_t index, status_t status) { m_writeFailures.emplace_back(index, status); }
    void setMaxPacketSize(uint32_t size) { m_maxPacketSize = size; }

    status_t readPacket(uint8_t **packet, uint32_t *packetLength, blfwk::packet_type_t packetType) override
    {
        *packet = nullptr;
        *packetLength = 0;
        if (m_reads.empty())
        {
            return kStatus_Timeout;
        }
        Read next = m_reads.front();
        m_reads.pop_front();
        EXPECT_EQ(next.type, packetType) << "the host read a packet kind the script did not offer next";
        if (next.status != kStatus_Success)
        {
            return next.status;
        }
        // An odd offset: the host must not rely on the buffer's alignment.
        if (!next.bytes.empty())
        {
            std::memcpy(&m_buffer[kBufferOffset], next.bytes.data(), next.bytes.size());
        }
        *packet = &m_buffer[kBufferOffset];
        *packetLength = static_cast<uint32_t>(next.bytes.size());
        return kStatus_Success;
    }

    status_t writePacket(const uint8_t *packet, uint32_t byteCount, blfwk::packet_type_t packetType) override
    {
        const size_t index = writes.size();
        writes.push_back({ packetType, Bytes(packet, packet + byteCount) });
        for (const auto &failure : m_writeFailures)
        {
            if (failure.first == index)
            {
                return failure.second;
            }
        }
        return kStatus_Success;
    }

    void abortPacket() override {}
    void sync() override { ++syncCount; }
    void finalize() override {}
    void enableSimulatorPump() override {}
    void pumpSimulator() override { ++pumpCount; }
    void setAborted(bool) override {}
    uint32_t getMaxPacketSize() override { return m_maxPacketSize; }

    //! The packets written with the given kind, in order.
    std::vector<Bytes> written(blfwk::packet_type_t type) const
    {
        std::vector<Bytes> result;
        for (const Packet &p : writes)
        {
            if (p.type == type)
            {
                result.push_back(p.bytes);
            }
        }
        return result;
    }

    size_t unreadCount() const { return m_reads.size(); }

    std::vector<Packet> writes;
    int syncCount = 0;
    int pumpCount = 0;

private:
    struct Read
    {
        blfwk::packet_type_t type;
        status_t status;
        Bytes bytes;
    };

    static constexpr size_t kBufferOffset = 3;

    std::deque<Read> m_reads;
    std::vector<std::pair<size_t, status_t>> m_writeFailures;
    Bytes m_buffer;
    uint32_t m_maxPacketSize = blfwk::kMaxHostPacketSize;
};

//! Installs itself as the process logger and records each text with its
//! level instead of printing it.
class LogCapture : public StdoutLogger
{
public:
    struct Entry
    {
        log_level_t level;
        std::string text;
    };

    explicit LogCapture(log_level_t filter = kInfo)
    {
        setFilterLevel(filter);
        Log::setLogger(this);
    }
    ~LogCapture() override { Log::setLogger(nullptr); }

    using StdoutLogger::log;
    void log(log_level_t level, const char *fmt, va_list args) override
    {
        m_pendingLevel = level;
        StdoutLogger::log(level, fmt, args);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Entry &e : entries)
        {
            result.push_back(e.text);
        }
        return result;
    }

    bool contains(log_level_t level, const std::string &text) const
    {
        for (const Entry &e : entries)
        {
            if (e.level == level && e.text == text)
            {
                return true;
            }
        }
        return false;
    }

    std::vector<Entry> entries;

protected:
    void _log(const char *msg) override { entries.push_back({ m_pendingLevel, msg }); }

private:
    log_level_t m_pendingLevel = kInfo;
};

} // namespace protocol_test
