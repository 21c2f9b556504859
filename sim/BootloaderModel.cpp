#include "sim/BootloaderModel.h"

#include <algorithm>

namespace vornsim {

namespace {

enum CommandTag : uint8_t
{
    kTagFlashEraseAll = 0x01,
    kTagFlashEraseRegion = 0x02,
    kTagReadMemory = 0x03,
    kTagWriteMemory = 0x04,
    kTagGetProperty = 0x07,
    kTagReset = 0x0B,
    kTagGenericResponse = 0xA0,
    kTagReadMemoryResponse = 0xA3,
    kTagGetPropertyResponse = 0xA7,
};

constexpr uint8_t kFlagHasDataPhase = 0x01;
constexpr uint32_t kPropertyMaxPacketSize = 11;
constexpr uint32_t kMaxPacket = 8192;
constexpr uint32_t kDefaultPacket = 32;
constexpr uint16_t kOverlongLength = kMaxPacket + 1;
constexpr uint8_t kWrongTag = 0xAF;

void putWord(std::vector<uint8_t> &packet, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        packet.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t wordAt(const uint8_t *bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

std::vector<uint8_t> response(uint8_t tag, uint8_t flags, const std::vector<uint32_t> &words)
{
    std::vector<uint8_t> packet{ tag, flags, 0, static_cast<uint8_t>(words.size()) };
    for (uint32_t word : words)
    {
        putWord(packet, word);
    }
    return packet;
}

uint16_t announcedLength(const std::vector<uint8_t> &report)
{
    return static_cast<uint16_t>(report[2] | report[3] << 8);
}

void announceLength(std::vector<uint8_t> &report, uint16_t length)
{
    report[2] = static_cast<uint8_t>(length);
    report[3] = static_cast<uint8_t>(length >> 8);
}

uint32_t programTimeUs(uint32_t bytes)
{
    uint32_t phrases = (bytes + FlashTiming::kPhraseBytes - 1) / FlashTiming::kPhraseBytes;
    return phrases * FlashTiming::kPhraseProgramUs;
}

} // namespace

BootloaderModel::BootloaderModel(FlashMemory &flash, FaultPlan &faults, uint32_t maxPacketSize)
    : m_flash(flash)
    , m_faults(faults)
    , m_maxPacketSize(maxPacketSize)
{
}

void BootloaderModel::restart()
{
    m_exchange = Exchange();
    m_writing = false;
}

HostReportOutcome BootloaderModel::takeHostReport(const uint8_t *report, size_t length)
{
    HostReportOutcome out;
    if (length < 4)
    {
        out.unplugNow = countReport();
        return out;
    }
    uint32_t packetLength = report[2] | report[3] << 8;
    const uint8_t *packet = report + 4;
    // A report that carries fewer bytes than it announces is line noise.
    bool whole = packetLength <= length - 4;

    if (report[0] == kReportCommandOut && whole && packetLength >= 4)
    {
        m_exchange = Exchange();
        m_exchange.tag = packet[0];
        out.unplugNow = countReport();
        runCommand(packet, packetLength, out);
        return out;
    }

    bool wasGone = m_exchange.gone;
    out.unplugNow = countReport();
    if (report[0] == kReportCommandOut && whole && packetLength == 0)
    {
        // The host gave up on the data phase.
        m_writing = false;
        out.dropPending = true;
    }
    else if (report[0] == kReportDataOut && whole && m_writing && !wasGone)
    {
        takeWriteData(packet, packetLength, out);
    }
    return out;
}

bool BootloaderModel::countReport()
{
    if (m_exchange.gone)
    {
        return false;
    }
    ++m_exchange.reports;
    Fault *unplug = m_faults.armed(FaultKind::Unplug, m_exchange.tag);
    if (unplug && unplug->value == m_exchange.reports)
    {
        FaultPlan::fire(*unplug);
        m_exchange.gone = true;
    }
    return m_exchange.gone;
}

void BootloaderModel::runCommand(const uint8_t *packet, uint32_t length, HostReportOutcome &out)
{
    uint8_t tag = packet[0];
    uint32_t count = packet[3];
    m_writing = false;

    if (Fault *silent = m_faults.armed(FaultKind::Silent, tag))
    {
        FaultPlan::fire(*silent);
        m_exchange.silent = true;
    }
    if (length < 4 + 4 * count)
    {
        sendGeneric(kDeviceInvalidArgument, tag, out);
        return;
    }
    std::vector<uint32_t> params;
    for (uint32_t i = 0; i < count; ++i)
    {
        params.push_back(wordAt(packet + 4 + 4 * i));
    }
    if (Fault *status = m_faults.armed(FaultKind::Status, tag))
    {
        FaultPlan::fire(*status);
        answerStatus(tag, status->value, out);
        return;
    }

    switch (tag)
    {
        case kTagReset:
            reset(params, out);
            break;
        case kTagFlashEraseAll:
            eraseAll(params, out);
            break;
        case kTagFlashEraseRegion:
            eraseRegion(params, out);
            break;
        case kTagReadMemory:
            readMemory(params, out);
            break;
        case kTagWriteMemory:
            writeMemory(params, out);
            break;
        case kTagGetProperty:
            getProperty(params, out);
            break;
        default:
            sendGeneric(kDeviceUnknownCommand, tag, out);
            break;
    }
}

void BootloaderModel::answerStatus(uint8_t tag, uint32_t status, HostReportOutcome &out)
{
    if (tag == kTagReadMemory)
    {
        send(kReportCommandIn, response(kTagReadMemoryResponse, 0, { status, 0 }), out);
    }
    else if (tag == kTagGetProperty)
    {
        send(kReportCommandIn, response(kTagGetPropertyResponse, 0, { status }), out);
    }
    else
    {
        sendGeneric(status, tag, out);
    }
}

void BootloaderModel::reset(const std::vector<uint32_t> &params, HostReportOutcome &out)
{
    if (!params.empty())
    {
        sendGeneric(kDeviceInvalidArgument, kTagReset, out);
        return;
    }
    sendGeneric(kDeviceSuccess, kTagReset, out);
    out.restart = true;
}

void BootloaderModel::eraseAll(const std::vector<uint32_t> &params, HostReportOutcome &out)
{
    if (params.size() != 1)
    {
        sendGeneric(kDeviceInvalidArgument, kTagFlashEraseAll, out);
        return;
    }
    if (params[0] != 0)
    {
        sendGeneric(kDeviceMemoryNotConfigured, kTagFlashEraseAll, out);
        return;
    }
    m_flash.eraseAll();
    out.busyUs += FlashTiming::kMassEraseUs;
    sendGeneric(kDeviceSuccess, kTagFlashEraseAll, out);
}

void BootloaderModel::eraseRegion(const std::vector<uint32_t> &params, HostReportOutcome &out)
{
    if (params.size() != 3)
    {
        sendGeneric(kDeviceInvalidArgument, kTagFlashEraseRegion, out);
        return;
    }
    uint32_t address = params[0];
    uint32_t count = params[1];
    uint32_t status = kDeviceSuccess;
    if (params[2] != 0)
    {
        status = kDeviceMemoryNotConfigured;
    }
    else if (!FlashMemory::isSectorAligned(address) || !FlashMemory::isSectorAligned(count))
    {
        status = kDeviceFlashAlignmentError;
    }
    else if (!FlashMemory::contains(address, count))
    {
        status = kDeviceFlashAddressError;
    }
    else
    {
        m_flash.erase(address, count);
        out.busyUs += count / FlashMemory::kSectorSize * FlashTiming::kSectorEraseUs;
    }
    sendGeneric(status, kTagFlashEraseRegion, out);
}

void BootloaderModel::readMemory(const std::vector<uint32_t> &params, HostReportOutcome &out)
{
    if (params.size() != 3)
    {
        send(kReportCommandIn, response(kTagReadMemoryResponse, 0, { kDeviceInvalidArgument, 0 }), out);
        return;
    }
    uint32_t address = params[0];
    uint32_t count = params[1];
    uint32_t status = params[2] != 0                         ? kDeviceMemoryNotConfigured
                      : !FlashMemory::contains(address, count) ? kDeviceMemoryRangeInvalid
                                                             : kDeviceSuccess;
    if (status != kDeviceSuccess)
    {
        send(kReportCommandIn, response(kTagReadMemoryResponse, 0, { status, 0 }), out);
        return;
    }
    send(kReportCommandIn, response(kTagReadMemoryResponse, count ? kFlagHasDataPhase : 0, { kDeviceSuccess, count }),
         out);

    uint32_t chunk = readChunkSize();
    uint32_t packets = (count + chunk - 1) / chunk;
    Fault *abort = m_faults.armed(FaultKind::Abort, kTagReadMemory);
    if (abort && abort->value >= packets)
    {
        abort = nullptr;
    }
    for (uint32_t sent = 0; sent < packets && !m_exchange.gone; ++sent)
    {
        if (abort && abort->value == sent)
        {
            FaultPlan::fire(*abort);
            send(kReportDataIn, {}, out);
            sendGeneric(kDeviceAbortDataPhase, kTagReadMemory, out);
            return;
        }
        uint32_t offset = sent * chunk;
        uint32_t size = std::min(chunk, count - offset);
        const uint8_t *from = m_flash.bytes() + address + offset;
        send(kReportDataIn, std::vector<uint8_t>(from, from + size), out);
    }
    sendGeneric(finalStatus(), kTagReadMemory, out);
}

void BootloaderModel::writeMemory(const std::vector<uint32_t> &params, HostReportOutcome &out)
{
    if (params.size() != 3)
    {
        sendGeneric(kDeviceInvalidArgument, kTagWriteMemory, out);
        return;
    }
    uint32_t address = params[0];
    uint32_t count = params[1];
    if (params[2] != 0)
    {
        sendGeneric(kDeviceMemoryNotConfigured, kTagWriteMemory, out);
        return;
    }
    if (!FlashMemory::contains(address, count))
    {
        sendGeneric(kDeviceMemoryRangeInvalid, kTagWriteMemory, out);
        return;
    }
    sendGeneric(kDeviceSuccess, kTagWriteMemory, out);
    m_writing = true;
    m_writeAddress = address;
    m_writeRemaining = count;
    m_writePackets = 0;
    if (count == 0)
    {
        endWrite(finalStatus(), out);
        return;
    }
    Fault *abort = m_faults.armed(FaultKind::Abort, kTagWriteMemory);
    if (abort && abort->value == 0)
    {
        FaultPlan::fire(*abort);
        abortWrite(kDeviceAbortDataPhase, out);
    }
}

void BootloaderModel::takeWriteData(const uint8_t *data, uint32_t length, HostReportOutcome &out)
{
    uint32_t size = std::min(length, m_writeRemaining);
    if (!m_flash.isBlank(m_writeAddress, size))
    {
        abortWrite(kDeviceMemoryBlankCheckFailed, out);
        return;
    }
    m_flash.program(m_writeAddress, data, size);
    out.busyUs += programTimeUs(size);
    m_writeAddress += size;
    m_writeRemaining -= size;
    ++m_writePackets;
    if (m_writeRemaining == 0)
    {
        endWrite(finalStatus(), out);
        return;
    }
    Fault *abort = m_faults.armed(FaultKind::Abort, kTagWriteMemory);
    if (abort && abort->value == m_writePackets)
    {
        FaultPlan::fire(*abort);
        abortWrite(kDeviceAbortDataPhase, out);
    }
}

void BootloaderModel::endWrite(uint32_t status, HostReportOutcome &out)
{
    m_writing = false;
    sendGeneric(status, kTagWriteMemory, out);
}

void BootloaderModel::abortWrite(uint32_t status, HostReportOutcome &out)
{
    // The receiver's abort travels as an empty command report; the host
    // skips it while it waits for the final response.
    m_writing = false;
    send(kReportCommandIn, {}, out);
    endWrite(status, out);
}

void BootloaderModel::getProperty(const std::vector<uint32_t> &params, HostReportOutcome &out)
{
    if (params.empty() || params.size() > 2)
    {
        send(kReportCommandIn, response(kTagGetPropertyResponse, 0, { kDeviceInvalidArgument }), out);
        return;
    }
    if (params[0] != kPropertyMaxPacketSize)
    {
        send(kReportCommandIn, response(kTagGetPropertyResponse, 0, { kDeviceUnknownProperty }), out);
        return;
    }
    std::vector<uint32_t> words{ kDeviceSuccess, m_maxPacketSize };
    if (Fault *size = m_faults.armed(FaultKind::PacketSize, kTagGetProperty))
    {
        FaultPlan::fire(*size);
        words.resize(1);
        if (size->hasValue)
        {
            words.push_back(size->value);
        }
    }
    send(kReportCommandIn, response(kTagGetPropertyResponse, 0, words), out);
}

uint32_t BootloaderModel::finalStatus()
{
    Fault *status = m_faults.armed(FaultKind::FinalStatus, m_exchange.tag);
    if (!status)
    {
        return kDeviceSuccess;
    }
    FaultPlan::fire(*status);
    return status->value;
}

uint32_t BootloaderModel::readChunkSize() const
{
    if (m_maxPacketSize == 0)
    {
        return kDefaultPacket;
    }
    return std::min(m_maxPacketSize, kMaxPacket);
}

void BootloaderModel::sendGeneric(uint32_t status, uint8_t tag, HostReportOutcome &out)
{
    send(kReportCommandIn, response(kTagGenericResponse, 0, { status, tag }), out);
}

void BootloaderModel::send(uint8_t reportId, std::vector<uint8_t> packet, HostReportOutcome &out)
{
    if (m_exchange.gone || m_exchange.silent)
    {
        return;
    }
    DeviceReport report;
    report.bytes = { reportId, 0, 0, 0 };
    announceLength(report.bytes, static_cast<uint16_t>(packet.size()));
    report.bytes.insert(report.bytes.end(), packet.begin(), packet.end());

    ++m_exchange.deviceReports;
    applyMalformations(report);
    if (m_exchange.deviceReports == 1)
    {
        if (Fault *delay = m_faults.armed(FaultKind::Delay, m_exchange.tag))
        {
            FaultPlan::fire(*delay);
            report.delayMs = delay->value;
        }
    }
    report.unplugAfter = countReport();
    out.reports.push_back(std::move(report));
}

void BootloaderModel::applyMalformations(DeviceReport &report)
{
    auto due = [this](FaultKind kind) -> Fault * {
        Fault *fault = m_faults.armed(kind, m_exchange.tag);
        return fault && fault->value == m_exchange.deviceReports ? fault : nullptr;
    };
    std::vector<uint8_t> &bytes = report.bytes;
    uint16_t length = announcedLength(bytes);

    if (Fault *fault = due(FaultKind::ReportId))
    {
        FaultPlan::fire(*fault);
        bytes[0] = bytes[0] == kReportCommandIn ? kReportDataIn : kReportCommandIn;
    }
    if (Fault *fault = due(FaultKind::WrongTag); fault && length >= 1)
    {
        FaultPlan::fire(*fault);
        bytes[4] = kWrongTag;
    }
    if (Fault *fault = due(FaultKind::OtherTag); fault && length >= 12 && bytes[4] == kTagGenericResponse)
    {
        FaultPlan::fire(*fault);
        uint8_t other = bytes[12] == kTagFlashEraseRegion ? kTagFlashEraseAll : kTagFlashEraseRegion;
        std::fill(bytes.begin() + 12, bytes.begin() + 16, 0);
        bytes[12] = other;
    }
    if (Fault *fault = due(FaultKind::LongLength))
    {
        FaultPlan::fire(*fault);
        announceLength(bytes, kOverlongLength);
    }
    if (Fault *fault = due(FaultKind::ShortReport))
    {
        FaultPlan::fire(*fault);
        if (length == 0)
        {
            announceLength(bytes, 4);
        }
        else
        {
            bytes.resize(bytes.size() - std::min<size_t>(4, length));
        }
    }
}

} // namespace vornsim
