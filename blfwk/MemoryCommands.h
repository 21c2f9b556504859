#pragma once

#include "blfwk/Command.h"

#include <cstdint>
#include <string>
#include <vector>

namespace blfwk {

class Reset : public Command
{
public:
    explicit Reset(const string_vector_t *argv)
        : Command(argv)
    {
    }

    bool init() override;
    void sendTo(Packetizer &packetizer) override;

    using Command::processResponse;
    virtual bool processResponse(const uint8_t *packet);
};

class FlashEraseRegion : public Command
{
public:
    explicit FlashEraseRegion(const string_vector_t *argv)
        : Command(argv)
        , m_startAddress(0)
        , m_byteCount(0)
        , m_memoryId(kMemoryInternal)
    {
    }

    bool init() override;
    void sendTo(Packetizer &packetizer) override;

    using Command::processResponse;
    virtual bool processResponse(const uint8_t *packet);

protected:
    uint32_t m_startAddress;
    uint32_t m_byteCount;
    uint32_t m_memoryId;
};

class FlashEraseAll : public Command
{
public:
    explicit FlashEraseAll(const string_vector_t *argv)
        : Command(argv)
        , m_memoryId(kMemoryInternal)
    {
    }

    bool init() override;
    void sendTo(Packetizer &packetizer) override;

    using Command::processResponse;
    virtual bool processResponse(const uint8_t *packet);

protected:
    uint32_t m_memoryId;
};

class ReadMemory : public Command
{
public:
    explicit ReadMemory(const string_vector_t *argv)
        : Command(argv)
        , m_startAddress(0)
        , m_byteCount(0)
        , m_memoryId(kMemoryInternal)
    {
    }

    bool init() override;
    void sendTo(Packetizer &packetizer) override;

    using Command::processResponse;
    //! Checks the response that announces the data phase; appends a value
    //! only when the check fails.
    virtual bool processResponse(const ReadMemoryResponsePacket *packet);
    virtual bool processResponse(const uint8_t *packet);

protected:
    std::string m_dataFile; //!< empty: dump to standard output
    uint32_t m_startAddress;
    uint32_t m_byteCount;
    uint32_t m_memoryId;
};

//! A segment of a parsed image file. Only a command built from an image would
//! carry one, and this engine builds commands from words alone, so the type is
//! declared but never defined and WriteMemory's segment stays null.
class DataSegment;

class WriteMemory : public Command
{
public:
    explicit WriteMemory(const string_vector_t *argv)
        : Command(argv)
        , m_segment(nullptr)
        , m_startAddress(0)
        , m_count(0)
        , m_memoryId(kMemoryInternal)
    {
    }

    bool init() override;
    void sendTo(Packetizer &packetizer) override;

    using Command::processResponse;
    virtual bool processResponse(const uint8_t *packet);

protected:
    //! The data packet size the target accepts, or 0 after logging why the
    //! write cannot go on.
    uint32_t queryPacketSize(Packetizer &packetizer);

    std::string m_fileOrData; //!< input file path, or hexadecimal text beginning with "{{"
    DataSegment *m_segment; //!< always null, see DataSegment
    uint32_t m_startAddress;
    uint32_t m_count; //!< bytes of the file to send, 0 for all
    std::vector<uint8_t> m_data;
    uint32_t m_memoryId;
};

} // namespace blfwk
