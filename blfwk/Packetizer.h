#pragma once

#include "blfwk/status_codes.h"

#include <cstdint>

namespace blfwk {

class Peripheral;

//! Kind of a packet on the wire.
enum _packet_type
{
    kPacketType_Command = 0, //!< command packet (to the target) or response packet (from it)
    kPacketType_Data = 1     //!< data-phase packet, either direction
};
typedef enum _packet_type packet_type_t;

//! Protocol version word of the target.
typedef uint32_t standard_version_t;

//! Abstract packet transport that commands send through. Every operation
//! reports its outcome as a status_t and never throws.
class Packetizer
{
public:
    //! Takes ownership of @a peripheral.
    Packetizer(Peripheral *peripheral, uint32_t packetTimeoutMs)
        : m_peripheral(peripheral)
        , m_version(0)
        , m_options(0)
        , m_packetTimeoutMs(packetTimeoutMs)
        , m_isAbortEnabled(false)
        , m_readCount(0)
    {
    }

    //! Deletes the peripheral.
    virtual ~Packetizer();

    //! Receives one packet of @a packetType. On success @a packet points at
    //! the packet bytes inside the packetizer (valid until the next read or
    //! write) and @a packetLength holds their count, 0 when the target ended a
    //! data phase. Both outputs are cleared at entry.
    virtual status_t readPacket(uint8_t **packet, uint32_t *packetLength, packet_type_t packetType) = 0;

    //! Sends one packet of @a byteCount bytes (at most getMaxPacketSize()).
    virtual status_t writePacket(const uint8_t *packet, uint32_t byteCount, packet_type_t packetType) = 0;

    //! Where a caller may build the next outgoing packet, getMaxPacketSize()
    //! bytes, so that writePacket sends it without copying; null when the
    //! transport has no such place. Valid until the next read.
    virtual uint8_t *outgoingPacket() { return nullptr; }

    //! Aborts a receiving data phase from the host side.
    virtual void abortPacket() = 0;

    virtual void sync() = 0;
    virtual void finalize() = 0;
    virtual void enableSimulatorPump() = 0;
    virtual void pumpSimulator() = 0;
    virtual void setAborted(bool aborted) = 0;

    //! Largest packet this transport carries.
    virtual uint32_t getMaxPacketSize() = 0;

    virtual void setReadCount(uint32_t byteCount) { m_readCount = byteCount; }

    virtual Peripheral *getPeripheral() { return m_peripheral; }

    standard_version_t getVersion() const { return m_version; }
    uint16_t getOptions() const { return m_options; }
    void setAbortEnabled(bool isEnabled) { m_isAbortEnabled = isEnabled; }
    bool isAbortEnabled() const { return m_isAbortEnabled; }

protected:
    Peripheral *m_peripheral;
    standard_version_t m_version;
    uint16_t m_options;
    uint32_t m_packetTimeoutMs;
    bool m_isAbortEnabled;
    uint32_t m_readCount;
};

} // namespace blfwk
