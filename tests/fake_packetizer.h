#pragma once

#include "blfwk/Command.h"
#include "blfwk/Logging.h"
#include "blfwk/Packetizer.h"
#include "blfwk/bootloader_packets.h"

#include "log_capture.h"
#include "packets.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace protocol_test {

using testpackets::Bytes;

using testpackets::packet;
using testpackets::sequence;

inline Bytes genericResponse(uint32_t status, uint32_t commandTag)
{
    return packet(blfwk::kCommandTag_GenericResponse, { status, commandTag });
}

inline std::unique_ptr<blfwk::Command> create(const string_vector_t &words)
{
    return std::unique_ptr<blfwk::Command>(blfwk::Command::create(&words));
}

//! Writes @a bytes to the file @a name in the test's scratch directory and returns its path.
inline std::string tempFile(const char *name, const Bytes &bytes)
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

//! A packetizer that plays a script: every read takes the next scripted
//! packet (or status), every write is recorded and succeeds unless a failure
//! was scripted for it. An exhausted script times out, as a silent target does.
class FakePacketizer : public blfwk::Packetizer
{
public:
    FakePacketizer()
        : Packetizer(nullptr, 5000)
        , m_buffer(kBufferOffset + blfwk::kMaxHostPacketSize)
    {
    }

    void respond(const Bytes &bytes) { m_reads.push_back({ blfwk::kPacketType_Command, kStatus_Success, bytes }); }
    void sendData(const Bytes &bytes) { m_reads.push_back({ blfwk::kPacketType_Data, kStatus_Success, bytes }); }
    void failRead(blfwk::packet_type_t type, status_t status) { m_reads.push_back({ type, status, {} }); }

    status_t readPacket(uint8_t **packet, uint32_t *packetLength, blfwk::packet_type_t packetType) override
    {
        *packet = nullptr;
        *packetLength = 0;
        if (m_reads.empty())
        {
            return kStatus_Timeout;
        }
        const Read next = m_reads.front();
        m_reads.pop_front();
        EXPECT_EQ(next.type, packetType) << "the host read a packet kind the script did not offer next";
        if (next.status == kStatus_Success)
        {
            // An odd offset: the host must not rely on the buffer's alignment.
            // Earlier bytes stay behind, as in a real receive buffer.
            std::copy(next.bytes.begin(), next.bytes.end(), m_buffer.begin() + kBufferOffset);
            *packet = &m_buffer[kBufferOffset];
            *packetLength = static_cast<uint32_t>(next.bytes.size());
        }
        return next.status;
    }

    status_t writePacket(const uint8_t *packet, uint32_t byteCount, blfwk::packet_type_t packetType) override
    {
        (packetType == blfwk::kPacketType_Command ? commands : data).emplace_back(packet, packet + byteCount);
        return writeCount++ == failingWrite ? kStatus_Fail : kStatus_Success;
    }

    void abortPacket() override {}
    void sync() override { ++syncCount; }
    void finalize() override {}
    void enableSimulatorPump() override {}
    void pumpSimulator() override {}
    void setAborted(bool) override {}
    uint32_t getMaxPacketSize() override { return maxPacketSize; }

    size_t unreadCount() const { return m_reads.size(); }

    std::vector<Bytes> commands; //!< command packets written, in order
    std::vector<Bytes> data;     //!< data packets written, in order
    size_t writeCount = 0;
    //! The write with this index (counting from 0 over all writes) fails.
    size_t failingWrite = SIZE_MAX;
    int syncCount = 0;
    uint32_t maxPacketSize = blfwk::kMaxHostPacketSize;

private:
    struct Read
    {
        blfwk::packet_type_t type;
        status_t status;
        Bytes bytes;
    };

    static constexpr size_t kBufferOffset = 3;

    std::deque<Read> m_reads;
    Bytes m_buffer;
};

} // namespace protocol_test
