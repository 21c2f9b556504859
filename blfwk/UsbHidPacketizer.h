#pragma once

#include "blfwk/Packetizer.h"
#include "blfwk/UsbHidPeripheral.h"
#include "blfwk/bootloader_packets.h"

#include <cstdint>

namespace blfwk {

//! Report IDs of the bootloader's HID interface.
enum _hid_report_ids
{
    kBootloaderReportID_CommandOut = 1, //!< host to target: command packets
    kBootloaderReportID_DataOut = 2,    //!< host to target: data-phase packets
    kBootloaderReportID_CommandIn = 3,  //!< target to host: response packets
    kBootloaderReportID_DataIn = 4      //!< target to host: data-phase packets
};

//! Front of every report (wire format). A length of 0 marks the data-phase
//! abort report.
struct bl_hid_header_t
{
    uint8_t reportID;
    uint8_t _padding;
    uint8_t packetLengthLsb; //!< packet bytes after the header, low byte
    uint8_t packetLengthMsb;
};

//! One report carrying one packet (wire format).
struct bl_hid_report_t
{
    bl_hid_header_t header;
    uint8_t packet[kMaxHostPacketSize];
};

static_assert(sizeof(bl_hid_header_t) == 4, "the report header is four bytes on the wire");
static_assert(sizeof(bl_hid_report_t) == 4 + kMaxHostPacketSize, "a report is its header and the packet bytes");

//! Frames each packet in one HID report on a UsbHidPeripheral, which it owns.
//! Both report buffers live in the object, so no packet allocates.
class UsbHidPacketizer : public Packetizer
{
public:
    UsbHidPacketizer(UsbHidPeripheral *peripheral, uint32_t packetTimeoutMs);
    ~UsbHidPacketizer() override;

    UsbHidPacketizer(const UsbHidPacketizer &) = delete;
    UsbHidPacketizer &operator=(const UsbHidPacketizer &) = delete;

    //! A zero-length report from the target ends a data phase with length 0;
    //! in the first read after a write such reports are skipped (at most 50).
    status_t readPacket(uint8_t **packet, uint32_t *packetLength, packet_type_t packetType) override;

    //! With abort polling on, a data write first looks for an abort report
    //! and returns kStatus_AbortDataPhase without sending when one is there.
    status_t writePacket(const uint8_t *packet, uint32_t byteCount, packet_type_t packetType) override;

    //! Sends a zero-length command report, then drains the input.
    void abortPacket() override;

    void sync() override {}
    void finalize() override {}
    void enableSimulatorPump() override {}
    void pumpSimulator() override {}
    void setAborted(bool aborted) override { (void)aborted; }

    uint32_t getMaxPacketSize() override { return kMaxHostPacketSize; }

    //! The packet field of the outgoing report.
    uint8_t *outgoingPacket() override { return m_report.packet; }

    UsbHidPeripheral *getPeripheral() override { return static_cast<UsbHidPeripheral *>(m_peripheral); }

    //! Reads and discards reports until none arrives within the packet time-out.
    virtual void flushInput();

protected:
    //! One report into m_report with the packet time-out.
    status_t readReport(uint32_t *received);

    bl_hid_report_t m_report;      //!< report being sent, or last received
    bl_hid_report_t m_abortReport; //!< report polled while checking for an abort
    uint32_t m_continuousReadCount; //!< readPacket calls since the last writePacket
};

} // namespace blfwk
