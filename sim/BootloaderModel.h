#pragma once

#include "sim/FaultPlan.h"
#include "sim/FlashMemory.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornsim {

//! Report IDs of the bootloader's HID interface.
enum ReportId : uint8_t
{
    kReportCommandOut = 1,
    kReportDataOut = 2,
    kReportCommandIn = 3,
    kReportDataIn = 4,
};

//! Statuses the bootloader answers for its own errors.
enum DeviceStatus : uint32_t
{
    kDeviceSuccess = 0,
    kDeviceInvalidArgument = 4,          //!< wrong parameter count
    kDeviceFlashAlignmentError = 101,    //!< erase range not sector-aligned
    kDeviceFlashAddressError = 102,      //!< erase range outside the flash
    kDeviceUnknownCommand = 10000,       //!< command tag the bootloader lacks
    kDeviceAbortDataPhase = 10002,       //!< data phase ended by the device
    kDeviceMemoryRangeInvalid = 10200,   //!< read or write outside the flash
    kDeviceMemoryNotConfigured = 10205,  //!< memory ID other than 0
    kDeviceMemoryBlankCheckFailed = 10210, //!< write to flash that is not erased
    kDeviceUnknownProperty = 10300,      //!< get-property of another property
};

//! Time the flash needs, in microseconds.
struct FlashTiming
{
    static constexpr uint32_t kSectorEraseUs = 14000;
    static constexpr uint32_t kMassEraseUs = 70000;
    static constexpr uint32_t kPhraseBytes = 8;
    static constexpr uint32_t kPhraseProgramUs = 60;
};

//! One input report as the device puts it on the wire.
struct DeviceReport
{
    std::vector<uint8_t> bytes; //!< report ID first
    uint32_t delayMs = 0;       //!< held back this long beyond the transfer time
    bool unplugAfter = false;   //!< the device vanishes once the host has read it
};

//! What the device does in reply to one output report.
struct HostReportOutcome
{
    std::vector<DeviceReport> reports;
    uint32_t busyUs = 0;      //!< flash work before the device takes the next report
    bool unplugNow = false;   //!< the device vanishes right after taking the report
    bool restart = false;     //!< reset: the device restarts once its answers are read
    bool dropPending = false; //!< the host aborted: unread answers are discarded
};

//! The bootloader as the host sees it: command, response and data-phase
//! packets in HID reports, over a flash, with the faults of the plan.
class BootloaderModel
{
public:
    BootloaderModel(FlashMemory &flash, FaultPlan &faults, uint32_t maxPacketSize);

    //! Takes one output report exactly as the host wrote it.
    HostReportOutcome takeHostReport(const uint8_t *report, size_t length);

    //! The controller restarted: any data phase is gone.
    void restart();

private:
    struct Exchange
    {
        uint8_t tag = 0;
        uint32_t reports = 0;       //!< reports of either direction so far
        uint32_t deviceReports = 0; //!< reports the device sent so far
        bool silent = false;
        bool gone = false;          //!< the device is unplugged for the rest of it
    };

    //! Counts a report of the exchange; true when the device unplugs at it.
    bool countReport();
    void runCommand(const uint8_t *packet, uint32_t length, HostReportOutcome &out);
    void answerStatus(uint8_t tag, uint32_t status, HostReportOutcome &out);

    void reset(const std::vector<uint32_t> &params, HostReportOutcome &out);
    void eraseAll(const std::vector<uint32_t> &params, HostReportOutcome &out);
    void eraseRegion(const std::vector<uint32_t> &params, HostReportOutcome &out);
    void readMemory(const std::vector<uint32_t> &params, HostReportOutcome &out);
    void writeMemory(const std::vector<uint32_t> &params, HostReportOutcome &out);
    void getProperty(const std::vector<uint32_t> &params, HostReportOutcome &out);

    void takeWriteData(const uint8_t *data, uint32_t length, HostReportOutcome &out);
    //! Ends the data phase with the final response carrying @a status.
    void endWrite(uint32_t status, HostReportOutcome &out);
    //! Ends it early: the abort report, then the final response.
    void abortWrite(uint32_t status, HostReportOutcome &out);
    uint32_t finalStatus();
    uint32_t readChunkSize() const;

    void send(uint8_t reportId, std::vector<uint8_t> packet, HostReportOutcome &out);
    void sendGeneric(uint32_t status, uint8_t tag, HostReportOutcome &out);
    void applyMalformations(DeviceReport &report);

    FlashMemory &m_flash;
    FaultPlan &m_faults;
    uint32_t m_maxPacketSize;
    Exchange m_exchange;
    bool m_writing = false;
    uint32_t m_writeAddress = 0;
    uint32_t m_writeRemaining = 0;
    uint32_t m_writePackets = 0;
};

} // namespace vornsim
