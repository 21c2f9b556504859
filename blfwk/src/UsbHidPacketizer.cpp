#include "blfwk/UsbHidPacketizer.h"

#include "blfwk/Logging.h"

#include <cstring>

namespace blfwk {

namespace {

//! Polling for an abort report must not slow a data phase down noticeably.
const uint32_t kAbortPollTimeoutMs = 10;

//! Zero-length reports skipped by the first read after a write, so that a
//! target that keeps sending them cannot hold the host for ever.
const uint32_t kMaxSkippedAbortReports = 50;

const uint32_t kHeaderSize = sizeof(bl_hid_header_t);

//! The report ID that carries @a packetType in one direction: @a commandID or
//! @a dataID. A type the framing does not know is logged and gives 0, which
//! no report uses.
uint8_t reportIdOf(packet_type_t packetType, uint8_t commandID, uint8_t dataID)
{
    switch (packetType)
    {
        case kPacketType_Command:
            return commandID;
        case kPacketType_Data:
            return dataID;
        default:
            Log::error("usbhid: unsupported packet type %d\n", static_cast<int>(packetType));
            return 0;
    }
}

} // namespace

UsbHidPacketizer::UsbHidPacketizer(UsbHidPeripheral *peripheral, uint32_t packetTimeoutMs)
    : Packetizer(peripheral, packetTimeoutMs)
    , m_continuousReadCount(0)
{
    // Only the headers are read before a report fills them; clearing the
    // packet fields would cost a page of writes per session.
    m_report.header = {};
    m_abortReport.header = {};
}

UsbHidPacketizer::~UsbHidPacketizer() = default;

status_t UsbHidPacketizer::writePacket(const uint8_t *packet, uint32_t byteCount, packet_type_t packetType)
{
    const uint8_t reportID = reportIdOf(packetType, kBootloaderReportID_CommandOut, kBootloaderReportID_DataOut);
    if (reportID == 0)
    {
        return kStatus_Fail;
    }

    // The report buffer holds one packet of the largest size; anything more
    // would be written past it.
    if (byteCount > getMaxPacketSize())
    {
        Log::error("Data packet size(%d) is bigger than max supported size(%d).", static_cast<int>(byteCount),
                   static_cast<int>(getMaxPacketSize()));
        return kStatus_Fail;
    }
    if (!packet && byteCount > 0)
    {
        return kStatus_Fail;
    }

    if (packetType == kPacketType_Data && m_isAbortEnabled)
    {
        // Any bytes from the target (or a failed read) while we are sending
        // mean the receiver has given up the data phase.
        uint32_t polled = 0;
        status_t status = getPeripheral()->read(reinterpret_cast<uint8_t *>(&m_abortReport), sizeof(m_abortReport),
                                                &polled, kAbortPollTimeoutMs);
        if (status == kStatus_Fail || polled > 0)
        {
            Log::info("usb hid detected receiver data abort\n");
            return kStatus_AbortDataPhase;
        }
    }

    // Only the header and the packet go on the wire, so only they are set:
    // clearing the whole 8196-byte report for every small packet would cost
    // more than sending it.
    m_report.header.reportID = reportID;
    m_report.header._padding = 0;
    m_report.header.packetLengthLsb = static_cast<uint8_t>(byteCount & 0xff);
    m_report.header.packetLengthMsb = static_cast<uint8_t>((byteCount >> 8) & 0xff);
    if (byteCount > 0 && packet != m_report.packet)
    {
        std::memcpy(m_report.packet, packet, byteCount);
    }

    m_continuousReadCount = 0;

    return getPeripheral()->write(reinterpret_cast<const uint8_t *>(&m_report), byteCount + kHeaderSize,
                                  m_packetTimeoutMs);
}

status_t UsbHidPacketizer::readPacket(uint8_t **packet, uint32_t *packetLength, packet_type_t packetType)
{
    if (!packet || !packetLength)
    {
        return kStatus_Fail;
    }
    *packet = nullptr;
    *packetLength = 0;

    const uint8_t expectedID = reportIdOf(packetType, kBootloaderReportID_CommandIn, kBootloaderReportID_DataIn);
    if (expectedID == 0)
    {
        return kStatus_Fail;
    }

    uint32_t readsThisCall = 0;
    for (;;)
    {
        uint32_t received = 0;
        status_t status = readReport(&received);
        if (status != kStatus_Success)
        {
            return status;
        }

        if (readsThisCall == 0)
        {
            ++m_continuousReadCount;
        }
        ++readsThisCall;

        if (m_report.header.reportID != expectedID)
        {
            Log::error("usbhid: received unexpected report=%x\n", m_report.header.reportID);
            return kStatus_Fail;
        }

        uint32_t length =
            m_report.header.packetLengthLsb | (static_cast<uint32_t>(m_report.header.packetLengthMsb) << 8);

        if (length == 0)
        {
            Log::info("usbhid: received data phase abort\n");
            // An abort report left over from before the last write is
            // skipped; once a packet has been read it ends the data phase.
            if (m_continuousReadCount > 1 || received == 0 || readsThisCall >= kMaxSkippedAbortReports)
            {
                *packet = m_report.packet;
                return kStatus_Success;
            }
            continue;
        }

        if (length > getMaxPacketSize())
        {
            Log::error("Data packet size(%d) is bigger than max supported size(%d).", static_cast<int>(length),
                       static_cast<int>(getMaxPacketSize()));
            return kStatus_Fail;
        }

        uint32_t payload = received >= kHeaderSize ? received - kHeaderSize : 0;
        if (payload < length)
        {
            Log::error("usbhid: received only %d bytes of packet with length %d\n", static_cast<int>(payload),
                       static_cast<int>(length));
            return kStatus_Fail;
        }

        *packet = m_report.packet;
        *packetLength = length;
        return kStatus_Success;
    }
}

status_t UsbHidPacketizer::readReport(uint32_t *received)
{
    return getPeripheral()->read(reinterpret_cast<uint8_t *>(&m_report), sizeof(m_report), received,
                                 m_packetTimeoutMs);
}

void UsbHidPacketizer::abortPacket()
{
    writePacket(nullptr, 0, kPacketType_Command);
    flushInput();
}

void UsbHidPacketizer::flushInput()
{
    status_t status;
    uint32_t received;
    do
    {
        received = 0;
        status = readReport(&received);
    } while (status != kStatus_Fail && received != 0);
}

} // namespace blfwk
